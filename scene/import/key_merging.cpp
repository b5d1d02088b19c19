#include "scene/import/key_merging.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Importing::Import {
namespace {

constexpr double kDefaultTicksPerSecond = 25.0;

struct Vec3 {
  double x = 0, y = 0, z = 0;
};
struct Quat {
  double x = 0, y = 0, z = 0, w = 1;
};

Vec3 Lerp(const Vec3& a, const Vec3& b, double t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.z + (b.z - a.z) * t};
}

Quat Normalized(const Quat& q) {
  const double length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  if (length == 0) return {};
  return {q.x / length, q.y / length, q.z / length, q.w / length};
}

// Spherical interpolation along the shorter arc, normalised.
Quat Slerp(const Quat& a, Quat b, double t) {
  double cosine = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
  if (cosine < 0) {
    cosine = -cosine;
    b = {-b.x, -b.y, -b.z, -b.w};
  }
  double wa = 1 - t, wb = t;
  if (cosine < 0.9999) {
    const double angle = std::acos(std::min(cosine, 1.0));
    const double sine = std::sin(angle);
    wa = std::sin((1 - t) * angle) / sine;
    wb = std::sin(t * angle) / sine;
  }
  return Normalized({wa * a.x + wb * b.x, wa * a.y + wb * b.y, wa * a.z + wb * b.z, wa * a.w + wb * b.w});
}

Vec3 Widened(const D3DXVECTOR3& v) { return {v.x, v.y, v.z}; }
Quat Widened(const D3DXQUATERNION& q) { return {q.x, q.y, q.z, q.w}; }

// The track's value at `time`: held before the first and after the last
// key, interpolated between them.
template <typename Key, typename Wide, typename Mix>
Wide Sample(const std::vector<Key>& keys, double time, const Wide& fallback, Mix mix) {
  if (keys.empty()) return fallback;
  if (time <= keys.front().time) return Widened(keys.front().value);
  if (time >= keys.back().time) return Widened(keys.back().value);
  const auto next = std::upper_bound(keys.begin(), keys.end(), time, [](double t, const Key& k) { return t < k.time; });
  // Keys out of order (which no reader lets through) hold the nearer end.
  if (next == keys.end()) return Widened(keys.back().value);
  if (next == keys.begin()) return Widened(keys.front().value);
  const auto prev = next - 1;
  const double span = next->time - prev->time;
  const double t = span > 0 ? (time - prev->time) / span : 0;
  return mix(Widened(prev->value), Widened(next->value), t);
}

// Times that are not numbers cannot be ordered and are left out.
template <typename Key>
void AddTimes(const std::vector<Key>& keys, std::vector<double>& times) {
  for (const Key& key : keys)
    if (!std::isnan(key.time)) times.push_back(key.time);
}

D3DXVECTOR3 Narrowed(const Vec3& v) {
  return {static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z)};
}

}  // namespace

std::uint32_t ToContainerTicks(double time, double ticksPerSecond) {
  if (ticksPerSecond <= 0) ticksPerSecond = kDefaultTicksPerSecond;
  const double ticks = std::round(time / ticksPerSecond * TICKS_PER_SECOND);
  if (!(ticks > 0)) return 0;
  if (ticks >= static_cast<double>(std::numeric_limits<std::uint32_t>::max()))
    return std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(ticks);
}

Animation MergeTracks(const VectorTrack& positions, const RotationTrack& rotations, const VectorTrack& scales,
                      double ticksPerSecond) {
  std::vector<double> times;
  AddTimes(positions, times);
  AddTimes(rotations, times);
  AddTimes(scales, times);
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());

  Animation keys;
  keys.reserve(times.size());
  for (const double time : times) {
    const Vec3 position = Sample(positions, time, Vec3{}, Lerp);
    const Quat rotation = Normalized(Sample(rotations, time, Quat{}, Slerp));
    const Vec3 scale = Sample(scales, time, Vec3{1, 1, 1}, Lerp);
    const D3DXQUATERNION q{static_cast<float>(rotation.x), static_cast<float>(rotation.y),
                           static_cast<float>(rotation.z), static_cast<float>(rotation.w)};
    keys.emplace_back(ToContainerTicks(time, ticksPerSecond), Narrowed(position), q, Narrowed(scale));
  }
  return keys;
}

}  // namespace Importing::Import

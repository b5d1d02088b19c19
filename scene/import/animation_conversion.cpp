#include "scene/import/animation_conversion.h"

#include <assimp/anim.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

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

Vec3 FromAssimp(const aiVector3D& v) { return {v.x, v.y, v.z}; }
Quat FromAssimp(const aiQuaternion& q) { return {q.x, q.y, q.z, q.w}; }

// The track's value at `time`: held before the first and after the last
// key, interpolated between them.
template <typename KeyT, typename Value, typename Mix>
Value Sample(const KeyT* keys, unsigned count, double time, const Value& fallback, Mix mix) {
  if (count == 0) return fallback;
  if (time <= keys[0].mTime) return FromAssimp(keys[0].mValue);
  if (time >= keys[count - 1].mTime) return FromAssimp(keys[count - 1].mValue);
  const KeyT* next = std::upper_bound(keys, keys + count, time,
                                      [](double t, const KeyT& k) { return t < k.mTime; });
  const KeyT* prev = next - 1;
  const double span = next->mTime - prev->mTime;
  const double t = span > 0 ? (time - prev->mTime) / span : 0;
  return mix(FromAssimp(prev->mValue), FromAssimp(next->mValue), t);
}

template <typename KeyT>
void AddTimes(const KeyT* keys, unsigned count, std::vector<double>& times) {
  for (unsigned i = 0; i < count; ++i) times.push_back(keys[i].mTime);
}

D3DXVECTOR3 ToRecord(const Vec3& v) {
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

Animation ConvertChannel(const aiNodeAnim& channel, double ticksPerSecond) {
  std::vector<double> times;
  AddTimes(channel.mPositionKeys, channel.mNumPositionKeys, times);
  AddTimes(channel.mRotationKeys, channel.mNumRotationKeys, times);
  AddTimes(channel.mScalingKeys, channel.mNumScalingKeys, times);
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());

  Animation keys;
  keys.reserve(times.size());
  for (const double time : times) {
    const Vec3 position = Sample(channel.mPositionKeys, channel.mNumPositionKeys, time, Vec3{}, Lerp);
    const Quat rotation = Normalized(Sample(channel.mRotationKeys, channel.mNumRotationKeys, time, Quat{},
                                            Slerp));
    const Vec3 scale = Sample(channel.mScalingKeys, channel.mNumScalingKeys, time, Vec3{1, 1, 1}, Lerp);
    const D3DXQUATERNION q{static_cast<float>(rotation.x), static_cast<float>(rotation.y),
                           static_cast<float>(rotation.z), static_cast<float>(rotation.w)};
    keys.emplace_back(ToContainerTicks(time, ticksPerSecond), ToRecord(position), q, ToRecord(scale));
  }
  return keys;
}

}  // namespace Importing::Import

#include "scene/import/gltf/animation_reading.h"

#include <cmath>
#include <unordered_map>

#include "scene/import/key_merging.h"

namespace Importing::Import::Gltf {
namespace {

constexpr double kTicksPerSecond = 1000;  // the Assimp route's glTF times are milliseconds

struct Sampler {
  std::vector<float> times, values;
  bool cubic = false;
  int components = 0;  // values an output element holds
};

struct Paths {
  std::size_t node = 0;
  const Sampler* translation = nullptr;
  const Sampler* rotation = nullptr;
  const Sampler* scale = nullptr;
};

Sampler ReadSampler(const Document& document, const JsonValue& sampler, int components) {
  Sampler out;
  const std::string place = sampler.Place();
  out.times = document.data.Floats(sampler.Index("input"), 1, place + ".input");
  out.values = document.data.Floats(sampler.Index("output"), components, place + ".output");
  out.cubic = sampler.String("interpolation", "LINEAR") == "CUBICSPLINE";
  out.components = components;
  for (std::size_t i = 0; i < out.times.size(); ++i)
    if (!std::isfinite(out.times[i]) || (i > 0 && !(out.times[i] > out.times[i - 1])))
      sampler.Fail("input times must be finite and increase; time " + std::to_string(i) + " is " +
                   std::to_string(out.times[i]));
  const std::size_t needed = out.times.size() * (out.cubic ? 3 : 1) * static_cast<std::size_t>(components);
  if (out.values.size() < needed)
    sampler.Fail("has " + std::to_string(out.times.size()) + " times but fewer values");
  return out;
}

// The sampler's keys; a cubic spline keeps each key's value, between its
// in- and out-tangents.
template <typename Value, int N>
std::vector<TrackKey<Value>> Keys(const Sampler& sampler) {
  std::vector<TrackKey<Value>> keys(sampler.times.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    keys[i].time = sampler.times[i] * 1000.f;
    const float* v = &sampler.values[(sampler.cubic ? 3 * i + 1 : i) * N];
    if constexpr (N == 3) keys[i].value = {v[0], v[1], v[2]};
    else keys[i].value = {v[0], v[1], v[2], v[3]};
  }
  return keys;
}

template <typename Value, std::size_t N>
std::vector<TrackKey<Value>> HeldAt(const std::array<double, N>& v) {
  TrackKey<Value> key;
  if constexpr (N == 3) key.value = {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2])};
  else key.value = {static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]), static_cast<float>(v[3])};
  return {key};
}

}  // namespace

std::vector<NodeTrack> ReadAnimation(const Document& document, const JsonValue& animation,
                                     const std::function<unsigned(std::size_t)>& retrievalIndex) {
  const auto samplerList = animation.Find("samplers");
  const std::vector<JsonValue> samplerValues = samplerList ? samplerList->Items() : std::vector<JsonValue>{};
  const auto channelList = animation.Find("channels");
  const std::vector<JsonValue> channels = channelList ? channelList->Items() : std::vector<JsonValue>{};

  // Samplers are read once each, by the paths that use them.
  std::vector<std::optional<Sampler>> samplers(samplerValues.size());
  // Keyed and walked as the Assimp route's reader does, so that the tracks
  // come out in the same order.
  std::unordered_map<unsigned, Paths> byNode;
  std::size_t aimless = 0;
  for (const JsonValue& channel : channels) {
    const std::uint64_t s = channel.Index("sampler");
    if (s >= samplers.size()) channel.Fail("names sampler " + std::to_string(s) + ", which does not exist");
    const JsonValue target = channel.At("target");
    const auto node = target.OptionalIndex("node");
    if (!node) {
      ++aimless;
      continue;
    }
    document.Item(document.nodes, "nodes", *node, target.Place());
    const JsonValue& sampler = samplerValues[s];
    const std::string user = sampler.Place();
    if (document.data.ElementCount(sampler.Index("input"), user) > document.data.ElementCount(sampler.Index("output"), user)) {
      document.warnings.push_back(user + ": has more times than values; its channel is skipped");
      continue;
    }
    const std::string path = target.String("path");
    Paths& paths = byNode[retrievalIndex(*node)];
    paths.node = *node;
    if (path != "translation" && path != "rotation" && path != "scale") continue;  // morph weights: not kept
    const int components = path == "rotation" ? 4 : 3;
    if (!samplers[s]) samplers[s] = ReadSampler(document, sampler, components);
    if (samplers[s]->components != components)
      channel.Fail("uses " + user + " for a " + path + ", which needs another number of values than its other channel");
    (path == "translation" ? paths.translation : path == "rotation" ? paths.rotation : paths.scale) = &*samplers[s];
  }
  if (aimless > 0)
    document.warnings.push_back(animation.Place() + ": " + std::to_string(aimless) +
                                " channels aim at no node (KHR_animation_pointer is not read); they are skipped");

  std::vector<NodeTrack> tracks;
  for (const auto& [index, paths] : byNode) {
    if (!paths.translation && !paths.rotation && !paths.scale) continue;
    const JsonValue& node = document.nodes[paths.node];
    VectorTrack positions, scales;
    RotationTrack rotations;
    if (paths.translation) positions = Keys<D3DXVECTOR3, 3>(*paths.translation);
    else if (node.Find("translation")) positions = HeldAt<D3DXVECTOR3>(node.Numbers<3>("translation", {0, 0, 0}));
    if (paths.rotation) rotations = Keys<D3DXQUATERNION, 4>(*paths.rotation);
    else if (node.Find("rotation")) rotations = HeldAt<D3DXQUATERNION>(node.Numbers<4>("rotation", {0, 0, 0, 1}));
    if (paths.scale) scales = Keys<D3DXVECTOR3, 3>(*paths.scale);
    else if (node.Find("scale")) scales = HeldAt<D3DXVECTOR3>(node.Numbers<3>("scale", {1, 1, 1}));
    tracks.push_back({paths.node, MergeTracks(positions, rotations, scales, kTicksPerSecond)});
  }
  return tracks;
}

}  // namespace Importing::Import::Gltf

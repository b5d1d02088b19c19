#include <algorithm>

#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// The light queries: a node's lights, the scene's light count, and the
// attributes of one light by its ID. A bad light ID writes the output's
// failure value: -1, (0, 0, 0), the identity matrix or the empty text.
namespace Importing {

using namespace query;

namespace {

// Runs a query with a light ID in child 1 and an `Output` in child 2: writes
// `attribute(light)` for a valid ID, the output's failure value otherwise.
template <class Output, class Attribute>
int AnswerForLight(const Orv_Channel& channel, const SceneContainer& scene, Attribute attribute) {
  auto children = Children<ValueChannel, Output>(channel);
  if (!children) return kFailed;
  auto [lightIn, out] = *children;
  std::int32_t light;
  if (!ReadIndex(channel, *lightIn, scene.Lights().size(), messages::kLightId, light)) return Failed(*out);
  return Answer(*out, attribute(scene.Lights()[light]));
}

D3DXVECTOR3 Rgb(const Color& color) { return {color.r, color.g, color.b}; }

// The lowest ID of a node whose LightIDs hold `light`; -1 when no node does.
std::int32_t FindLightNode(const SceneContainer& scene, std::uint32_t light) {
  const auto& nodes = scene.Nodes();
  for (std::size_t node = 0; node < nodes.size(); ++node) {
    const auto& lights = nodes[node].LightIDs;
    if (std::find(lights.begin(), lights.end(), light) != lights.end()) return static_cast<std::int32_t>(node);
  }
  return -1;
}

}  // namespace

int SceneContainerInfo::GetNodeLightCount(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, out] = *children;
  std::int32_t node;
  if (!ReadIndex(*this, *nodeIn, scene.Nodes().size(), messages::kNodeId, node)) return Failed(*out);
  return Answer(*out, scene.Nodes()[node].LightIDs.size());
}

int SceneContainerInfo::GetNodeLightID(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, numberIn, out] = *children;
  const auto& nodes = scene.Nodes();
  std::int32_t node, number;
  if (!ReadIndex(*this, *nodeIn, nodes.size(), messages::kNodeId, node) ||
      !ReadIndex(*this, *numberIn, nodes[node].LightIDs.size(), messages::kLightNumber, number))
    return Failed(*out);
  return Answer(*out, static_cast<std::uint32_t>(nodes[node].LightIDs[number]));
}

int SceneContainerInfo::GetLightCount(const SceneContainer& scene) {
  auto children = Children<ValueChannel>(*this);
  if (!children) return kFailed;
  auto [out] = *children;
  return Answer(*out, scene.Lights().size());
}

int SceneContainerInfo::GetLightNodeID(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [lightIn, out] = *children;
  std::int32_t light;
  if (!ReadIndex(*this, *lightIn, scene.Lights().size(), messages::kLightId, light)) return Failed(*out);
  // A light that no node lists is no failure: -1 without a message.
  return Answer(*out, FindLightNode(scene, static_cast<std::uint32_t>(light)));
}

int SceneContainerInfo::GetLightOffsetMatrix(const SceneContainer& scene) {
  return AnswerForLight<MatrixChannel>(*this, scene,
                                       [](const Light& light) { return light.GetOffsetTransform().GetMatrix(); });
}

int SceneContainerInfo::GetLightName(const SceneContainer& scene) {
  return AnswerForLight<TextChannel>(*this, scene, [](const Light& light) { return light.GetName(); });
}

int SceneContainerInfo::GetLightType(const SceneContainer& scene) {
  return AnswerForLight<ValueChannel>(*this, scene,
                                      [](const Light& light) { return static_cast<std::int32_t>(light.GetType()); });
}

int SceneContainerInfo::GetLightDiffuse(const SceneContainer& scene) {
  return AnswerForLight<ValueVectorChannel>(*this, scene, [](const Light& light) { return Rgb(light.GetDiffuse()); });
}

int SceneContainerInfo::GetLightAmbient(const SceneContainer& scene) {
  return AnswerForLight<ValueVectorChannel>(*this, scene, [](const Light& light) { return Rgb(light.GetAmbient()); });
}

int SceneContainerInfo::GetLightSpecular(const SceneContainer& scene) {
  return AnswerForLight<ValueVectorChannel>(*this, scene,
                                            [](const Light& light) { return Rgb(light.GetSpecular()); });
}

int SceneContainerInfo::GetLightAttenuation(const SceneContainer& scene) {
  return AnswerForLight<ValueVectorChannel>(*this, scene, [](const Light& light) { return light.GetAttenuation(); });
}

int SceneContainerInfo::GetLightRange(const SceneContainer& scene) {
  return AnswerForLight<ValueChannel>(*this, scene, [](const Light& light) { return light.GetRange(); });
}

int SceneContainerInfo::GetLightTheta(const SceneContainer& scene) {
  return AnswerForLight<ValueChannel>(*this, scene, [](const Light& light) { return light.GetTheta(); });
}

int SceneContainerInfo::GetLightPhi(const SceneContainer& scene) {
  return AnswerForLight<ValueChannel>(*this, scene, [](const Light& light) { return light.GetPhi(); });
}

int SceneContainerInfo::GetLightShadowCast(const SceneContainer& scene) {
  return AnswerForLight<ValueChannel>(*this, scene,
                                      [](const Light& light) { return light.GetShadowCast() ? 1.0f : 0.0f; });
}

int SceneContainerInfo::GetLightShadowDensity(const SceneContainer& scene) {
  return AnswerForLight<ValueChannel>(*this, scene, [](const Light& light) { return light.GetShadowDensity(); });
}

}  // namespace Importing

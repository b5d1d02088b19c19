#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// The light queries: a node's lights, the scene's light count, and the
// attributes of one light by its ID. A bad light ID writes the output's
// failure value: -1, (0, 0, 0), the identity matrix or the empty text.
namespace Importing {

using namespace query;

namespace {

// The attribute queries differ only in the output kind and what they read.
template <class Output, class Attribute>
int AnswerForLight(const Orv_Channel& channel, const SceneContainer& scene, Attribute attribute) {
  return AnswerForID<Output>(channel, scene.Lights(), messages::kLightId, kWriteFailureValue, attribute);
}

}  // namespace

int SceneContainerInfo::GetNodeLightCount(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Nodes(), messages::kNodeId, kWriteFailureValue,
                                   [](const Node& node) { return node.LightIDs.size(); });
}

// The list element is written as it is (unsigned), unchecked against the light count.
int SceneContainerInfo::GetNodeLightID(const SceneContainer& scene) {
  return AnswerForElement<ValueChannel>(*this, scene.Nodes(), messages::kNodeId, &Node::LightIDs,
                                        messages::kLightNumber, kWriteFailureValue);
}

int SceneContainerInfo::GetLightCount(const SceneContainer& scene) {
  return AnswerWithoutInput<ValueChannel>(*this, [&] { return scene.Lights().size(); });
}

// The first node (lowest ID) whose light list holds the light carries it; a
// light that no node lists gives -1 and is no failure.
int SceneContainerInfo::GetLightNodeID(const SceneContainer& scene) {
  return AnswerForIndex<ValueChannel>(
      *this, scene.Lights().size(), messages::kLightId, kWriteFailureValue,
      [&](std::int32_t light) { return FindOwnerNode(scene.Nodes(), &Node::LightIDs, light); });
}

int SceneContainerInfo::GetLightOffsetMatrix(const SceneContainer& scene) {
  return AnswerForLight<MatrixChannel>(*this, scene,
                                       [](const Light& light) { return light.GetOffsetTransform().GetMatrix(); });
}

int SceneContainerInfo::GetLightName(const SceneContainer& scene) {
  return AnswerForLight<TextChannel>(*this, scene, &Light::GetName);
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
  return AnswerForLight<ValueVectorChannel>(*this, scene, &Light::GetAttenuation);
}

int SceneContainerInfo::GetLightRange(const SceneContainer& scene) {
  return AnswerForLight<ValueChannel>(*this, scene, &Light::GetRange);
}

int SceneContainerInfo::GetLightTheta(const SceneContainer& scene) {
  return AnswerForLight<ValueChannel>(*this, scene, &Light::GetTheta);
}

int SceneContainerInfo::GetLightPhi(const SceneContainer& scene) {
  return AnswerForLight<ValueChannel>(*this, scene, &Light::GetPhi);
}

int SceneContainerInfo::GetLightShadowCast(const SceneContainer& scene) {
  return AnswerForLight<ValueChannel>(*this, scene,
                                      [](const Light& light) { return light.GetShadowCast() ? 1.0f : 0.0f; });
}

int SceneContainerInfo::GetLightShadowDensity(const SceneContainer& scene) {
  return AnswerForLight<ValueChannel>(*this, scene, &Light::GetShadowDensity);
}

}  // namespace Importing

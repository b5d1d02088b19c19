#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// The node queries: count, lookup by name, name, user properties, matrices,
// animation, root, parent, children and surfaces of a node. The first four
// that take a node ID report "Object id" and keep their output on failure.
namespace Importing {

using namespace query;

int SceneContainerInfo::GetNodeCount(const SceneContainer& scene) {
  return AnswerWithoutInput<ValueChannel>(*this, [&] { return scene.Nodes().size(); });
}

int SceneContainerInfo::GetNodeID(const SceneContainer& scene) {
  const auto children = Children<TextChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  const auto [name, out] = *children;
  return Answer(*out, scene.FindNodeID(ReadText(*name)));
}

int SceneContainerInfo::GetNodeName(const SceneContainer& scene) {
  return AnswerForID<TextChannel>(*this, scene.Nodes(), messages::kObjectId, kKeepOutput, &Node::GetName);
}

int SceneContainerInfo::GetNodeNote(const SceneContainer& scene) {
  return AnswerForID<TextChannel>(*this, scene.Nodes(), messages::kObjectId, kKeepOutput, &Node::GetNote);
}

int SceneContainerInfo::GetNodeLocalTM(const SceneContainer& scene) {
  return AnswerForID<MatrixChannel>(*this, scene.Nodes(), messages::kObjectId, kKeepOutput,
                                    [](const Node& node) { return node.GetTransform().GetMatrix(); });
}

int SceneContainerInfo::GetNodeGlobalTM(const SceneContainer& scene) {
  return AnswerForIndex<MatrixChannel>(*this, scene.Nodes().size(), messages::kObjectId, kKeepOutput,
                                       [&](std::int32_t node) { return scene.GetGlobalTransform(node); });
}

int SceneContainerInfo::GetNodeAnimation(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Nodes(), messages::kNodeId, kWriteFailureValue,
                                   &Node::GetAnimationID);
}

int SceneContainerInfo::GetRootNode(const SceneContainer& scene) {
  return AnswerWithoutInput<ValueChannel>(*this, [&] { return scene.GetRootNodeID(); });
}

int SceneContainerInfo::GetParentNode(const SceneContainer& scene) {
  return AnswerForIndex<ValueChannel>(*this, scene.Nodes().size(), messages::kNodeId, kWriteFailureValue,
                                      [&](std::int32_t node) { return scene.GetParentID(node); });
}

int SceneContainerInfo::GetNodeChildCount(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Nodes(), messages::kNodeId, kWriteFailureValue,
                                   [](const Node& node) { return node.ChildIDs.size(); });
}

int SceneContainerInfo::GetNodeChild(const SceneContainer& scene) {
  return AnswerForElement<ValueChannel>(*this, scene.Nodes(), messages::kNodeId, &Node::ChildIDs,
                                        messages::kChildNumber, kWriteFailureValue);
}

int SceneContainerInfo::GetNodeSurfaceCount(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Nodes(), messages::kNodeId, kWriteFailureValue,
                                   [](const Node& node) { return node.SurfaceIDs.size(); });
}

// The list holds unsigned IDs, so they are written as unsigned values.
int SceneContainerInfo::GetNodeSurfaceID(const SceneContainer& scene) {
  return AnswerForElement<ValueChannel>(*this, scene.Nodes(), messages::kNodeId, &Node::SurfaceIDs,
                                        messages::kSurfaceNumber, kWriteFailureValue);
}

}  // namespace Importing

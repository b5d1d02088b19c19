#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// The node queries: count, lookup by name, name, user properties, matrices,
// animation, root, parent, children and surfaces of a node.
namespace Importing {

using namespace query;

int SceneContainerInfo::GetNodeCount(const SceneContainer& scene) {
  auto children = Children<ValueChannel>(*this);
  if (!children) return kFailed;
  auto [out] = *children;
  return Answer(*out, scene.Nodes().size());
}

int SceneContainerInfo::GetNodeID(const SceneContainer& scene) {
  auto children = Children<TextChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [name, out] = *children;
  return Answer(*out, scene.FindNodeID(ReadText(*name)));
}

int SceneContainerInfo::GetNodeName(const SceneContainer& scene) {
  auto children = Children<ValueChannel, TextChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, out] = *children;
  std::int32_t node;
  if (!ReadIndex(*this, *nodeIn, scene.Nodes().size(), messages::kObjectId, node)) return Failed();
  return Answer(*out, scene.Nodes()[node].GetName());
}

int SceneContainerInfo::GetNodeNote(const SceneContainer& scene) {
  auto children = Children<ValueChannel, TextChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, out] = *children;
  std::int32_t node;
  if (!ReadIndex(*this, *nodeIn, scene.Nodes().size(), messages::kObjectId, node)) return Failed();
  return Answer(*out, scene.Nodes()[node].GetNote());
}

int SceneContainerInfo::GetNodeLocalTM(const SceneContainer& scene) {
  auto children = Children<ValueChannel, MatrixChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, out] = *children;
  std::int32_t node;
  if (!ReadIndex(*this, *nodeIn, scene.Nodes().size(), messages::kObjectId, node)) return Failed();
  return Answer(*out, scene.Nodes()[node].GetTransform().GetMatrix());
}

int SceneContainerInfo::GetNodeGlobalTM(const SceneContainer& scene) {
  auto children = Children<ValueChannel, MatrixChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, out] = *children;
  std::int32_t node;
  if (!ReadIndex(*this, *nodeIn, scene.Nodes().size(), messages::kObjectId, node)) return Failed();
  return Answer(*out, scene.GetGlobalTransform(node));
}

int SceneContainerInfo::GetNodeAnimation(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, out] = *children;
  std::int32_t node;
  if (!ReadIndex(*this, *nodeIn, scene.Nodes().size(), messages::kNodeId, node)) return Failed(*out);
  return Answer(*out, scene.Nodes()[node].GetAnimationID());
}

int SceneContainerInfo::GetRootNode(const SceneContainer& scene) {
  auto children = Children<ValueChannel>(*this);
  if (!children) return kFailed;
  auto [out] = *children;
  return Answer(*out, scene.GetRootNodeID());
}

int SceneContainerInfo::GetParentNode(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, out] = *children;
  std::int32_t node;
  if (!ReadIndex(*this, *nodeIn, scene.Nodes().size(), messages::kNodeId, node)) return Failed(*out);
  return Answer(*out, scene.GetParentID(node));
}

int SceneContainerInfo::GetNodeChildCount(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, out] = *children;
  std::int32_t node;
  if (!ReadIndex(*this, *nodeIn, scene.Nodes().size(), messages::kNodeId, node)) return Failed(*out);
  return Answer(*out, scene.Nodes()[node].ChildIDs.size());
}

int SceneContainerInfo::GetNodeChild(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, numberIn, out] = *children;
  const auto& nodes = scene.Nodes();
  std::int32_t node, number;
  if (!ReadIndex(*this, *nodeIn, nodes.size(), messages::kNodeId, node) ||
      !ReadIndex(*this, *numberIn, nodes[node].ChildIDs.size(), messages::kChildNumber, number))
    return Failed(*out);
  return Answer(*out, nodes[node].ChildIDs[number]);
}

int SceneContainerInfo::GetNodeSurfaceCount(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, out] = *children;
  std::int32_t node;
  if (!ReadIndex(*this, *nodeIn, scene.Nodes().size(), messages::kNodeId, node)) return Failed(*out);
  return Answer(*out, scene.Nodes()[node].SurfaceIDs.size());
}

int SceneContainerInfo::GetNodeSurfaceID(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, numberIn, out] = *children;
  const auto& nodes = scene.Nodes();
  std::int32_t node, number;
  if (!ReadIndex(*this, *nodeIn, nodes.size(), messages::kNodeId, node) ||
      !ReadIndex(*this, *numberIn, nodes[node].SurfaceIDs.size(), messages::kSurfaceNumber, number))
    return Failed(*out);
  return Answer(*out, static_cast<std::uint32_t>(nodes[node].SurfaceIDs[number]));
}

}  // namespace Importing

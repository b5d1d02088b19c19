#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// The camera queries: the cameras of a node, the scene's camera count, and a
// camera's offset matrix, name, fields of view, clipping distances and node.
namespace Importing {

using namespace query;

namespace {

// The four scalar camera queries differ only in the camera member they read:
// camera ID from child 1, the member's value unchanged into child 2.
int AnswerCameraScalar(const Orv_Channel& channel, const SceneContainer& scene, float (Camera::*member)() const) {
  auto children = Children<ValueChannel, ValueChannel>(channel);
  if (!children) return kFailed;
  auto [cameraIn, out] = *children;
  std::int32_t camera;
  if (!ReadIndex(channel, *cameraIn, scene.Cameras().size(), messages::kCameraId, camera)) return Failed(*out);
  return Answer(*out, (scene.Cameras()[camera].*member)());
}

}  // namespace

int SceneContainerInfo::GetNodeCameraCount(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, out] = *children;
  std::int32_t node;
  if (!ReadIndex(*this, *nodeIn, scene.Nodes().size(), messages::kNodeId, node)) return Failed(*out);
  return Answer(*out, scene.Nodes()[node].CameraIDs.size());
}

int SceneContainerInfo::GetNodeCameraID(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [nodeIn, numberIn, out] = *children;
  const auto& nodes = scene.Nodes();
  std::int32_t node, number;
  if (!ReadIndex(*this, *nodeIn, nodes.size(), messages::kNodeId, node) ||
      !ReadIndex(*this, *numberIn, nodes[node].CameraIDs.size(), messages::kCameraNumber, number))
    return Failed(*out);
  // The list element is written as it is, unchecked against the camera count.
  return Answer(*out, static_cast<std::uint32_t>(nodes[node].CameraIDs[number]));
}

int SceneContainerInfo::GetCameraCount(const SceneContainer& scene) {
  auto children = Children<ValueChannel>(*this);
  if (!children) return kFailed;
  auto [out] = *children;
  return Answer(*out, scene.Cameras().size());
}

int SceneContainerInfo::GetCameraOffsetMatrix(const SceneContainer& scene) {
  auto children = Children<ValueChannel, MatrixChannel>(*this);
  if (!children) return kFailed;
  auto [cameraIn, out] = *children;
  std::int32_t camera;
  if (!ReadIndex(*this, *cameraIn, scene.Cameras().size(), messages::kCameraId, camera)) return Failed(*out);
  return Answer(*out, scene.Cameras()[camera].GetOffsetTransform().GetMatrix());
}

int SceneContainerInfo::GetCameraName(const SceneContainer& scene) {
  auto children = Children<ValueChannel, TextChannel>(*this);
  if (!children) return kFailed;
  auto [cameraIn, out] = *children;
  std::int32_t camera;
  if (!ReadIndex(*this, *cameraIn, scene.Cameras().size(), messages::kCameraId, camera)) return Failed(*out);
  return Answer(*out, scene.Cameras()[camera].GetName());
}

int SceneContainerInfo::GetCameraFovX(const SceneContainer& scene) {
  return AnswerCameraScalar(*this, scene, &Camera::GetFovX);
}

int SceneContainerInfo::GetCameraFovY(const SceneContainer& scene) {
  return AnswerCameraScalar(*this, scene, &Camera::GetFovY);
}

int SceneContainerInfo::GetCameraNearZ(const SceneContainer& scene) {
  return AnswerCameraScalar(*this, scene, &Camera::GetNearZ);
}

int SceneContainerInfo::GetCameraFazZ(const SceneContainer& scene) {
  return AnswerCameraScalar(*this, scene, &Camera::GetFarZ);
}

// The first node (lowest ID) whose camera list holds the camera carries it;
// a camera that no node lists gives -1 and is no failure.
int SceneContainerInfo::GetCameraNodeID(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [cameraIn, out] = *children;
  std::int32_t camera;
  if (!ReadIndex(*this, *cameraIn, scene.Cameras().size(), messages::kCameraId, camera)) return Failed(*out);
  return Answer(*out, FindOwnerNode(scene.Nodes(), &Node::CameraIDs, camera));
}

}  // namespace Importing

#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// The camera queries: the cameras of a node, the scene's camera count, and a
// camera's offset matrix, name, fields of view, clipping distances and node.
// A bad camera ID writes the output's failure value.
namespace Importing {

using namespace query;

int SceneContainerInfo::GetNodeCameraCount(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Nodes(), messages::kNodeId, kWriteFailureValue,
                                   [](const Node& node) { return node.CameraIDs.size(); });
}

// The list element is written as it is (unsigned), unchecked against the camera count.
int SceneContainerInfo::GetNodeCameraID(const SceneContainer& scene) {
  return AnswerForElement<ValueChannel>(*this, scene.Nodes(), messages::kNodeId, &Node::CameraIDs,
                                        messages::kCameraNumber, kWriteFailureValue);
}

int SceneContainerInfo::GetCameraCount(const SceneContainer& scene) {
  return AnswerWithoutInput<ValueChannel>(*this, [&] { return scene.Cameras().size(); });
}

int SceneContainerInfo::GetCameraOffsetMatrix(const SceneContainer& scene) {
  return AnswerForID<MatrixChannel>(*this, scene.Cameras(), messages::kCameraId, kWriteFailureValue,
                                    [](const Camera& camera) { return camera.GetOffsetTransform().GetMatrix(); });
}

int SceneContainerInfo::GetCameraName(const SceneContainer& scene) {
  return AnswerForID<TextChannel>(*this, scene.Cameras(), messages::kCameraId, kWriteFailureValue, &Camera::GetName);
}

int SceneContainerInfo::GetCameraFovX(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Cameras(), messages::kCameraId, kWriteFailureValue, &Camera::GetFovX);
}

int SceneContainerInfo::GetCameraFovY(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Cameras(), messages::kCameraId, kWriteFailureValue, &Camera::GetFovY);
}

int SceneContainerInfo::GetCameraNearZ(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Cameras(), messages::kCameraId, kWriteFailureValue,
                                   &Camera::GetNearZ);
}

int SceneContainerInfo::GetCameraFazZ(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Cameras(), messages::kCameraId, kWriteFailureValue, &Camera::GetFarZ);
}

// The first node (lowest ID) whose camera list holds the camera carries it;
// a camera that no node lists gives -1 and is no failure.
int SceneContainerInfo::GetCameraNodeID(const SceneContainer& scene) {
  return AnswerForIndex<ValueChannel>(
      *this, scene.Cameras().size(), messages::kCameraId, kWriteFailureValue,
      [&](std::int32_t camera) { return FindOwnerNode(scene.Nodes(), &Node::CameraIDs, camera); });
}

}  // namespace Importing

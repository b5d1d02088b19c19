#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// NOT IMPLEMENTED YET: the camera queries. Until they are built each one
// returns -1 without reading or writing anything.
namespace Importing {

int SceneContainerInfo::GetNodeCameraCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetNodeCameraID(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetCameraCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetCameraOffsetMatrix(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetCameraName(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetCameraFovX(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetCameraFovY(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetCameraNearZ(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetCameraFazZ(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetCameraNodeID(const SceneContainer&) { return query::kFailed; }

}  // namespace Importing

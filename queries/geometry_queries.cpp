#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// NOT IMPLEMENTED YET: the geometry and bounding-box queries. Until they are built each one
// returns -1 without reading or writing anything.
namespace Importing {

int SceneContainerInfo::GetGeometry(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetGeometryVertexCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetGeometryCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetGeometryBoundingBox(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetSceneBoundingBox(const SceneContainer&) { return query::kFailed; }

}  // namespace Importing

#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// NOT IMPLEMENTED YET: the surface queries. Until they are built each one
// returns -1 without reading or writing anything.
namespace Importing {

int SceneContainerInfo::GetSurfaceCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetSurfaceGeometryID(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetSurfaceMaterialID(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetSurfaceNodeID(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetSurfaceTextureCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetSurfaceTextureID(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetSurfaceTextureType(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetSurfaceTextureUVSet(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetSurfaceTextureAmount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetSurfaceTextureMatrix(const SceneContainer&) { return query::kFailed; }

}  // namespace Importing

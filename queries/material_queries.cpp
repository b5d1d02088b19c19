#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// NOT IMPLEMENTED YET: the material and texture queries. Until they are built each one
// returns -1 without reading or writing anything.
namespace Importing {

int SceneContainerInfo::GetMaterial(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetMaterialName(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetMaterialCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetMaterialSurfaceCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetMaterialSurfaceID(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetTexture(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetTexturePath(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetTextureCount(const SceneContainer&) { return query::kFailed; }

}  // namespace Importing

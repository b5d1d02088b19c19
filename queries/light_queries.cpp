#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// NOT IMPLEMENTED YET: the light queries. Until they are built each one
// returns -1 without reading or writing anything.
namespace Importing {

int SceneContainerInfo::GetNodeLightCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetNodeLightID(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightOffsetMatrix(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightName(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightType(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightDiffuse(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightAmbient(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightSpecular(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightAttenuation(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightRange(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightTheta(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightPhi(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightShadowCast(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightShadowDensity(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetLightNodeID(const SceneContainer&) { return query::kFailed; }

}  // namespace Importing

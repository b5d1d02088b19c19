#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// NOT IMPLEMENTED YET: the animation queries. Until they are built each one
// returns -1 without reading or writing anything.
namespace Importing {

int SceneContainerInfo::GetAnimation(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetAnimationCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetAnimationKeyCount(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetAnimationTime(const SceneContainer&) { return query::kFailed; }
int SceneContainerInfo::GetAnimationMatrix(const SceneContainer&) { return query::kFailed; }

}  // namespace Importing

#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// NOT IMPLEMENTED YET: the scene hierarchy XML text. Until it is built it
// returns -1 without writing anything.
namespace Importing {

int SceneContainerInfo::GetSceneHierarchy(const SceneContainer&, int, std::string&, int) { return query::kFailed; }

}  // namespace Importing

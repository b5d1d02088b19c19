#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// NOT IMPLEMENTED YET: the material XML text. Until they are built each one
// returns -1 without reading or writing anything.
namespace Importing {

int SceneContainerInfo::GetMaterialAsXML(const SceneContainer&) { return query::kFailed; }

}  // namespace Importing

#include "channel/scene_container_info.h"

#include "host/orv_file.h"

namespace Importing {

namespace {

constexpr const char* kChannelName = "SceneContainerInfo";
constexpr const char* kUpdateChannelNameTag = "SCIUCN";
constexpr const char* kInfoTypeTag = "SCIIP";

using Query = int (SceneContainerInfo::*)(const SceneContainer&);

// The dispatch table holds the queries with the common signature; any other
// member (the hierarchy writer) becomes null and is called on its own.
constexpr Query Dispatchable(Query query) { return query; }
template <class Other>
constexpr Query Dispatchable(Other) { return nullptr; }

}  // namespace

SceneContainerInfo::SceneContainerInfo() : infoType(SCI_SCENE_HIERARCHY), updateChannelName(false) {
  SetChannelName(kChannelName);
  CreateChannelChildren();
}

SceneContainerInfo::SceneContainerInfo(const SceneContainerInfo& other)
    : Orv_Channel(other), infoType(other.infoType), updateChannelName(other.updateChannelName) {}

SceneContainerInfo& SceneContainerInfo::operator=(const SceneContainerInfo& other) {
  Orv_Channel::operator=(other);
  infoType = other.infoType;
  updateChannelName = other.updateChannelName;
  return *this;
}

SceneContainerInfo::~SceneContainerInfo() = default;

SCI_INFO_TYPE SceneContainerInfo::GetInfoType() { return infoType; }

void SceneContainerInfo::SetInfoType(SCI_INFO_TYPE type) {
  infoType = type;
  CreateChannelChildren();
}

bool SceneContainerInfo::GetUpdateChannelName() { return updateChannelName; }

void SceneContainerInfo::SetUpdateChannelName(bool update) { updateChannelName = update; }

void SceneContainerInfo::DoDependencyInit(Orv_List*) {}

bool SceneContainerInfo::SaveChannel(OrvFileSaver& saver) {
  if (!Orv_Channel::SaveChannel(saver)) return false;
  const std::uint8_t flag = updateChannelName ? 1 : 0;
  saver.SaveTag(kUpdateChannelNameTag);
  saver.SaveBlockSize(sizeof flag);
  saver.SaveDataToFile(&flag, sizeof flag);
  const std::int32_t type = infoType;
  saver.SaveTag(kInfoTypeTag);
  saver.SaveBlockSize(sizeof type);
  saver.SaveDataToFile(&type, sizeof type);
  return true;
}

bool SceneContainerInfo::LoadChannel(OrvFileLoader& loader, Orv_ChannelGroup* group) {
  if (!Orv_Channel::LoadChannel(loader, group)) return false;
  std::uint8_t flag = 0;
  if (loader.GotoTag(kUpdateChannelNameTag, 0) && loader.CopyTagDataToPointer(&flag, sizeof flag))
    updateChannelName = flag != 0;
  std::int32_t type = 0;
  if (loader.GotoTag(kInfoTypeTag, 0) && loader.CopyTagDataToPointer(&type, sizeof type))
    SetInfoType(static_cast<SCI_INFO_TYPE>(type));
  return true;
}

void SceneContainerInfo::CallChannel() {
  if (GetChild(0) == nullptr) return;
  const auto* scene = dynamic_cast<const SceneContainer*>(GetChild(0));
  if (scene == nullptr) return;
  if (static_cast<std::uint32_t>(infoType) >= kInfoTypeCount) return;

  if (infoType == SCI_SCENE_HIERARCHY) {
    std::string text;
    if (scene->GetRootNodeID() < 0) return;
    GetSceneHierarchy(*scene, scene->GetRootNodeID(), text, 0);
    return;
  }

  // One member per info type, in table order; the hierarchy (value 0) takes
  // more arguments and is handled above.
  static constexpr Query kQueries[kInfoTypeCount] = {
#define SCI_QUERY_ENTRY(value, name, query, ...) Dispatchable(&SceneContainerInfo::query),
      SCI_INFO_TYPE_TABLE(SCI_QUERY_ENTRY)
#undef SCI_QUERY_ENTRY
  };
  (this->*kQueries[infoType])(*scene);
}

}  // namespace Importing

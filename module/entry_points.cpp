#include <cstring>
#include <new>

#include "module/entry_points.h"

#include "channel/scene_container_info.h"

namespace {

constexpr Guid kSceneContainerInfoTypeId = Guid::Parse("691097CA-7049-4CD5-87C2-EACC97B80BBE");

// The module's one channel type record; the host's constructor fills the
// fields that GetType leaves alone.
ChannelType channelType;

}  // namespace

extern "C" {

Orv_Channel* InitDLL() {
  auto* storage = static_cast<Importing::SceneContainerInfo*>(
      ::operator new(sizeof(Importing::SceneContainerInfo), std::nothrow));
  if (storage == nullptr) return nullptr;
  try {
    return new (storage) Importing::SceneContainerInfo();
  } catch (...) {
    ::operator delete(storage);
    return nullptr;
  }
}

ChannelType* GetType() {
  std::memset(channelType.name, 0, sizeof channelType.name);
  std::strcpy(channelType.name, "SceneContainerInfo");
  channelType.typeFlag = 1;
  channelType.typeId = kSceneContainerInfoTypeId;
  channelType.secondTypeId = kSceneContainerInfoTypeId;
  channelType.typeOption = 0;
  return &channelType;
}

}  // extern "C"

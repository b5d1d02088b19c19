#include <cstring>
#include <new>

#include "channel/scene_container_info.h"
#include "host/channel_type.h"
#include "module/export.h"

namespace {

constexpr Guid kSceneContainerInfoTypeId = Guid::Parse("691097CA-7049-4CD5-87C2-EACC97B80BBE");

// The module's one channel type record; the host's constructor fills the
// fields that GetType leaves alone.
ChannelType channelType;

}  // namespace

extern "C" {

// Creates one SceneContainerInfo channel; null when memory runs out. The
// host owns it and destroys it through its virtual destructor.
SCI_API Orv_Channel* InitDLL() {
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

// Describes the channel type; every call rewrites and returns the same record.
SCI_API ChannelType* GetType() {
  std::memset(channelType.name, 0, sizeof channelType.name);
  std::strcpy(channelType.name, "SceneContainerInfo");
  channelType.typeFlag = 1;
  channelType.typeId = kSceneContainerInfoTypeId;
  channelType.secondTypeId = kSceneContainerInfoTypeId;
  channelType.typeOption = 0;
  return &channelType;
}

}  // extern "C"

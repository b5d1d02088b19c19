#pragma once

#include <memory>

#include "channel/scene_container_info.h"
#include "host/host.h"
#include "host/value_channels.h"
#include "module/entry_points.h"
#include "scene/scene_container.h"

namespace sci_fuzz {

// One plug-in channel in a host, with a scene container linked as child 0
// and default channels in its other slots, as a host would set it up.
struct ChannelRig {
  Host host;
  Importing::SceneContainer* scene;
  Importing::SceneContainerInfo* channel;

  ChannelRig() {
    scene = static_cast<Importing::SceneContainer*>(host.Adopt(std::make_unique<Importing::SceneContainer>()));
    std::unique_ptr<Orv_Channel> made(InitDLL());
    made->SetChannelType(*GetType());
    channel = static_cast<Importing::SceneContainerInfo*>(host.Adopt(std::move(made)));
    channel->LinkChild(0, scene, nullptr);
  }

  // Lays the channel out for `type`; slots whose kind is unchanged keep
  // their channels, the others get new default ones.
  void SetInfoType(Importing::SCI_INFO_TYPE type) {
    channel->SetInfoType(type);
    host.CreateDefaultChildren(*channel);
  }

  template <class Kind>
  Kind* Child(int index) {
    return dynamic_cast<Kind*>(channel->GetChild(index));
  }

  // Calls the channel as the host would; Messages() then holds what it showed.
  void Call() {
    host.ClearMessages();
    channel->CallChannel();
  }
};

}  // namespace sci_fuzz

#pragma once

#include "channel/export.h"
#include "host/channel_type.h"
#include "host/orv_channel.h"

// The plug-in's two entry points, as hosts that link it directly see them.
// Hosts that load it at run time resolve the same names (see PluginLibrary).
extern "C" {

// A new SceneContainerInfo channel, or null when memory runs out. The caller
// owns it and destroys it through its virtual destructor.
SCI_API Orv_Channel* InitDLL();

// The module's channel type record; the same static record on every call,
// rewritten each time, never freed.
SCI_API ChannelType* GetType();

}

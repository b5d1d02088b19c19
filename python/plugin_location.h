#pragma once

#include <string>

namespace sceneinfo {

// The plug-in library beside the host library this process has loaded: the
// two are built and installed into the same folder. Empty, with the reason
// in `error`, when the host library cannot be located.
std::string PluginBesideHostLibrary(std::string* error);

}  // namespace sceneinfo

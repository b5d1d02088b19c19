#pragma once

#include <string>

namespace sceneinfo {

// The plug-in library that belongs with the host library this process has
// loaded: in the install's plug-in folder relative to the host library, or
// beside it as in the build tree. Empty, with the places looked at in
// `error`, when there is none.
std::string FindPlugin(std::string* error);

}  // namespace sceneinfo

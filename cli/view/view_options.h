#pragma once

#include <string>
#include <vector>

namespace sci {

// How `sci --view` serves its inspector.
struct ViewOptions {
  bool enabled = false;
  int port = 0;            // 0: any free port
  bool noBrowser = false;  // print the address only
  std::vector<std::string> allowedHosts;  // Host names accepted besides the loopback ones, lower case
  std::vector<std::string> textureRoots;  // folders texture files may come from besides the scene's
};

}  // namespace sci

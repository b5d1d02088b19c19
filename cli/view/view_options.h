#pragma once

namespace sci {

// How `sci --view` serves its inspector.
struct ViewOptions {
  bool enabled = false;
  int port = 0;            // 0: any free port
  bool noBrowser = false;  // print the address only
};

}  // namespace sci

#pragma once

namespace sci {

// How results are written.
struct OutputOptions {
  bool json = false;  // one JSON object per result
  bool full = false;  // whole meshes and key lists in plain text
};

}  // namespace sci

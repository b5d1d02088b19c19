#pragma once

// The build ID of an executable: it changes whenever the executable's bytes
// do, so results computed by one build are never taken for another's.

#include <string>

namespace Importing::Import {

// The linker's GNU build ID note of the ELF file at `path`, in hex; for a
// file without one, a 64-bit hash of its bytes in hex. Empty when the file
// cannot be read.
std::string ExecutableBuildId(const std::string& path);

}  // namespace Importing::Import

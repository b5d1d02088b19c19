#pragma once

// The Assimp route: every format but glTF (and glTF when asked for), read
// with Assimp after our pre-read checks, through its validation fallback,
// and converted into the records.

#include <sys/stat.h>

#include <cstddef>
#include <string>

#include "scene/import/scene_importer.h"

namespace Importing::Import {

// Reads the regular file `path` (`info` its status) with Assimp into
// `container`; on failure returns false and explains in `error`.
bool ImportWithAssimp(const std::string& path, const struct stat& info, SceneContainer& container, std::string* error,
                      const ImportOptions& options);

// As above, from bytes in memory; `label` names them in messages and
// `extension` (lower case) tells the format.
bool ImportMemoryWithAssimp(const void* data, std::size_t size, const std::string& extension, const std::string& label,
                            SceneContainer& container, std::string* error);

// The extensions Assimp reads, e.g. "*.3ds;*.dae;*.fbx;...".
std::string AssimpExtensions();

}  // namespace Importing::Import

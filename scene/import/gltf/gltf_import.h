#pragma once

// glTF files and bytes through the reader of this folder: the scene file
// mapped, the files it names read from beside it (regular files only, each
// recorded as opened or missing), the result filled into the container.

#include <sys/stat.h>

#include <string>
#include <string_view>

#include "scene/import/scene_importer.h"

namespace Importing::Import {

// Whether the file's name or first bytes make it glTF.
bool IsGltfFile(const std::string& lowerExtension, std::string_view head);

bool ImportGltfFile(const std::string& path, std::string_view bytes, const struct stat& info,
                    SceneContainer& container, std::string* error, const ImportOptions& options);
// From memory: a file the bytes name is missing.
bool ImportGltfMemory(std::string_view bytes, const std::string& label, SceneContainer& container, std::string* error);

// The extension among those the bytes use that Assimp 5.2 would misread
// (quantization, meshopt); empty when there is none.
std::string UndecodedByAssimp(std::string_view bytes);

}  // namespace Importing::Import

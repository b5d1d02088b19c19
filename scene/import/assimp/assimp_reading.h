#pragma once

// Loading a file with Assimp under the import settings of this library.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene/import/import_settings.h"

struct aiScene;
namespace Assimp {
class Importer;
class IOSystem;
}  // namespace Assimp

namespace Importing {
enum class GltfReader;
}

namespace Importing::Import {

// Sets the importer properties the conversion relies on.
void ConfigureImporter(Assimp::Importer& importer);

struct ReadOutcome {
  // The importer of a second read, when the first was rejected; the scene
  // then belongs to it rather than to the caller's importer.
  std::unique_ptr<Assimp::Importer> fallback;
  const aiScene* scene = nullptr;  // owned by an importer; null on failure
  std::string error;               // Assimp's reason when scene is null
  std::vector<std::string> warnings;
};

// Reads with validation first; when validation rejects the file, reads it
// again without any post-processing, refuses it when its structure is broken
// (raw_scene_checks.h), and otherwise post-processes it without validation
// and records the rejection as a warning. Either way each value fault the
// scene holds is named in the warnings; the second read uses
// a new importer set up by ConfigureImporter. `progress` (may be
// empty) receives the fraction done; `fileSystem` (may be empty) makes the
// file system of each read, which the reading importer then owns.
ReadOutcome ReadFile(Assimp::Importer& importer, const std::string& path,
                     const std::function<void(float)>& progress,
                     const std::function<Assimp::IOSystem*()>& fileSystem = {});
ReadOutcome ReadMemory(Assimp::Importer& importer, const void* data, std::size_t size,
                       const std::string& extension);

// The version of the Assimp library in use, e.g. "5.2.5 (revision 0)".
std::string AssimpVersionText();

// The scene's source format as the reading importer names it, falling back
// to the importer registered for `extension`.
std::string FormatName(const Assimp::Importer& importer, const aiScene& scene,
                       const std::string& extension);

// "gltf" for "dir/a.GLTF"; empty when the file name has no extension.
std::string LowerExtension(const std::string& path);

}  // namespace Importing::Import

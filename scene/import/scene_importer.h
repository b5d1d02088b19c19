#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "scene/import/file_identity.h"
#include "scene/scene_container.h"

namespace Importing {

// The files a read opened (the scene file first) and the paths it looked
// for and did not find: what decides whether its result is still current.
struct ImportedFiles {
  std::vector<Import::FileIdentity> opened;
  std::vector<std::string> missing;
};

// Which reader reads glTF: this library's own (the default) or Assimp's.
enum class GltfReader { Native, Assimp };

// "native" or "assimp"; and back (false for another name).
const char* GltfReaderName(GltfReader reader);
bool ParseGltfReader(const std::string& name, GltfReader& reader);

struct ImportOptions {
  // Called with the fraction done (0 to 1) while a file loads; may be empty.
  std::function<void(float)> progress;
  // When set, receives the files the read opened and missed.
  ImportedFiles* files = nullptr;
  GltfReader gltfReader = GltfReader::Native;
};

// Reads a 3D file (glTF, FBX, Collada, OBJ, 3DS, X, PLY, STL, ...) and fills
// `container` with its scene. On failure returns false, leaves `container` as
// it was and explains in `error` (the path and the reason). A file whose
// extension no reader claims, or that has none, is offered to every reader
// by its content. Warnings go to the container's source info. Only regular
// files are read: a scene naming a FIFO, device or directory fails. Running
// out of memory is a failure too, never an exception.
bool ImportScene(const std::string& path, SceneContainer& container, std::string* error,
                 const ImportOptions& options = {});

// As ImportScene, from bytes in memory; `extension` (e.g. "gltf") tells the
// format. External files that the bytes refer to are not read.
bool ImportSceneFromMemory(const void* data, std::size_t size, const std::string& extension,
                           SceneContainer& container, std::string* error,
                           GltfReader gltfReader = GltfReader::Native);

// The extensions the importer reads, e.g. "*.3ds;*.dae;*.fbx;...".
std::string SupportedExtensions();

}  // namespace Importing

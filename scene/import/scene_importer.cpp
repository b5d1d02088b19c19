#include "scene/import/scene_importer.h"

#include <sys/stat.h>

#include <fstream>
#include <new>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "scene/import/assimp/assimp_import.h"
#include "scene/import/assimp/assimp_reading.h"
#include "scene/import/file_identity.h"
#include "scene/import/gltf/gltf_import.h"
#include "scene/import/large_stack.h"
#include "scene/import/mapped_file.h"

// Which reader reads a file: glTF (by name or by content) goes to the reader
// of gltf/ unless Assimp's is asked for, everything else to assimp/.
namespace Importing {
namespace {

using namespace Import;

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// The scene file itself, when it is one regular file; else explains.
bool StatSceneFile(const std::string& path, struct stat& info, std::string* error) {
  if (::stat(path.c_str(), &info) != 0) {
    SetError(error, "Cannot import '" + path + "': no such file");
    return false;
  }
  if (!S_ISREG(info.st_mode)) {
    SetError(error, "Cannot import '" + path + "': not a regular file (it is " + FileKindName(info.st_mode) + ")");
    return false;
  }
  return true;
}

std::string Head(const std::string& path) {
  std::string head(64, '\0');
  std::ifstream probe(path, std::ios::binary);
  probe.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(probe.gcount()));
  return head;
}

bool ImportSceneHere(const std::string& path, SceneContainer& container, std::string* error,
                     const ImportOptions& options) {
  struct stat info;
  if (!StatSceneFile(path, info, error)) return false;
  if (IsGltfFile(LowerExtension(path), Head(path))) {
    const MappedFile file(path, static_cast<std::size_t>(info.st_size));
    if (!file.Mapped()) {
      SetError(error, "Cannot import '" + path + "': it cannot be read");
      return false;
    }
    if (options.gltfReader == GltfReader::Native) return ImportGltfFile(path, file.Bytes(), info, container, error, options);
    const std::string undecoded = UndecodedByAssimp(file.Bytes());
    if (!undecoded.empty()) {
      SetError(error, "Cannot import '" + path + "': it uses " + undecoded +
                          ", which the Assimp reader does not decode; the native reader does");
      return false;
    }
  }
  return ImportWithAssimp(path, info, container, error, options);
}

// Runs an import so that nothing escapes it: running out of memory, or
// anything else thrown, is a failure with a message.
template <typename Import>
bool Guarded(const std::string& label, std::string* error, Import import) {
  bool imported = false;
  try {
    RunOnLargeStack([&] { imported = import(); });
  } catch (const std::bad_alloc&) {
    SetError(error, "Cannot import '" + label + "': ran out of memory while reading it");
    return false;
  } catch (const std::exception& failure) {
    SetError(error, "Cannot import '" + label + "': " + failure.what());
    return false;
  }
  return imported;
}

bool ImportSceneFromMemoryHere(const void* data, std::size_t size, const std::string& extension,
                               SceneContainer& container, std::string* error, GltfReader gltfReader) {
  const std::string label = "<memory>." + extension;
  if (!data || size == 0) {
    SetError(error, "Cannot import '" + label + "': no data");
    return false;
  }
  const std::string lower = LowerExtension("x." + extension);
  const std::string_view bytes(static_cast<const char*>(data), size);
  if (lower == "gltf" || lower == "glb") {
    if (gltfReader == GltfReader::Native) return ImportGltfMemory(bytes, label, container, error);
    const std::string undecoded = UndecodedByAssimp(bytes);
    if (!undecoded.empty()) {
      SetError(error, "Cannot import '" + label + "': it uses " + undecoded + ", which the Assimp reader does not decode");
      return false;
    }
  }
  return ImportMemoryWithAssimp(data, size, lower, label, container, error);
}

}  // namespace

bool ImportScene(const std::string& path, SceneContainer& container, std::string* error,
                 const ImportOptions& options) {
  return Guarded(path, error, [&] { return ImportSceneHere(path, container, error, options); });
}

bool ImportSceneFromMemory(const void* data, std::size_t size, const std::string& extension,
                           SceneContainer& container, std::string* error, GltfReader gltfReader) {
  return Guarded("<memory>." + extension, error,
                 [&] { return ImportSceneFromMemoryHere(data, size, extension, container, error, gltfReader); });
}

std::string SupportedExtensions() { return AssimpExtensions(); }

}  // namespace Importing

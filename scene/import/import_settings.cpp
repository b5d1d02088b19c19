#include "scene/import/import_settings.h"

#include <assimp/postprocess.h>
#include <assimp/types.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <cstdio>
#include <string_view>

#include "scene/import/file_identity.h"
#include "scene/import/scene_importer.h"

namespace Importing {

const char* GltfReaderName(GltfReader reader) { return reader == GltfReader::Native ? "native" : "assimp"; }

bool ParseGltfReader(const std::string& name, GltfReader& reader) {
  if (name == "native") reader = GltfReader::Native;
  else if (name == "assimp") reader = GltfReader::Assimp;
  else return false;
  return true;
}

}  // namespace Importing

namespace Importing::Import {

unsigned PostProcessFlags(bool validate) {
  unsigned flags = aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_GenBoundingBoxes;
  if (validate) flags |= aiProcess_ValidateDataStructure;
  return flags;
}

std::string ImportSettingsText(GltfReader gltfReader) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%x", PostProcessFlags(true));
  return "post-processing 0x" + std::string(hex) + ", no skeleton meshes, FBX pivots folded, Collada names, glTF reader " +
         GltfReaderName(gltfReader);
}

std::string ReaderLibrariesText() {
  std::string text;
  std::string_view files = SCI_READER_LIBRARY_FILES;
  while (!files.empty()) {
    const std::size_t end = files.find(':');
    const std::string path(files.substr(0, end));
    files = end == std::string_view::npos ? std::string_view() : files.substr(end + 1);
    struct stat info {};
    text += path;
    if (::stat(path.c_str(), &info) == 0) {
      const FileIdentity file = IdentityOf(path, info);
      text += ' ' + std::to_string(file.size) + ' ' + std::to_string(file.mtimeNs) + ' ' + std::to_string(file.inode);
    } else {
      text += " missing";
    }
    text += '\n';
  }
  return text;
}

std::string ReadableExtensions(std::string* error) {
  void* library = ::dlopen(SCI_ASSIMP_SONAME, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    *error = std::string("cannot load ") + SCI_ASSIMP_SONAME + ": " + ::dlerror();
    return {};
  }
  using ExtensionList = void (*)(aiString*);
  const auto list = reinterpret_cast<ExtensionList>(::dlsym(library, "aiGetExtensionList"));
  std::string extensions;
  if (list == nullptr) {
    *error = std::string(SCI_ASSIMP_SONAME) + " has no aiGetExtensionList";
  } else {
    aiString text;
    list(&text);
    extensions = text.C_Str();
  }
  ::dlclose(library);
  return extensions;
}

}  // namespace Importing::Import

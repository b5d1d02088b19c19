#include "scene/import/gltf/gltf_import.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <vector>

#include "scene/import/file_identity.h"
#include "scene/import/gltf/gltf_reader.h"
#include "scene/import/gltf/json_value.h"

namespace Importing::Import {
namespace {

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

std::optional<std::string> ReadWhole(const std::string& path, std::uint64_t size) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return std::nullopt;
  std::string bytes(size, '\0');
  const std::size_t read = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  if (read != bytes.size()) return std::nullopt;
  return bytes;
}

// The files a glTF document names, read from beside it: regular files only,
// each opened and each missing one recorded.
class FilesBeside {
 public:
  explicit FilesBeside(const std::string& scenePath)
      : folder_(std::filesystem::path(scenePath).parent_path().string()) {}

  std::optional<std::string> operator()(const std::string& relative) {
    const std::string path = folder_.empty() ? relative : folder_ + "/" + relative;
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
      missing_.push_back(AbsolutePath(path));
      return std::nullopt;
    }
    if (!S_ISREG(info.st_mode))
      throw Gltf::FormatError("it names a file that is not a regular file: '" + path + "' is " + FileKindName(info.st_mode));
    auto bytes = ReadWhole(path, static_cast<std::uint64_t>(info.st_size));
    if (!bytes) throw Gltf::FormatError("the file '" + path + "' it names cannot be read");
    opened_.push_back(IdentityOf(AbsolutePath(path), info));
    return bytes;
  }

  const std::vector<FileIdentity>& Opened() const { return opened_; }
  const std::vector<std::string>& Missing() const { return missing_; }

 private:
  std::string folder_;
  std::vector<FileIdentity> opened_;
  std::vector<std::string> missing_;
};

}  // namespace

bool ImportGltfFile(const std::string& path, std::string_view bytes, const struct stat& info,
                    SceneContainer& container, std::string* error, const ImportOptions& options) {
  FilesBeside files(path);
  SceneData data;
  std::string why;
  if (!ReadGltf(bytes, std::ref(files), data, &why)) {
    SetError(error, "Cannot import '" + path + "': " + why);
    return false;
  }
  if (options.files) {
    options.files->opened = {IdentityOf(AbsolutePath(path), info)};
    for (const FileIdentity& opened : files.Opened())
      if (opened.path != options.files->opened.front().path) options.files->opened.push_back(opened);
    options.files->missing = files.Missing();
  }
  if (options.progress) options.progress(1.0f);
  data.source.path = path;
  container.Fill(std::move(data));
  return true;
}

bool IsGltfFile(const std::string& lowerExtension, std::string_view head) {
  return lowerExtension == "gltf" || lowerExtension == "glb" || LooksLikeGltf(head);
}

bool ImportGltfMemory(std::string_view bytes, const std::string& label, SceneContainer& container, std::string* error) {
  SceneData scene;
  std::string why;
  if (!ReadGltf(bytes, [](const std::string&) { return std::optional<std::string>(); }, scene, &why)) {
    SetError(error, "Cannot import '" + label + "': " + why);
    return false;
  }
  scene.source.path = label;
  container.Fill(std::move(scene));
  return true;
}

std::string UndecodedByAssimp(std::string_view bytes) {
  for (const std::string& name : GltfExtensions(bytes))
    if (name == "KHR_mesh_quantization" || name == "EXT_meshopt_compression" || name == "KHR_meshopt_compression")
      return name;
  return {};
}

}  // namespace Importing::Import

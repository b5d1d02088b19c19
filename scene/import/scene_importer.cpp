#include "scene/import/scene_importer.h"

#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <fstream>
#include <optional>
#include <unordered_map>
#include <utility>

#include "scene/import/animation_conversion.h"
#include "scene/import/assimp_reading.h"
#include "scene/import/binary_gltf_check.h"
#include "scene/import/camera_light_conversion.h"
#include "scene/import/convert_math.h"
#include "scene/import/gltf/gltf_reader.h"
#include "scene/import/gltf/json_value.h"
#include "scene/import/large_stack.h"
#include "scene/import/mapped_file.h"
#include "scene/import/material_conversion.h"
#include "scene/import/mesh_conversion.h"
#include "scene/import/node_conversion.h"
#include "scene/import/ply_header_check.h"
#include "scene/import/recording_file_system.h"

namespace Importing {
namespace {

using namespace Import;

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

bool IsGltf(const std::string& format) { return format.find("glTF") != std::string::npos; }
bool IsFbx(const std::string& format) { return format.find("FBX") != std::string::npos; }
// Formats whose meshes store shared vertices and index lists of their own.
bool IsIndexed(const std::string& format) { return IsGltf(format) || format.find("PLY") != std::string::npos; }

// The first ID of each node name, in pre-order.
std::unordered_map<std::string, int> FirstIDsByName(const std::vector<Node>& nodes) {
  std::unordered_map<std::string, int> ids;
  for (int i = 0; i < static_cast<int>(nodes.size()); ++i) ids.emplace(nodes[i].GetName(), i);
  return ids;
}

std::optional<float> GltfLightRange(const aiNode* node) {
  if (!node || !node->mMetaData) return std::nullopt;
  float range = 0;
  if (node->mMetaData->Get("PBR_LightRange", range)) return range;
  double wide = 0;
  if (node->mMetaData->Get("PBR_LightRange", wide)) return static_cast<float>(wide);
  return std::nullopt;
}

// Converts the whole Assimp scene into `data` in one pass.
void Convert(const aiScene& scene, const std::string& format, SceneData& data) {
  const bool gltf = IsGltf(format);
  auto& warnings = data.source.warnings;
  const MetadataDialect dialect = gltf ? MetadataDialect::Gltf
                                  : IsFbx(format) ? MetadataDialect::Fbx
                                                  : MetadataDialect::Generic;

  std::vector<const aiNode*> sourceNodes;
  if (scene.mRootNode) {
    sourceNodes = ConvertNodes(*scene.mRootNode, dialect, data.nodes);
    data.rootNodeID = 0;
  }
  const auto nodeIDs = FirstIDsByName(data.nodes);

  MaterialTables materials = ConvertMaterials(scene, gltf);
  data.materials = std::move(materials.materials);
  data.texturePaths = std::move(materials.texturePaths);

  // Records declare virtual destructors and so have no move constructors: a
  // collection that reallocated would copy every vertex of every geometry.
  data.geometries.reserve(scene.mNumMeshes);
  data.surfaces.reserve(scene.mNumMeshes);
  for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
    const aiMesh& mesh = *scene.mMeshes[i];
    int materialID = static_cast<int>(mesh.mMaterialIndex);
    if (mesh.mMaterialIndex >= data.materials.size()) {
      // Only an unvalidated file gets here; keep every ID a valid index.
      warnings.push_back("Mesh '" + ToString(mesh.mName) + "' names a missing material; given a default one");
      materials.texturesByMaterial.emplace_back();
      data.materials.emplace_back("default");
      materialID = static_cast<int>(data.materials.size()) - 1;
    }
    data.geometries.push_back(ConvertMesh(mesh, warnings, IsIndexed(format)));
    Surface surface(static_cast<int>(i), materialID);
    surface.Textures = materials.texturesByMaterial[materialID];
    data.surfaces.push_back(std::move(surface));
  }
  for (std::size_t id = 0; id < sourceNodes.size(); ++id) {
    const aiNode& node = *sourceNodes[id];
    for (unsigned k = 0; k < node.mNumMeshes; ++k)
      if (node.mMeshes[k] < scene.mNumMeshes) data.nodes[id].SurfaceIDs.push_back(node.mMeshes[k]);
  }

  for (unsigned i = 0; i < scene.mNumCameras; ++i) {
    const aiCamera& camera = *scene.mCameras[i];
    data.cameras.push_back(ConvertCamera(camera, gltf));
    const auto node = nodeIDs.find(ToString(camera.mName));
    if (node != nodeIDs.end()) data.nodes[node->second].CameraIDs.push_back(i);
    else warnings.push_back("Camera '" + ToString(camera.mName) + "' has no node of its name");
  }
  for (unsigned i = 0; i < scene.mNumLights; ++i) {
    const aiLight& light = *scene.mLights[i];
    const auto node = nodeIDs.find(ToString(light.mName));
    const aiNode* carrier = node != nodeIDs.end() ? sourceNodes[node->second] : nullptr;
    data.lights.push_back(ConvertLight(light, gltf, gltf ? GltfLightRange(carrier) : std::nullopt));
    if (carrier) data.nodes[node->second].LightIDs.push_back(i);
    else warnings.push_back("Light '" + ToString(light.mName) + "' has no node of its name");
  }

  std::unordered_map<std::string, int> animationIDs;  // first channel per target name
  for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
    const aiAnimation& animation = *scene.mAnimations[a];
    for (unsigned c = 0; c < animation.mNumChannels; ++c) {
      const aiNodeAnim& channel = *animation.mChannels[c];
      animationIDs.emplace(ToString(channel.mNodeName), static_cast<int>(data.animations.size()));
      data.animations.push_back(ConvertChannel(channel, animation.mTicksPerSecond));
    }
  }
  for (Node& node : data.nodes) {
    const auto id = animationIDs.find(node.GetName());
    node.SetAnimationID(id != animationIDs.end() ? id->second : -1);
  }

  for (unsigned i = 0; i < scene.mNumTextures; ++i) {
    const aiTexture& image = *scene.mTextures[i];
    data.source.embeddedImages.push_back("*" + std::to_string(i));
    data.source.embeddedImageNames.push_back(ToString(image.mFilename));
    // A height of 0 marks an image kept as its file's bytes, mWidth of them.
    const bool file = image.mHeight == 0 && image.pcData != nullptr;
    data.source.embeddedImageBytes.emplace_back(file ? reinterpret_cast<const char*>(image.pcData) : "",
                                                file ? image.mWidth : 0);
  }
  data.source.format = format;
}

std::string UnknownFormat(const std::string& extension) {
  return "unknown file format" + (extension.empty() ? std::string(" (no extension)") : " '." + extension + "'");
}

// Converts a read outcome; on success fills `container`, else explains.
bool Finish(const Assimp::Importer& importer, ReadOutcome outcome, const std::string& path,
            const std::string& extension, SceneContainer& container, std::string* error) {
  if (!outcome.scene) {
    // A file whose extension no reader claims has been offered to every reader by its content.
    const bool unknown = extension.empty() || !importer.IsExtensionSupported(extension);
    SetError(error, "Cannot import '" + path + "': " +
                        (unknown ? UnknownFormat(extension) + " and no reader recognises its content" : outcome.error));
    return false;
  }
  SceneData data;
  data.source.path = path;
  data.source.warnings = std::move(outcome.warnings);
  const Assimp::Importer& reader = outcome.fallback ? *outcome.fallback : importer;
  Convert(*outcome.scene, FormatName(reader, *outcome.scene, extension), data);
  container.Fill(std::move(data));
  return true;
}

bool CheckExtension(const Assimp::Importer& importer, const std::string& extension,
                    const std::string& path, std::string* error) {
  if (!extension.empty() && importer.IsExtensionSupported(extension)) return true;
  SetError(error, "Cannot import '" + path + "': " + UnknownFormat(extension));
  return false;
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

bool IsGltfExtension(const std::string& extension) { return extension == "gltf" || extension == "glb"; }

// Extensions whose data Assimp 5.2 reads as something else.
std::string UndecodedByAssimp(std::string_view bytes) {
  for (const std::string& name : GltfExtensions(bytes))
    if (name == "KHR_mesh_quantization" || name == "EXT_meshopt_compression" || name == "KHR_meshopt_compression")
      return name;
  return {};
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

bool ImportGltfHere(const std::string& path, std::string_view bytes, const struct stat& info,
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

bool ImportSceneHere(const std::string& path, SceneContainer& container, std::string* error,
                     const ImportOptions& options) {
  struct stat info;
  if (!StatSceneFile(path, info, error)) return false;
  const std::string lowerExtension = LowerExtension(path);
  if (IsGltfExtension(lowerExtension) || lowerExtension.empty() ||
      !Assimp::Importer().IsExtensionSupported(lowerExtension)) {
    std::string head(64, '\0');
    std::ifstream probe(path, std::ios::binary);
    probe.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(probe.gcount()));
    if (IsGltfExtension(lowerExtension) || LooksLikeGltf(head)) {
      const MappedFile file(path, static_cast<std::size_t>(info.st_size));
      if (!file.Mapped()) {
        SetError(error, "Cannot import '" + path + "': it cannot be read");
        return false;
      }
      if (options.gltfReader == GltfReader::Native)
        return ImportGltfHere(path, file.Bytes(), info, container, error, options);
      const std::string undecoded = UndecodedByAssimp(file.Bytes());
      if (!undecoded.empty()) {
        SetError(error, "Cannot import '" + path + "': it uses " + undecoded +
                            ", which the Assimp reader does not decode; the native reader does");
        return false;
      }
    }
  }
  // The importer owns the Assimp scene and releases it when it goes out of
  // scope, before this function returns.
  Assimp::Importer importer;
  const std::string extension = LowerExtension(path);
  std::ifstream file(path, std::ios::binary);
  const auto readFile = [&file](std::uint64_t offset, void* out, std::size_t count) {
    file.clear();
    file.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(file.read(static_cast<char*>(out), static_cast<std::streamsize>(count)));
  };
  std::string why, head(kMaxPlyHeaderBytes, '\0');
  file.read(head.data(), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(file.gcount()));
  if (!CheckBinaryGltfLengths(static_cast<std::uint64_t>(info.st_size), readFile, &why) ||
      !CheckPlyHeader(head.data(), head.size(), extension == "ply", &why)) {
    SetError(error, "Cannot import '" + path + "': " + why);
    return false;
  }
  ConfigureImporter(importer);
  RecordingFileSystem files;
  ReadOutcome outcome = ReadFile(importer, path, options.progress, [&files] { return files.NewView(); });
  if (!files.Refused().empty()) {
    SetError(error, "Cannot import '" + path + "': it names a file that is not a regular file: " +
                        files.Refused().front());
    return false;
  }
  if (options.files) {
    // The scene file first, as it was when checked above.
    options.files->opened = {IdentityOf(AbsolutePath(path), info)};
    for (const FileIdentity& opened : files.Opened())
      if (opened.path != options.files->opened.front().path) options.files->opened.push_back(opened);
    options.files->missing = files.Missing();
  }
  return Finish(importer, std::move(outcome), path, extension, container, error);
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
  const std::string_view bytes(static_cast<const char*>(data), size);
  if (IsGltfExtension(LowerExtension("x." + extension))) {
    if (gltfReader == GltfReader::Native) {
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
    const std::string undecoded = UndecodedByAssimp(bytes);
    if (!undecoded.empty()) {
      SetError(error, "Cannot import '" + label + "': it uses " + undecoded + ", which the Assimp reader does not decode");
      return false;
    }
  }
  Assimp::Importer importer;
  std::string lower = LowerExtension("x." + extension);
  if (!CheckExtension(importer, lower, label, error)) return false;
  const auto readMemory = [data, size](std::uint64_t offset, void* out, std::size_t count) {
    if (offset > size || count > size - offset) return false;
    std::memcpy(out, static_cast<const unsigned char*>(data) + offset, count);
    return true;
  };
  std::string why;
  if (!CheckBinaryGltfLengths(size, readMemory, &why) ||
      !CheckPlyHeader(static_cast<const char*>(data), size, lower == "ply", &why)) {
    SetError(error, "Cannot import '" + label + "': " + why);
    return false;
  }
  ConfigureImporter(importer);
  return Finish(importer, ReadMemory(importer, data, size, lower), label, lower, container, error);
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

const char* GltfReaderName(GltfReader reader) { return reader == GltfReader::Native ? "native" : "assimp"; }

bool ParseGltfReader(const std::string& name, GltfReader& reader) {
  if (name == "native") reader = GltfReader::Native;
  else if (name == "assimp") reader = GltfReader::Assimp;
  else return false;
  return true;
}

std::string SupportedExtensions() {
  aiString list;
  Assimp::Importer().GetExtensionList(list);
  return list.C_Str();
}

}  // namespace Importing

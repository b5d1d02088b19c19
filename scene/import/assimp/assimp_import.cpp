#include "scene/import/assimp/assimp_import.h"

#include <assimp/ColladaMetaData.h>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "scene/import/assimp/animation_conversion.h"
#include "scene/import/assimp/assimp_reading.h"
#include "scene/import/assimp/binary_gltf_check.h"
#include "scene/import/assimp/camera_light_conversion.h"
#include "scene/import/assimp/convert_math.h"
#include "scene/import/assimp/material_conversion.h"
#include "scene/import/assimp/mesh_conversion.h"
#include "scene/import/assimp/node_conversion.h"
#include "scene/import/assimp/ply_header_check.h"
#include "scene/import/assimp/recording_file_system.h"

namespace Importing::Import {
namespace {

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

// Collada nodes are read by their name attribute; one without gets the
// reader's made-up name, here replaced by its id (and so are the names of
// the cameras and lights it carries), once every link by name is made.
void NameUnnamedColladaNodesById(const std::vector<const aiNode*>& sourceNodes, SceneData& data) {
  constexpr std::string_view kMadeUp = "$ColladaAutoName$_";
  for (std::size_t id = 0; id < sourceNodes.size(); ++id) {
    aiString colladaId;
    const std::string name = data.nodes[id].GetName();
    if (name.compare(0, kMadeUp.size(), kMadeUp) != 0 || !sourceNodes[id]->mMetaData ||
        !sourceNodes[id]->mMetaData->Get(AI_METADATA_COLLADA_ID, colladaId) || colladaId.length == 0)
      continue;
    const std::string given = ToString(colladaId);
    data.nodes[id].SetName(given);
    for (Camera& camera : data.cameras)
      if (camera.GetName() == name) camera.SetName(given);
    for (Light& light : data.lights)
      if (light.GetName() == name) light.SetName(given);
  }
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
    data.source.animationGroups.push_back(
        {ToString(animation.mName), static_cast<std::uint32_t>(data.animations.size()), animation.mNumChannels});
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
  NameUnnamedColladaNodesById(sourceNodes, data);
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
}  // namespace

bool ImportWithAssimp(const std::string& path, const struct stat& info, SceneContainer& container, std::string* error,
                      const ImportOptions& options) {
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

bool ImportMemoryWithAssimp(const void* data, std::size_t size, const std::string& lower, const std::string& label,
                            SceneContainer& container, std::string* error) {
  Assimp::Importer importer;
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

std::string AssimpExtensions() {
  aiString list;
  Assimp::Importer().GetExtensionList(list);
  return list.C_Str();
}

}  // namespace Importing::Import

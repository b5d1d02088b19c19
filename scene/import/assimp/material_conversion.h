#pragma once

// Materials and their texture slots.

#include <string>
#include <vector>

#include "scene/records.h"

struct aiScene;

namespace Importing::Import {

struct MaterialTables {
  std::vector<Material> materials;
  std::vector<std::string> texturePaths;  // each distinct path once, in order of first use
  std::vector<std::vector<SurfaceTexture>> texturesByMaterial;  // what a surface of each material carries
};

// Converts every material of `scene`. `gltf` selects the glTF reading of
// UV transforms and drops base-colour slots that repeat a diffuse slot.
MaterialTables ConvertMaterials(const aiScene& scene, bool gltf);

// Lower-case name of an Assimp texture type ("diffuse", "normals", ...).
std::string TextureTypeName(unsigned assimpType);

}  // namespace Importing::Import

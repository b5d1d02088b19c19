#include "scene/import/assimp/material_conversion.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <unordered_map>

#include "scene/import/assimp/convert_math.h"
#include "scene/import/texture_matrix.h"

namespace Importing::Import {
namespace {

Color ColorOr(const aiMaterial& material, const char* key, unsigned type, unsigned index,
              const Color& fallback) {
  aiColor4D color;
  if (material.Get(key, type, index, color) == AI_SUCCESS) return ToColor(color);
  return fallback;
}

struct Slot {
  std::string path;
  unsigned type = 0;
  int uvSet = 0;
  float amount = 1;
  D3DXMATRIX matrix;
};

D3DXMATRIX SlotMatrix(const aiMaterial& material, aiTextureType type, unsigned index, bool gltf) {
  aiUVTransform stored;
  if (material.Get(AI_MATKEY_UVTRANSFORM(type, index), stored) != AI_SUCCESS) return D3DXMATRIX();
  const UvTransform t{stored.mTranslation.x, stored.mTranslation.y, stored.mScaling.x,
                      stored.mScaling.y, stored.mRotation};
  return gltf ? GltfTextureMatrix(RecoverKhrTextureTransform(t)) : GenericTextureMatrix(t);
}

std::vector<Slot> ReadSlots(const aiMaterial& material, bool gltf) {
  std::vector<Slot> slots;
  for (unsigned type = aiTextureType_NONE + 1; type <= AI_TEXTURE_TYPE_MAX; ++type) {
    const auto aiType = static_cast<aiTextureType>(type);
    const unsigned count = material.GetTextureCount(aiType);
    for (unsigned index = 0; index < count; ++index) {
      aiString path;
      unsigned uvIndex = 0;
      ai_real blend = 1;
      if (material.GetTexture(aiType, index, &path, nullptr, &uvIndex, &blend) != AI_SUCCESS) continue;
      Slot slot;
      slot.path = ToString(path);
      slot.type = type;
      slot.uvSet = static_cast<int>(uvIndex);
      slot.amount = blend;
      slot.matrix = SlotMatrix(material, aiType, index, gltf);
      slots.push_back(std::move(slot));
    }
  }
  if (gltf) {
    // The glTF importer lists the base colour texture under both types.
    const auto repeatsDiffuse = [&slots](const Slot& s) {
      return s.type == aiTextureType_BASE_COLOR &&
             std::any_of(slots.begin(), slots.end(), [&s](const Slot& d) {
               return d.type == aiTextureType_DIFFUSE && d.path == s.path;
             });
    };
    slots.erase(std::remove_if(slots.begin(), slots.end(), repeatsDiffuse), slots.end());
  }
  return slots;
}

}  // namespace

std::string TextureTypeName(unsigned assimpType) {
  switch (assimpType) {
    case aiTextureType_DIFFUSE: return "diffuse";
    case aiTextureType_SPECULAR: return "specular";
    case aiTextureType_AMBIENT: return "ambient";
    case aiTextureType_EMISSIVE: return "emissive";
    case aiTextureType_HEIGHT: return "height";
    case aiTextureType_NORMALS: return "normals";
    case aiTextureType_SHININESS: return "shininess";
    case aiTextureType_OPACITY: return "opacity";
    case aiTextureType_DISPLACEMENT: return "displacement";
    case aiTextureType_LIGHTMAP: return "lightmap";
    case aiTextureType_REFLECTION: return "reflection";
    case aiTextureType_BASE_COLOR: return "basecolor";
    case aiTextureType_NORMAL_CAMERA: return "normal_camera";
    case aiTextureType_EMISSION_COLOR: return "emission_color";
    case aiTextureType_METALNESS: return "metalness";
    case aiTextureType_DIFFUSE_ROUGHNESS: return "diffuse_roughness";
    case aiTextureType_AMBIENT_OCCLUSION: return "ambient_occlusion";
    case aiTextureType_SHEEN: return "sheen";
    case aiTextureType_CLEARCOAT: return "clearcoat";
    case aiTextureType_TRANSMISSION: return "transmission";
    default: return "unknown";
  }
}

MaterialTables ConvertMaterials(const aiScene& scene, bool gltf) {
  MaterialTables tables;
  std::unordered_map<std::string, int> pathIDs;
  for (unsigned i = 0; i < scene.mNumMaterials; ++i) {
    const aiMaterial& source = *scene.mMaterials[i];
    Material material(ToString(source.GetName()));
    material.SetDiffuse(ColorOr(source, AI_MATKEY_COLOR_DIFFUSE, {1, 1, 1, 1}));
    material.SetEmissive(ColorOr(source, AI_MATKEY_COLOR_EMISSIVE, {0, 0, 0, 1}));
    material.SetSpecular(ColorOr(source, AI_MATKEY_COLOR_SPECULAR, {0, 0, 0, 1}));
    ai_real shininess = 0, opacity = 1;
    source.Get(AI_MATKEY_SHININESS, shininess);
    source.Get(AI_MATKEY_OPACITY, opacity);
    material.SetSpecularPower(shininess);
    material.SetOpacity(opacity);
    tables.materials.push_back(std::move(material));

    std::vector<SurfaceTexture> textures;
    for (const Slot& slot : ReadSlots(source, gltf)) {
      const auto [it, added] = pathIDs.emplace(slot.path, static_cast<int>(tables.texturePaths.size()));
      if (added) tables.texturePaths.push_back(slot.path);
      textures.emplace_back(it->second, TextureTypeName(slot.type), slot.uvSet, slot.amount, slot.matrix);
    }
    tables.texturesByMaterial.push_back(std::move(textures));
  }
  return tables;
}

}  // namespace Importing::Import

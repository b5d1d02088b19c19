#include "scene/import/gltf/material_reading.h"

#include "scene/import/gltf/uri_text.h"
#include "scene/import/texture_matrix.h"

namespace Importing::Import::Gltf {
namespace {

// Map types in the order the Assimp route lists a material's slots.
struct MapType {
  int order;
  int index;
  const char* name;
};
constexpr MapType kDiffuse{1, 0, "diffuse"}, kSpecular{2, 0, "specular"}, kEmissive{4, 0, "emissive"},
    kNormals{6, 0, "normals"}, kLightmap{10, 0, "lightmap"}, kBaseColor{12, 0, "basecolor"},
    kMetalness{15, 0, "metalness"}, kRoughness{16, 0, "diffuse_roughness"}, kUnknown{18, 0, "unknown"},
    kSheenColor{19, 0, "sheen"}, kSheenRoughness{19, 1, "sheen"}, kClearcoat{20, 0, "clearcoat"},
    kClearcoatRoughness{20, 1, "clearcoat"}, kClearcoatNormal{20, 2, "clearcoat"},
    kTransmission{21, 0, "transmission"}, kThickness{21, 1, "transmission"};

Color ColorOf(const std::array<double, 4>& c) {
  return {static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2]), static_cast<float>(c[3])};
}
Color ColorOf(const std::array<double, 3>& c) {
  return {static_cast<float>(c[0]), static_cast<float>(c[1]), static_cast<float>(c[2]), 1.0f};
}

// The image a texture draws: its `source`, else the source an image
// extension names (WebP, Basis Universal, DDS).
std::optional<std::size_t> TextureImage(const Document& document, const JsonValue& texture) {
  if (const auto source = texture.OptionalIndex("source")) return static_cast<std::size_t>(*source);
  if (const auto extensions = texture.Find("extensions"))
    for (const char* name : {"EXT_texture_webp", "KHR_texture_basisu", "MSFT_texture_dds", "EXT_texture_avif"})
      if (const auto extension = extensions->Find(name)) return static_cast<std::size_t>(extension->Index("source"));
  (void)document;
  return std::nullopt;
}

class SlotReader {
 public:
  SlotReader(const Document& document, std::vector<TextureSlot>& slots) : document_(document), slots_(slots) {}

  // Adds a slot per type for the textureInfo `key` of `owner`, if present.
  void Read(const JsonValue& owner, const char* key, std::initializer_list<MapType> types) {
    const auto info = owner.Find(key);
    if (!info) return;
    const JsonValue& texture = document_.Item(document_.textures, "textures", info->Index("index"), info->Place());
    const auto image = TextureImage(document_, texture);
    if (!image) return;
    document_.Item(document_.images, "images", *image, texture.Place());
    int uvSet = static_cast<int>(info->OptionalIndex("texCoord").value_or(0));
    D3DXMATRIX matrix;
    if (const auto extensions = info->Find("extensions")) {
      if (const auto transform = extensions->Find("KHR_texture_transform")) {
        const auto offset = transform->Numbers<2>("offset", {0, 0});
        const auto scale = transform->Numbers<2>("scale", {1, 1});
        KhrTextureTransform t;
        t.offsetX = static_cast<float>(offset[0]);
        t.offsetY = static_cast<float>(offset[1]);
        t.rotation = static_cast<float>(transform->Number("rotation", 0));
        t.scaleX = static_cast<float>(scale[0]);
        t.scaleY = static_cast<float>(scale[1]);
        matrix = GltfTextureMatrix(t);
        if (const auto texCoord = transform->OptionalIndex("texCoord")) uvSet = static_cast<int>(*texCoord);
      }
    }
    for (const MapType& type : types) {
      // A later slot of the same type and number replaces an earlier one.
      TextureSlot slot{type.order, type.index, type.name, *image, uvSet, matrix};
      bool replaced = false;
      for (TextureSlot& kept : slots_)
        if (kept.typeOrder == type.order && kept.typeIndex == type.index) kept = slot, replaced = true;
      if (!replaced) slots_.push_back(std::move(slot));
    }
  }

 private:
  const Document& document_;
  std::vector<TextureSlot>& slots_;
};

}  // namespace

std::optional<std::string> ImageFileReference(const JsonValue& image) {
  const auto uri = image.Find("uri");
  if (!uri || image.Find("bufferView")) return std::nullopt;
  const std::string_view text = uri->AsString();
  if (text.substr(0, 5) == "data:") return std::nullopt;
  return PercentDecoded(text);
}

MaterialReading ReadMaterial(const Document& document, const std::optional<JsonValue>& source) {
  MaterialReading out;
  Material& material = out.material;
  material.SetName("");
  std::array<double, 4> baseColor{1, 1, 1, 1};
  double roughness = 1;
  if (!source) {
    material.SetDiffuse(ColorOf(baseColor));
    material.SetSpecularPower(0);
    return out;
  }
  const JsonValue& m = *source;
  material.SetName(m.String("name"));
  SlotReader slots(document, out.slots);
  const auto pbr = m.Find("pbrMetallicRoughness");
  if (pbr) {
    baseColor = pbr->Numbers<4>("baseColorFactor", baseColor);
    slots.Read(*pbr, "baseColorTexture", {kBaseColor, kDiffuse});
    slots.Read(*pbr, "metallicRoughnessTexture", {kUnknown, kMetalness, kRoughness});
    roughness = pbr->Number("roughnessFactor", 1);
  }
  slots.Read(m, "normalTexture", {kNormals});
  slots.Read(m, "occlusionTexture", {kLightmap});
  slots.Read(m, "emissiveTexture", {kEmissive});
  material.SetDiffuse(ColorOf(baseColor));
  material.SetEmissive(ColorOf(m.Numbers<3>("emissiveFactor", {0, 0, 0})));
  material.SetOpacity(static_cast<float>(baseColor[3]));
  // The Assimp route's shininess: (1 - roughness)^2 * 1000, in floats.
  float shininess = 1 - static_cast<float>(roughness);
  shininess *= shininess * 1000;
  material.SetSpecularPower(shininess);

  const auto extensions = m.Find("extensions");
  if (!extensions) return out;
  if (const auto sg = extensions->Find("KHR_materials_pbrSpecularGlossiness")) {
    material.SetDiffuse(ColorOf(sg->Numbers<4>("diffuseFactor", {1, 1, 1, 1})));
    material.SetSpecular(ColorOf(sg->Numbers<3>("specularFactor", {1, 1, 1})));
    material.SetSpecularPower(static_cast<float>(sg->Number("glossinessFactor", 1)) * 1000.0f);
    slots.Read(*sg, "diffuseTexture", {kDiffuse});
    slots.Read(*sg, "specularGlossinessTexture", {kSpecular});
  }
  if (const auto sheen = extensions->Find("KHR_materials_sheen")) {
    const auto color = sheen->Numbers<3>("sheenColorFactor", {0, 0, 0});
    if (color[0] != 0 || color[1] != 0 || color[2] != 0) {
      slots.Read(*sheen, "sheenColorTexture", {kSheenColor});
      slots.Read(*sheen, "sheenRoughnessTexture", {kSheenRoughness});
    }
  }
  if (const auto clearcoat = extensions->Find("KHR_materials_clearcoat")) {
    if (clearcoat->Number("clearcoatFactor", 0) != 0) {
      slots.Read(*clearcoat, "clearcoatTexture", {kClearcoat});
      slots.Read(*clearcoat, "clearcoatRoughnessTexture", {kClearcoatRoughness});
      slots.Read(*clearcoat, "clearcoatNormalTexture", {kClearcoatNormal});
    }
  }
  if (const auto transmission = extensions->Find("KHR_materials_transmission"))
    slots.Read(*transmission, "transmissionTexture", {kTransmission});
  if (const auto volume = extensions->Find("KHR_materials_volume"))
    slots.Read(*volume, "thicknessTexture", {kThickness});
  return out;
}

}  // namespace Importing::Import::Gltf

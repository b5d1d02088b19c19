#include "channel/scene_container_info.h"
#include "host/material_channels.h"
#include "queries/query_support.h"

// The material and texture queries: counts, a material's name and the
// surfaces that use it, a texture's path, and the two that hand a whole
// record to a host Material or Texture channel.
namespace Importing {

using namespace query;

namespace {

// A colour into an optional Value Vector child of a Material channel: the
// whole triple, then each component on its own.
void WriteColour(const MaterialChannel& material, int index, const D3DXVECTOR3& colour) {
  auto* child = dynamic_cast<ValueVectorChannel*>(material.GetChild(index));
  if (child == nullptr) return;
  child->SetVector(colour);
  child->SetVectorComponent(0, colour.x);
  child->SetVectorComponent(1, colour.y);
  child->SetVectorComponent(2, colour.z);
}

// A number into an optional Value child of a Material channel.
void WriteNumber(const MaterialChannel& material, int index, float value) {
  if (auto* child = dynamic_cast<ValueChannel*>(material.GetChild(index))) child->SetValue(value);
}

}  // namespace

// Names the Material child after the material and sets its colours, power
// and opacity, then mirrors them into whichever of its children 0 to 4 are
// linked. The colours' alpha is not passed on.
int SceneContainerInfo::GetMaterial(const SceneContainer& scene) {
  auto children = Children<ValueChannel, MaterialChannel>(*this);
  if (!children) return kFailed;
  auto [materialIn, out] = *children;
  std::int32_t id;
  if (!ReadIndex(*this, *materialIn, scene.Materials().size(), messages::kMaterialId, id)) return Failed();
  const Material& material = scene.Materials()[id];

  out->SetChannelName(material.GetName().c_str());
  const D3DXVECTOR3 specular = Rgb(material.GetSpecular());
  const D3DXVECTOR3 emissive = Rgb(material.GetEmissive());
  const D3DXVECTOR3 diffuse = Rgb(material.GetDiffuse());
  const float power = material.GetSpecularPower();
  out->SetMaterial(diffuse, emissive, specular, power);
  const float opacity = material.GetOpacity();
  out->SetMaterialParameter(MaterialChannel::kOpacityParameter, opacity);

  WriteColour(*out, 0, diffuse);
  WriteColour(*out, 1, emissive);
  WriteColour(*out, 2, specular);
  WriteNumber(*out, 3, power);
  WriteNumber(*out, 4, opacity);
  return kOk;
}

int SceneContainerInfo::GetMaterialName(const SceneContainer& scene) {
  return AnswerForID<TextChannel>(*this, scene.Materials(), messages::kMaterialId, kWriteFailureValue,
                                  &Material::GetName);
}

int SceneContainerInfo::GetMaterialCount(const SceneContainer& scene) {
  return AnswerWithoutInput<ValueChannel>(*this, [&] { return scene.Materials().size(); });
}

// Surfaces are not indexed by material: every call counts them afresh.
int SceneContainerInfo::GetMaterialSurfaceCount(const SceneContainer& scene) {
  return AnswerForIndex<ValueChannel>(*this, scene.Materials().size(), messages::kMaterialId, kWriteFailureValue,
                                      [&](std::int32_t material) {
                                        std::int32_t count = 0;
                                        for (const Surface& surface : scene.Surfaces())
                                          if (surface.GetMaterialID() == material) ++count;
                                        return count;
                                      });
}

// The surface ID of the n-th surface (in ascending surface ID) that uses the
// material. The surface number is not range-checked: a negative number or one
// beyond the matches finds nothing, which gives -1 and is no failure.
int SceneContainerInfo::GetMaterialSurfaceID(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [materialIn, numberIn, out] = *children;
  std::int32_t id;
  if (!ReadIndex(*this, *materialIn, scene.Materials().size(), messages::kMaterialId, id)) return Failed(*out);
  const std::int32_t wanted = ReadInput(*numberIn);
  const auto& surfaces = scene.Surfaces();
  std::int32_t matches = 0;
  for (std::size_t surface = 0; surface < surfaces.size(); ++surface) {
    if (surfaces[surface].GetMaterialID() != id) continue;
    if (matches == wanted) return Answer(*out, static_cast<std::int32_t>(surface));
    ++matches;
  }
  return Answer(*out, std::int32_t{-1});
}

// Marks the Texture child as in use and gives it the file; an empty path
// leaves it flagged without a file.
int SceneContainerInfo::GetTexture(const SceneContainer& scene) {
  auto children = Children<ValueChannel, TextureChannel>(*this);
  if (!children) return kFailed;
  auto [textureIn, out] = *children;
  std::int32_t id;
  if (!ReadIndex(*this, *textureIn, scene.TexturePaths().size(), messages::kTextureId, id)) return Failed();
  const std::string path = scene.TexturePaths()[id];
  out->SetTextureFlag(true);
  if (!path.empty()) out->SetTextureFile(path.c_str());
  return kOk;
}

int SceneContainerInfo::GetTexturePath(const SceneContainer& scene) {
  return AnswerForID<TextChannel>(*this, scene.TexturePaths(), messages::kTextureId, kWriteFailureValue, AsIs{});
}

int SceneContainerInfo::GetTextureCount(const SceneContainer& scene) {
  return AnswerWithoutInput<ValueChannel>(*this, [&] { return scene.TexturePaths().size(); });
}

}  // namespace Importing

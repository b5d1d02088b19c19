#include "host/material_channels.h"

#include <cstring>

namespace {

struct MaterialChild {
  ChildKind kind;
  const char* label;
};

constexpr MaterialChild kMaterialChildren[] = {
    {ChildKind::ValueVector, "Diffuse"}, {ChildKind::ValueVector, "Emissive"},
    {ChildKind::ValueVector, "Specular"}, {ChildKind::Value, "Specular power"},
    {ChildKind::Value, "Opacity"},
};

}  // namespace

MaterialChannel::MaterialChannel() : Orv_Channel(kKind) {
  SetChildCreationCount(0);
  int index = 0;
  for (const auto& child : kMaterialChildren) {
    ChildCreation record;
    const ChildKindInfo& kind = KindInfo(child.kind);
    record.type.typeId = kind.typeId;
    std::strncpy(record.type.name, kind.name, sizeof record.type.name - 1);
    std::strncpy(record.label, child.label, sizeof record.label - 1);
    record.childIndex = index;
    SetChildCreateType(record, index++);
  }
}

void MaterialChannel::SetMaterial(D3DXVECTOR3 diffuse, D3DXVECTOR3 emissive, D3DXVECTOR3 specular,
                                  float specularPower) {
  diffuse_ = diffuse;
  emissive_ = emissive;
  specular_ = specular;
  specularPower_ = specularPower;
}

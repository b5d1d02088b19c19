#pragma once

#include <cstdint>

#include "host/guid.h"

// The kinds of child channel a plug-in can declare, each with the name and
// type identifier that a child declaration carries.
enum class ChildKind : std::uint8_t {
  None,
  SceneContainer,
  Value,
  Text,
  Matrix,
  ValueVector,
  Mesh,
  Material,
  Texture,
  MatrixCollection,
};

struct ChildKindInfo {
  ChildKind kind;
  const char* name;
  Guid typeId;
};

inline constexpr ChildKindInfo kChildKinds[] = {
    {ChildKind::None, "", Guid{}},
    {ChildKind::SceneContainer, "SceneContainer", Guid::Parse("7BB227FA-A24B-4BB7-B1B4-DF665D60CBE8")},
    {ChildKind::Value, "Value", Guid::Parse("BE69CCC4-CFC1-4362-AC81-767D199BBFC3")},
    {ChildKind::Text, "Text", Guid::Parse("6E6FB247-4627-4FBE-8973-48344F23881E")},
    {ChildKind::Matrix, "Matrix", Guid::Parse("2F605354-314D-4775-86E4-1F733550B227")},
    {ChildKind::ValueVector, "Value Vector", Guid::Parse("9D045960-EAC2-4C40-9BBF-10F32F7FA305")},
    {ChildKind::Mesh, "Mesh", Guid::Parse("21A8923D-B908-4104-AE88-B6718D8A8678")},
    {ChildKind::Material, "Material", Guid::Parse("376A9C13-8D66-49EC-BAE5-D59BE13BC519")},
    {ChildKind::Texture, "Texture", Guid::Parse("BC052C38-2D5D-4F0C-A0CA-654D0AFC584A")},
    {ChildKind::MatrixCollection, "Matrix collection", Guid::Parse("70565A26-5D32-48E1-8D15-397E887BCD9F")},
};

constexpr const ChildKindInfo& KindInfo(ChildKind kind) { return kChildKinds[static_cast<int>(kind)]; }

// The kind whose identifier is `id`, or ChildKind::None.
constexpr ChildKind KindOfTypeId(const Guid& id) {
  for (const auto& info : kChildKinds)
    if (info.kind != ChildKind::None && info.typeId == id) return info.kind;
  return ChildKind::None;
}

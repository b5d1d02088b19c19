#pragma once

#include <iterator>
#include <variant>

#include "host/child_kinds.h"
#include "host/material_channels.h"
#include "host/matrix_collection_channel.h"
#include "host/mesh_channel.h"
#include "host/value_channels.h"

// The value of one output child as its kind holds it, and the one table of
// child kinds that says how a child of each kind is read and made fresh.
// Every writer of answers visits these values, so none switches on kinds.
// Header only, so that the Windows cross check reads answers the same way.
namespace sci {

// The text of a Text child; null when it holds none.
struct TextValue {
  const char* text;
};

// std::monostate when the host made no child. The large kinds are the child
// itself, valid until its channel runs again.
using OutputValue = std::variant<std::monostate, float, TextValue, D3DXMATRIX, D3DXVECTOR3, const MeshChannel*,
                                 const MaterialChannel*, const TextureChannel*, const MatrixCollectionChannel*>;

struct OutputKind {
  ChildKind kind;
  OutputValue (*read)(const Orv_Channel& child);
  void (*reset)(Orv_Channel& child);  // back to the state of a new child
};

namespace output_kinds {

inline OutputValue Nothing(const Orv_Channel&) { return {}; }
inline void Keep(Orv_Channel&) {}

// The large kinds are answered by the child itself.
template <class Kind>
OutputValue Itself(const Orv_Channel& child) {
  return OutputValue(std::in_place_type<const Kind*>, static_cast<const Kind*>(&child));
}

// A new child of the kind, keeping the name and host context it was linked with.
template <class Kind>
void Renew(Orv_Channel& child) {
  auto& typed = static_cast<Kind&>(child);
  Kind fresh;
  fresh.SetChannelName(typed.GetChannelName().c_str());
  fresh.SetHostContext(typed.GetHostContext());
  typed = fresh;
}

}  // namespace output_kinds

// In the order of ChildKind.
inline constexpr OutputKind kOutputKinds[] = {
    {ChildKind::None, output_kinds::Nothing, output_kinds::Keep},
    {ChildKind::SceneContainer, output_kinds::Nothing, output_kinds::Keep},
    {ChildKind::Value,
     [](const Orv_Channel& child) {
       return OutputValue(std::in_place_type<float>, static_cast<const ValueChannel&>(child).GetValue());
     },
     [](Orv_Channel& child) { static_cast<ValueChannel&>(child).SetValue(0); }},
    {ChildKind::Text,
     [](const Orv_Channel& child) { return OutputValue(TextValue{static_cast<const TextChannel&>(child).GetText()}); },
     [](Orv_Channel& child) { static_cast<TextChannel&>(child).SetText(nullptr); }},
    {ChildKind::Matrix,
     [](const Orv_Channel& child) {
       return OutputValue(std::in_place_type<D3DXMATRIX>, static_cast<const MatrixChannel&>(child).GetMatrix());
     },
     [](Orv_Channel& child) {
       const D3DXMATRIX identity;
       static_cast<MatrixChannel&>(child).SetMatrix(&identity);
     }},
    {ChildKind::ValueVector,
     [](const Orv_Channel& child) {
       return OutputValue(std::in_place_type<D3DXVECTOR3>, static_cast<const ValueVectorChannel&>(child).GetVector());
     },
     [](Orv_Channel& child) { static_cast<ValueVectorChannel&>(child).SetVector(D3DXVECTOR3{}); }},
    {ChildKind::Mesh, output_kinds::Itself<MeshChannel>, output_kinds::Renew<MeshChannel>},
    {ChildKind::Material, output_kinds::Itself<MaterialChannel>, output_kinds::Renew<MaterialChannel>},
    {ChildKind::Texture, output_kinds::Itself<TextureChannel>, output_kinds::Renew<TextureChannel>},
    {ChildKind::MatrixCollection, output_kinds::Itself<MatrixCollectionChannel>,
     output_kinds::Renew<MatrixCollectionChannel>},
};

constexpr bool OutputKindsInOrder() {
  for (int i = 0; i < static_cast<int>(std::size(kOutputKinds)); ++i)
    if (static_cast<int>(kOutputKinds[i].kind) != i) return false;
  return std::size(kOutputKinds) == std::size(kChildKinds);
}
static_assert(OutputKindsInOrder(), "kOutputKinds follows ChildKind");

// The value `child` of kind `kind` holds; std::monostate for no child.
inline OutputValue ReadOutput(ChildKind kind, const Orv_Channel* child) {
  return child == nullptr ? OutputValue() : kOutputKinds[static_cast<int>(kind)].read(*child);
}

inline void ResetOutput(ChildKind kind, Orv_Channel& child) { kOutputKinds[static_cast<int>(kind)].reset(child); }

}  // namespace sci

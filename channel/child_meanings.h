#pragma once

#include <algorithm>
#include <cstddef>

#include "channel/info_types.h"
#include "scene/scene_container.h"

// Beside the info type table: what each input selects among and what each
// output number means, keyed by info type, children 1 to 3 in table order.
namespace Importing {

// What an input selects: a record of a collection, a number within the
// list of the record the first input selects, or a node's name.
enum class InputDomain {
  None,
  Node, Surface, Geometry, Material, Texture, Animation, Camera, Light,
  NodeChild, NodeSurface, NodeCamera, NodeLight, SurfaceTexture, AnimationKey, MaterialSurface,
  Name,
};

// What an output means beyond its kind; Plain when the kind says it all,
// Xml for a text that is an XML document.
enum class OutputMeaning {
  None, Plain, ID, IDOrNone, Count, Angle, Ticks, Seconds, LightType, Flag, Colour, BoxCorner, RangeOrNone, Xml,
};

struct ChildMeaning {
  InputDomain input = InputDomain::None;
  OutputMeaning output = OutputMeaning::None;
};

struct InfoTypeMeaning {
  ChildMeaning children[3];
};

namespace meaning_table {
using D = InputDomain;
using M = OutputMeaning;
constexpr ChildMeaning In(InputDomain d) { return {d, OutputMeaning::None}; }
constexpr ChildMeaning Out(OutputMeaning m) { return {InputDomain::None, m}; }

inline constexpr InfoTypeMeaning kMeanings[kInfoTypeCount] = {
    {{Out(M::Xml), {}, {}}},  // SCI_SCENE_HIERARCHY
    {{Out(M::Count), {}, {}}},  // SCI_NODE_COUNT
    {{In(D::Name), Out(M::IDOrNone), {}}},  // SCI_NODE_ID
    {{In(D::Node), Out(M::Plain), {}}},  // SCI_NODE_NAME
    {{In(D::Node), Out(M::Plain), {}}},  // SCI_NODE_NOTE
    {{In(D::Node), Out(M::Plain), {}}},  // SCI_NODE_LOCAL_TM
    {{In(D::Node), Out(M::Plain), {}}},  // SCI_NODE_GLOBAL_TM
    {{In(D::Node), Out(M::IDOrNone), {}}},  // SCI_NODE_ANIMATION
    {{Out(M::IDOrNone), {}, {}}},  // SCI_ROOT_NODE
    {{In(D::Node), Out(M::IDOrNone), {}}},  // SCI_PARENT_NODE
    {{In(D::Node), Out(M::Count), {}}},  // SCI_NODE_CHILD_COUNT
    {{In(D::Node), In(D::NodeChild), Out(M::ID)}},  // SCI_NODE_CHILD
    {{In(D::Node), Out(M::Count), {}}},  // SCI_NODE_SURFACE_COUNT
    {{In(D::Node), In(D::NodeSurface), Out(M::ID)}},  // SCI_NODE_SURFACE_ID
    {{Out(M::Count), {}, {}}},  // SCI_SURFACE_COUNT
    {{In(D::Surface), Out(M::ID), {}}},  // SCI_SURFACE_GEOMETRY_ID
    {{In(D::Surface), Out(M::ID), {}}},  // SCI_SURFACE_MATERIAL_ID
    {{In(D::Surface), Out(M::IDOrNone), {}}},  // SCI_SURFACE_NODE_ID
    {{In(D::Surface), Out(M::Count), {}}},  // SCI_SURFACE_TEXTURE_COUNT
    {{In(D::Surface), In(D::SurfaceTexture), Out(M::IDOrNone)}},  // SCI_SURFACE_TEXTURE_ID
    {{In(D::Surface), In(D::SurfaceTexture), Out(M::Plain)}},  // SCI_SURFACE_TEXTURE_TYPE
    {{In(D::Surface), In(D::SurfaceTexture), Out(M::Plain)}},  // SCI_SURFACE_TEXTURE_UV_SET
    {{In(D::Surface), In(D::SurfaceTexture), Out(M::Plain)}},  // SCI_SURFACE_TEXTURE_AMOUNT
    {{In(D::Geometry), Out(M::Plain), {}}},  // SCI_GEOMETRY
    {{In(D::Geometry), Out(M::Count), {}}},  // SCI_GEOMETRY_VERTEX_COUNT
    {{Out(M::Count), {}, {}}},  // SCI_GEOMETRY_COUNT
    {{In(D::Material), Out(M::Xml), {}}},  // SCI_MATERIAL_AS_XML
    {{In(D::Material), Out(M::Plain), {}}},  // SCI_MATERIAL
    {{Out(M::Count), {}, {}}},  // SCI_MATERIAL_COUNT
    {{In(D::Material), Out(M::Count), {}}},  // SCI_MATERIAL_SURFACE_COUNT
    {{In(D::Material), In(D::MaterialSurface), Out(M::ID)}},  // SCI_MATERIAL_SURFACE_ID
    {{In(D::Texture), Out(M::Plain), {}}},  // SCI_TEXTURE
    {{In(D::Texture), Out(M::Plain), {}}},  // SCI_TEXTURE_PATH
    {{Out(M::Count), {}, {}}},  // SCI_TEXTURE_COUNT
    {{In(D::Animation), Out(M::Ticks), {}}},  // SCI_ANIMATION
    {{In(D::Animation), Out(M::Count), {}}},  // SCI_ANIMATION_KEY_COUNT
    {{In(D::Animation), In(D::AnimationKey), Out(M::Seconds)}},  // SCI_ANIMATION_TIME
    {{In(D::Animation), In(D::AnimationKey), Out(M::Plain)}},  // SCI_ANIMATION_MATRIX
    {{In(D::Surface), In(D::SurfaceTexture), Out(M::Plain)}},  // SCI_SURFACE_TEXTURE_MATRIX
    {{In(D::Geometry), Out(M::BoxCorner), Out(M::BoxCorner)}},  // SCI_GEOMETRY_BOUNDING_BOX
    {{Out(M::Count), {}, {}}},  // SCI_ANIMATION_COUNT
    {{Out(M::BoxCorner), Out(M::BoxCorner), {}}},  // SCI_SCENE_BOUNDING_BOX
    {{In(D::Node), Out(M::Count), {}}},  // SCI_NODE_CAMERA_COUNT
    {{In(D::Node), In(D::NodeCamera), Out(M::ID)}},  // SCI_NODE_CAMERA_ID
    {{Out(M::Count), {}, {}}},  // SCI_CAMERA_COUNT
    {{In(D::Camera), Out(M::Plain), {}}},  // SCI_CAMERA_OFFSET_MATRIX
    {{In(D::Camera), Out(M::Plain), {}}},  // SCI_CAMERA_NAME
    {{In(D::Camera), Out(M::Angle), {}}},  // SCI_CAMERA_FOV_X
    {{In(D::Camera), Out(M::Angle), {}}},  // SCI_CAMERA_FOV_Y
    {{In(D::Camera), Out(M::Plain), {}}},  // SCI_CAMERA_NEAR_Z
    {{In(D::Camera), Out(M::Plain), {}}},  // SCI_CAMERA_FAR_Z
    {{In(D::Camera), Out(M::IDOrNone), {}}},  // SCI_CAMERA_NODE_ID
    {{In(D::Node), Out(M::Count), {}}},  // SCI_NODE_LIGHT_COUNT
    {{In(D::Node), In(D::NodeLight), Out(M::ID)}},  // SCI_NODE_LIGHT_ID
    {{Out(M::Count), {}, {}}},  // SCI_LIGHT_COUNT
    {{In(D::Light), Out(M::Plain), {}}},  // SCI_LIGHT_OFFSET_MATRIX
    {{In(D::Light), Out(M::IDOrNone), {}}},  // SCI_LIGHT_NODE_ID
    {{In(D::Light), Out(M::Plain), {}}},  // SCI_LIGHT_NAME
    {{In(D::Light), Out(M::LightType), {}}},  // SCI_LIGHT_TYPE
    {{In(D::Light), Out(M::Colour), {}}},  // SCI_LIGHT_DIFFUSE
    {{In(D::Light), Out(M::Colour), {}}},  // SCI_LIGHT_AMBIENT
    {{In(D::Light), Out(M::Colour), {}}},  // SCI_LIGHT_SPECULAR
    {{In(D::Light), Out(M::Plain), {}}},  // SCI_LIGHT_ATTENUATION
    {{In(D::Light), Out(M::RangeOrNone), {}}},  // SCI_LIGHT_RANGE
    {{In(D::Light), Out(M::Angle), {}}},  // SCI_LIGHT_THETA
    {{In(D::Light), Out(M::Angle), {}}},  // SCI_LIGHT_PHI
    {{In(D::Light), Out(M::Flag), {}}},  // SCI_LIGHT_SHADOW_CAST
    {{In(D::Light), Out(M::Plain), {}}},  // SCI_LIGHT_SHADOW_DENSITY
    {{In(D::Material), Out(M::Plain), {}}},  // SCI_MATERIAL_NAME
};
}  // namespace meaning_table

// The meaning of child `index` (1 to 3) of `info`.
constexpr const ChildMeaning& MeaningOf(const InfoTypeInfo& info, int index) {
  return meaning_table::kMeanings[info.value].children[index - 1];
}

namespace meaning_table {

template <typename Records, typename Size>
inline std::size_t ListOf(const Records& records, std::size_t owner, Size size) {
  return owner < records.size() ? size(records[owner]) : 0;
}

}  // namespace meaning_table

// How many records an input of `domain` selects among; for a number within a
// record's list, `owner` is the record the first input chose (0 when it
// selects none). Zero for Name and None.
inline std::size_t DomainSize(InputDomain domain, const SceneContainer& scene, std::size_t owner) {
  const auto& nodes = scene.Nodes();
  switch (domain) {
    case InputDomain::Node: return nodes.size();
    case InputDomain::Surface: return scene.Surfaces().size();
    case InputDomain::Geometry: return scene.Geometries().size();
    case InputDomain::Material: return scene.Materials().size();
    case InputDomain::Texture: return scene.TexturePaths().size();
    case InputDomain::Animation: return scene.Animations().size();
    case InputDomain::Camera: return scene.Cameras().size();
    case InputDomain::Light: return scene.Lights().size();
    case InputDomain::NodeChild: return meaning_table::ListOf(nodes, owner, [](const auto& n) { return n.ChildIDs.size(); });
    case InputDomain::NodeSurface: return meaning_table::ListOf(nodes, owner, [](const auto& n) { return n.SurfaceIDs.size(); });
    case InputDomain::NodeCamera: return meaning_table::ListOf(nodes, owner, [](const auto& n) { return n.CameraIDs.size(); });
    case InputDomain::NodeLight: return meaning_table::ListOf(nodes, owner, [](const auto& n) { return n.LightIDs.size(); });
    case InputDomain::SurfaceTexture:
      return meaning_table::ListOf(scene.Surfaces(), owner, [](const auto& s) { return s.Textures.size(); });
    case InputDomain::AnimationKey:
      return meaning_table::ListOf(scene.Animations(), owner, [](const auto& a) { return a.size(); });
    case InputDomain::MaterialSurface:
      if (owner >= scene.Materials().size()) return 0;
      return static_cast<std::size_t>(std::count_if(scene.Surfaces().begin(), scene.Surfaces().end(), [owner](const auto& s) {
        return s.GetMaterialID() == static_cast<int>(owner);
      }));
    case InputDomain::Name:
    case InputDomain::None: break;
  }
  return 0;
}

}  // namespace Importing

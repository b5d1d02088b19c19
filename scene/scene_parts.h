#pragma once

#include <cstdint>

// The parts of a scene that a host can load apart from the rest: each record
// collection, and what is derived from every node or vertex. A geometry's
// vertices and indices are a part of their own, named by the geometry's ID.
namespace Importing {

enum ScenePart : std::uint32_t {
  kNodesPart = 1u << 0,           // the nodes and the root node's ID
  kNodeParentsPart = 1u << 1,     // each node's parent
  kNodeGlobalsPart = 1u << 2,     // each node's global matrix
  kSurfacesPart = 1u << 3,
  kMaterialsPart = 1u << 4,
  kTexturePathsPart = 1u << 5,
  kAnimationsPart = 1u << 6,
  kCamerasPart = 1u << 7,
  kLightsPart = 1u << 8,
  kGeometryHeadersPart = 1u << 9,  // every geometry's primitive size and box, without its vertices
  kSceneBoxPart = 1u << 10,
  kSourcePart = 1u << 11,          // where the scene came from; read by hosts, never by a query
  kEveryPart = (1u << 12) - 1,
};
using ScenePartSet = std::uint32_t;

// In place of a geometry ID: no geometry's vertices, or every geometry's.
inline constexpr std::int64_t kNoGeometry = -1;
inline constexpr std::int64_t kEveryGeometry = -2;

}  // namespace Importing

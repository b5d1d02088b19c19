#pragma once

#include <cstdint>
#include <string>

#include "host/mesh_channel.h"

// A mesh as the viewport reads it: typed arrays, little-endian, no text.
//
//   header   7 x uint32: magic "SCIG", version 1, primitive type (1 points,
//            2 lines, 4 triangles), vertex count V, UV set count S, index
//            count I, reserved 0
//   float32  positions[3V], normals[3V], then for each UV set uv[2V]
//   uint32   indices[I]
//
// Every array starts at a multiple of 4 bytes. A vertex with fewer UV sets
// than S has zeros in the sets it lacks.
namespace sci {

inline constexpr std::uint32_t kGeometryMagic = 0x47494353;  // "SCIG" read as little-endian
inline constexpr std::uint32_t kGeometryVersion = 1;
inline constexpr std::size_t kGeometryHeaderBytes = 7 * 4;

// Appends `mesh` to `out` in that layout.
void AppendGeometry(const MeshChannel& mesh, std::string& out);

}  // namespace sci

#include "cli/view/geometry_binary.h"

#include <algorithm>
#include <cstring>

namespace sci {

namespace {

static_assert(sizeof(float) == 4 && sizeof(D3DXVECTOR3) == 12, "the arrays are 32-bit floats");

// Writes the values at `out` in the machine's byte order, which the build
// requires to be little-endian (see CMakeLists.txt).
template <class T>
char* Put(char* out, const T& value) {
  std::memcpy(out, &value, sizeof value);
  return out + sizeof value;
}

}  // namespace

void AppendGeometry(const MeshChannel& mesh, std::string& out) {
  const auto& vertices = mesh.GetVertices();
  const auto& indices = mesh.GetIndices();
  std::size_t uvSets = 0;
  for (const auto& vertex : vertices) uvSets = std::max(uvSets, vertex.uvs.size());

  const std::size_t count = vertices.size();
  const std::size_t start = out.size();
  out.resize(start + kGeometryHeaderBytes + count * 4 * (6 + 2 * uvSets) + indices.size() * 4);
  char* at = out.data() + start;
  for (std::uint32_t word : {kGeometryMagic, kGeometryVersion, static_cast<std::uint32_t>(mesh.GetPrimitiveType()),
                             static_cast<std::uint32_t>(count), static_cast<std::uint32_t>(uvSets),
                             static_cast<std::uint32_t>(indices.size()), std::uint32_t{0}})
    at = Put(at, word);
  for (const auto& vertex : vertices) at = Put(at, vertex.position);
  for (const auto& vertex : vertices) at = Put(at, vertex.normal);
  for (std::size_t set = 0; set < uvSets; ++set)
    for (const auto& vertex : vertices) at = Put(at, set < vertex.uvs.size() ? vertex.uvs[set] : D3DXVECTOR2{});
  if (!indices.empty()) std::memcpy(at, indices.data(), indices.size() * 4);
}

}  // namespace sci

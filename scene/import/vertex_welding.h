#pragma once

// Merging the copies of a vertex that formats without shared vertices
// (OBJ, STL, 3DS, FBX, ...) write once per face corner.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "scene/records.h"

struct aiMesh;

namespace Importing::Import {

// The vertex streams welding compares, read where they lie: positions and
// normals (none: all zero) `stride` floats apart, UV pairs `uvStride` floats
// apart, and per vertex how many of the UV sets it has (none: all of them).
struct WeldStreams {
  std::size_t count = 0;
  const float* positions = nullptr;
  const float* normals = nullptr;
  std::size_t stride = 3;
  std::size_t uvSets = 0;
  const float* uvs[Vertex::kMaxUVSets] = {};
  std::size_t uvStride = 2;
  const std::uint8_t* uvCounts = nullptr;

  D3DXVECTOR3 Position(std::size_t i) const {
    const float* p = positions + stride * i;
    return {p[0], p[1], p[2]};
  }
  D3DXVECTOR3 Normal(std::size_t i) const {
    if (normals == nullptr) return {};
    const float* n = normals + stride * i;
    return {n[0], n[1], n[2]};
  }
  std::size_t UVSets(std::size_t i) const { return uvCounts ? uvCounts[i] : uvSets; }
  D3DXVECTOR2 UV(std::size_t i, std::size_t set) const { return {uvs[set][uvStride * i], uvs[set][uvStride * i + 1]}; }
};

// Welds the streams' vertices as WeldIdenticalVertices does, without
// touching them: returns how many survive; when fewer than `count` do,
// `survivorOf` gives each vertex its survivor's number and `survivors` each
// survivor's index before welding (both empty otherwise).
std::size_t WeldMap(const WeldStreams& streams, std::vector<std::uint32_t>& survivorOf,
                    std::vector<std::uint32_t>& survivors);

// Whether the mesh has one vertex per face corner: its faces list the
// vertices 0, 1, 2, ... in order, each once, and nothing else.
bool HasOneVertexPerCorner(const aiMesh& mesh);

// Merges each vertex whose position, normal and every UV set lie within
// 1e-5 of those of a vertex kept before it into that vertex (the latest kept
// one, where several qualify), keeps the survivors in their order and
// points the indices at them.
void WeldIdenticalVertices(Geometry& geometry);

}  // namespace Importing::Import

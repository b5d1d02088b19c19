#include "host/mesh_channel.h"

#include <utility>

#include "host/huge_pages.h"

// An update starts afresh from the shown primitive type, with no vertices
// and no indices, whatever an update that never ended left.
void MeshChannel::BeginMeshUpdate() {
  Record(Call::Begin);
  updating_ = true;
  rejected_ = 0;
  pending_.primitiveType = shown_.primitiveType;
  pendingVertexCount_ = 0;
  pending_.indices.clear();
}

// Shows the update; the mesh it replaces lends its storage to the next.
void MeshChannel::EndMeshUpdate() {
  Record(Call::End);
  if (!updating_) return;
  updating_ = false;
  pending_.vertices.resize(pendingVertexCount_);
  std::swap(shown_, pending_);
  pendingVertexCount_ = 0;
  pending_.indices.clear();
}

void MeshChannel::SetPrimitiveType(int code) {
  Record(Call::PrimitiveType, code);
  pending_.primitiveType = code;
}

void MeshChannel::SetVertexCount(int count) {
  Record(Call::VertexCount, count);
  // Every vertex starts over from the default; vertices kept from the mesh
  // before last keep the storage of their UV lists for the next one.
  std::vector<Vertex>& vertices = pending_.vertices;
  const std::size_t size = count > 0 ? static_cast<std::size_t>(count) : 0;
  pendingVertexCount_ = size;
  for (std::size_t i = 0; i < size && i < vertices.size(); ++i) {
    Vertex& vertex = vertices[i];
    vertex.position = {};
    vertex.normal = {};
    vertex.uvs.clear();
  }
  if (vertices.size() < size) {
    vertices.reserve(size);
    AdviseHugePages(vertices.data(), size * sizeof(Vertex));
    vertices.resize(size);
  }
}

// Grows a vertex's UV list to hold `set`, zeros in any sets skipped. UV sets
// usually come in order, 0 first: the first allocation takes room for three
// pairs, which the allocator's smallest block holds anyway, so that the
// second and third sets need no reallocation.
void MeshChannel::AddUV(std::vector<D3DXVECTOR2>& uvs, std::size_t set, D3DXVECTOR2 uv) {
  constexpr std::size_t kFirstCapacity = 3;
  if (uvs.capacity() == 0) uvs.reserve(set + 1 > kFirstCapacity ? set + 1 : kFirstCapacity);
  uvs.resize(set + 1);
  uvs[set] = uv;
}

void MeshChannel::SetIndexCount(int count) {
  Record(Call::IndexCount, count);
  pending_.indices.assign(count > 0 ? static_cast<std::size_t>(count) : 0, 0);
}

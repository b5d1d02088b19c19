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

void MeshChannel::SetIndexCount(int count) {
  Record(Call::IndexCount, count);
  pending_.indices.assign(count > 0 ? static_cast<std::size_t>(count) : 0, 0);
}

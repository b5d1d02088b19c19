#include "host/mesh_channel.h"

void MeshChannel::BeginMeshUpdate() {
  Record(Call::Begin);
  updating_ = true;
  rejected_ = 0;
}

void MeshChannel::EndMeshUpdate() {
  Record(Call::End);
  updating_ = false;
}

void MeshChannel::SetPrimitiveType(int code) {
  Record(Call::PrimitiveType, code);
  primitiveType_ = code;
}

void MeshChannel::SetVertexCount(int count) {
  Record(Call::VertexCount, count);
  // Every vertex starts over from the default; vertices kept from the last
  // update keep the storage of their UV lists for the next one.
  const std::size_t size = count > 0 ? static_cast<std::size_t>(count) : 0;
  for (std::size_t i = 0; i < size && i < vertices_.size(); ++i) {
    Vertex& vertex = vertices_[i];
    vertex.position = {};
    vertex.normal = {};
    vertex.uvs.clear();
  }
  vertices_.resize(size);
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
  indices_.assign(count > 0 ? static_cast<std::size_t>(count) : 0, 0);
}

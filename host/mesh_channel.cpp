#include "host/mesh_channel.h"

namespace {
bool InRange(int index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }
}  // namespace

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
  vertices_.assign(count > 0 ? static_cast<std::size_t>(count) : 0, {});
}

void MeshChannel::SetVertexPosition(D3DXVECTOR3 position, int vertex) {
  Record(Call::Position, vertex);
  if (!InRange(vertex, vertices_.size())) return void(++rejected_);
  vertices_[static_cast<std::size_t>(vertex)].position = position;
}

void MeshChannel::SetVertexNormal(D3DXVECTOR3 normal, int vertex) {
  Record(Call::Normal, vertex);
  if (!InRange(vertex, vertices_.size())) return void(++rejected_);
  vertices_[static_cast<std::size_t>(vertex)].normal = normal;
}

void MeshChannel::SetVertexUV(int uvSet, D3DXVECTOR2 uv, int vertex) {
  constexpr int kMaxUVSets = 64;
  Record(Call::UV, uvSet, vertex);
  if (!InRange(vertex, vertices_.size()) || uvSet < 0 || uvSet >= kMaxUVSets) return void(++rejected_);
  auto& uvs = vertices_[static_cast<std::size_t>(vertex)].uvs;
  if (uvs.size() <= static_cast<std::size_t>(uvSet)) uvs.resize(static_cast<std::size_t>(uvSet) + 1);
  uvs[static_cast<std::size_t>(uvSet)] = uv;
}

void MeshChannel::SetIndexCount(int count) {
  Record(Call::IndexCount, count);
  indices_.assign(count > 0 ? static_cast<std::size_t>(count) : 0, 0);
}

void MeshChannel::SetIndex(std::uint32_t value, int position) {
  Record(Call::Index, value, position);
  if (!InRange(position, indices_.size())) return void(++rejected_);
  indices_[static_cast<std::size_t>(position)] = value;
}

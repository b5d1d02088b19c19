#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/d3dx_math.h"
#include "host/orv_channel.h"
#include "host/uv_list.h"

// A mesh the host can draw: primitive type, vertices with position, normal
// and any number of UV sets, and an index list. A plug-in rewrites it between
// BeginMeshUpdate and EndMeshUpdate, counts before elements. The calls fill
// an update of its own; readers see the last complete mesh until
// EndMeshUpdate shows the new one, so an update that never ends (the
// plug-in failed half-way) leaves what was there.
class ORVHOST_API MeshChannel : public Orv_Channel {
 public:
  static constexpr ChildKind kKind = ChildKind::Mesh;

  struct Vertex {
    D3DXVECTOR3 position;
    D3DXVECTOR3 normal;
    UVList uvs;  // by UV set number
  };

  // One operation received, with its integer arguments; the vectors and UV
  // pairs it carried end up in the mesh content.
  struct Call {
    enum Operation : std::uint8_t {
      Begin,          //
      PrimitiveType,  // first: code
      VertexCount,    // first: count
      Position,       // first: vertex
      Normal,         // first: vertex
      UV,             // first: UV set, second: vertex
      IndexCount,     // first: count
      Index,          // first: index value, second: position
      End,            //
    };
    Operation operation;
    std::int64_t first = 0;
    std::int64_t second = 0;
  };

  MeshChannel() : Orv_Channel(kKind) {}

  void BeginMeshUpdate();
  void EndMeshUpdate();
  // 1 point list, 2 line list, 4 triangle list.
  void SetPrimitiveType(int code);
  void SetVertexCount(int count);
  // The element calls run once per vertex or index, so they are inline: a
  // plug-in filling a large mesh then pays for no call across libraries.
  void SetVertexPosition(D3DXVECTOR3 position, int vertex) {
    Record(Call::Position, vertex);
    if (!InRange(vertex, pendingVertexCount_)) return void(++rejected_);
    pending_.vertices[static_cast<std::size_t>(vertex)].position = position;
  }
  void SetVertexNormal(D3DXVECTOR3 normal, int vertex) {
    Record(Call::Normal, vertex);
    if (!InRange(vertex, pendingVertexCount_)) return void(++rejected_);
    pending_.vertices[static_cast<std::size_t>(vertex)].normal = normal;
  }
  // UV sets 0 to 63; a vertex's UV list grows to the highest set it is given.
  void SetVertexUV(int uvSet, D3DXVECTOR2 uv, int vertex) {
    Record(Call::UV, uvSet, vertex);
    if (!InRange(vertex, pendingVertexCount_) || uvSet < 0 || uvSet >= kMaxUVSets) return void(++rejected_);
    UVList& uvs = pending_.vertices[static_cast<std::size_t>(vertex)].uvs;
    const auto set = static_cast<std::size_t>(uvSet);
    if (set >= uvs.size()) uvs.resize(set + 1);  // sets skipped are (0, 0)
    uvs[set] = uv;
  }
  void SetIndexCount(int count);
  void SetIndex(std::uint32_t value, int position) {
    Record(Call::Index, value, position);
    if (!InRange(position, pending_.indices.size())) return void(++rejected_);
    pending_.indices[static_cast<std::size_t>(position)] = value;
  }

  // The last complete mesh.
  int GetPrimitiveType() const { return shown_.primitiveType; }
  const std::vector<Vertex>& GetVertices() const { return shown_.vertices; }
  const std::vector<std::uint32_t>& GetIndices() const { return shown_.indices; }
  bool IsUpdating() const { return updating_; }
  // Element calls whose vertex or position lay outside the counts set.
  int RejectedCalls() const { return rejected_; }

  // While recording, every operation received is appended to CallLog(),
  // across updates, until recording stops. Off by default.
  void RecordCalls(bool record) { recording_ = record; }
  const std::vector<Call>& CallLog() const { return log_; }
  void ClearCallLog() { log_.clear(); }

 private:
  static constexpr int kMaxUVSets = 64;
  static bool InRange(int index, std::size_t size) { return index >= 0 && static_cast<std::size_t>(index) < size; }
  void Record(Call::Operation operation, std::int64_t first = 0, std::int64_t second = 0) {
    if (recording_) log_.push_back({operation, first, second});
  }

  struct Content {
    int primitiveType = 0;
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
  };
  Content shown_;    // what readers see
  Content pending_;  // what the calls of an update fill; the storage of the
                     // mesh before last, reused
  // The vertices of this update: the first this many of pending_.vertices,
  // whose elements beyond it keep their storage until the update ends.
  std::size_t pendingVertexCount_ = 0;
  bool updating_ = false;
  int rejected_ = 0;
  bool recording_ = false;
  std::vector<Call> log_;
};

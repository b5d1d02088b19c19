// The host's mesh channel: what each call leaves in the mesh, which calls it
// rejects, and the log of the calls it received.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "host/mesh_channel.h"
#include "query_cases.h"

namespace {

using Op = std::function<void(MeshChannel&)>;
using UVs = std::vector<D3DXVECTOR2>;

struct MeshChannelCase {
  const char* what;
  std::vector<Op> calls;
  std::vector<UVs> uvs;  // per vertex, after the calls
  int rejected;
};

Op Count(int n) { return [n](MeshChannel& m) { m.SetVertexCount(n); }; }
Op UV(int set, float u, int vertex) { return [=](MeshChannel& m) { m.SetVertexUV(set, {u, -u}, vertex); }; }
Op Position(int vertex) { return [vertex](MeshChannel& m) { m.SetVertexPosition({1, 2, 3}, vertex); }; }
Op Normal(int vertex) { return [vertex](MeshChannel& m) { m.SetVertexNormal({0, 0, 1}, vertex); }; }
Op Begin() { return [](MeshChannel& m) { m.BeginMeshUpdate(); }; }
Op Indices(int count, int at) {
  return [=](MeshChannel& m) {
    m.SetIndexCount(count);
    m.SetIndex(7, at);
  };
}

const MeshChannelCase kCases[] = {
    {"sets in order", {Count(2), UV(0, 1, 0), UV(1, 2, 0), UV(2, 3, 0), UV(3, 4, 0), UV(0, 5, 1)},
     {{{1, -1}, {2, -2}, {3, -3}, {4, -4}}, {{5, -5}}}, 0},
    {"a high set first fills the lower ones with zeros", {Count(1), UV(2, 3, 0), UV(0, 1, 0)},
     {{{1, -1}, {0, 0}, {3, -3}}}, 0},
    {"a set given twice keeps the last pair", {Count(1), UV(1, 1, 0), UV(1, 7, 0)}, {{{0, 0}, {7, -7}}}, 0},
    {"set 63 is the highest", {Count(1), UV(64, 1, 0), UV(-1, 1, 0)}, {{}}, 2},
    {"vertex outside the count", {Count(2), UV(0, 1, 2), UV(0, 1, -1), Position(2), Normal(-1)}, {{}, {}}, 4},
    {"a new count clears the UVs", {Count(2), UV(0, 1, 0), UV(1, 1, 1), Count(2), UV(0, 9, 1)}, {{}, {{9, -9}}}, 0},
    {"a second begin starts afresh", {Count(1), Position(5), Begin(), Normal(1), UV(0, 2, 0)}, {}, 2},
    {"no vertices", {Count(-3), Position(0), UV(0, 1, 0)}, {}, 2},
    {"index outside the count", {Count(1), Indices(2, 1), Indices(2, 2), Indices(0, 0)}, {{}}, 2},
};

TEST(MeshChannel, UVSetsAndRejectedCalls) {
  for (const MeshChannelCase& c : kCases) {
    SCOPED_TRACE(c.what);
    MeshChannel mesh;
    mesh.BeginMeshUpdate();
    for (const Op& call : c.calls) call(mesh);
    mesh.EndMeshUpdate();
    ASSERT_EQ(mesh.GetVertices().size(), c.uvs.size());
    for (std::size_t v = 0; v < c.uvs.size(); ++v) {
      const UVList& uvs = mesh.GetVertices()[v].uvs;
      EXPECT_EQ(std::vector<D3DXVECTOR2>(uvs.begin(), uvs.end()), c.uvs[v]) << "vertex " << v;
    }
    EXPECT_EQ(mesh.RejectedCalls(), c.rejected);
  }
}

// Readers see the last complete mesh: an update that never ends (a query
// that failed half-way) changes nothing they see, and the next starts afresh.
TEST(MeshChannel, AnUnfinishedUpdateLeavesTheLastCompleteMesh) {
  MeshChannel mesh;
  mesh.BeginMeshUpdate();
  mesh.SetPrimitiveType(4);
  mesh.SetVertexCount(3);
  for (int v = 0; v < 3; ++v) mesh.SetVertexPosition({float(v), 0, 0}, v);
  mesh.SetIndexCount(3);
  mesh.EndMeshUpdate();

  mesh.BeginMeshUpdate();
  mesh.SetPrimitiveType(2);
  mesh.SetVertexCount(5);
  mesh.SetVertexPosition({9, 9, 9}, 0);
  mesh.SetIndexCount(1);
  ASSERT_EQ(query_cases::Describe(mesh), "mesh type 4, 3 vertices, 3 indices") << "the unfinished update shows";
  EXPECT_EQ(mesh.GetVertices()[0].position, (D3DXVECTOR3{0, 0, 0}));
  EXPECT_EQ(mesh.GetVertices()[2].position, (D3DXVECTOR3{2, 0, 0}));

  mesh.BeginMeshUpdate();  // afresh: none of the unfinished update's calls count
  mesh.SetVertexPosition({7, 7, 7}, 4);
  mesh.SetVertexCount(1);
  mesh.EndMeshUpdate();
  // The type of the last complete mesh carries over.
  ASSERT_EQ(query_cases::Describe(mesh), "mesh type 4, 1 vertices, 0 indices");
  EXPECT_EQ(mesh.GetVertices()[0].position, (D3DXVECTOR3{0, 0, 0}));
  EXPECT_EQ(mesh.RejectedCalls(), 1);
}

// Rejected calls are logged too, with the arguments they came with.
TEST(MeshChannel, LogsEveryCallWhileRecording) {
  MeshChannel mesh;
  mesh.SetVertexCount(1);
  mesh.RecordCalls(true);
  mesh.SetVertexUV(64, {1, 1}, 0);
  mesh.SetVertexPosition({}, 3);
  mesh.SetIndex(9, 4);
  mesh.RecordCalls(false);
  mesh.SetVertexNormal({}, 0);
  EXPECT_EQ(query_cases::DescribeCalls(mesh.CallLog()), "uv 64@0, position 3, index 9@4");
}

}  // namespace

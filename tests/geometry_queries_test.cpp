#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "query_cases.h"
#include "query_harness.h"
#include "test_matrices.h"

using namespace Importing;
using query_cases::CheckQueryCase;
using query_cases::QueryCase;

namespace {

Vertex MakeVertex(float x, std::vector<D3DXVECTOR2> uvs = {}) {
  Vertex vertex({x, x + 1, x + 2}, {0, 0, x});
  for (const auto& uv : uvs) vertex.AddUV(uv);
  return vertex;
}

Geometry MakeGeometry(std::int64_t primitiveSize, std::vector<Vertex> vertices, std::vector<std::uint32_t> indices) {
  Geometry geometry(primitiveSize);
  geometry.Vertices = std::move(vertices);
  geometry.Indices = std::move(indices);
  return geometry;
}

// One geometry per case of the Mesh call order, in the order of kMeshCases,
// and a node moved by (10, 0, 0) that carries the last one.
SceneBuilder GeometryScene() {
  SceneBuilder b;
  b.AddGeometry(MakeGeometry(3, {}, {0, 1, 2}));
  b.AddGeometry(MakeGeometry(2, {MakeVertex(1), MakeVertex(2)}, {}));
  b.AddGeometry(MakeGeometry(0, {MakeVertex(1)}, {0}));
  b.AddGeometry(MakeGeometry(1, {MakeVertex(1)}, {0}));
  b.AddGeometry(MakeGeometry(4, {MakeVertex(1)}, {0}));
  b.AddGeometry(MakeGeometry(
      3, {MakeVertex(-1), MakeVertex(2, {{0.5f, 0.25f}, {1, 0}}), MakeVertex(3, {{0.75f, 1}})}, {0, 1, 7}));
  const int node = b.AddNode("root", -1, Translation(10, 0, 0));
  b.AddSurface(node, 5, 0);
  b.AddMaterial(Material("plain"));
  return b;
}

struct MeshCase {
  const char* what;
  int geometry;
  const char* calls;
};

const MeshCase kMeshCases[] = {
    {"no vertices", 0, "begin, type 4, vertices 0, indices 3, index 0@0, index 1@1, index 2@2, end"},
    {"no indices", 1, "begin, type 2, vertices 2, position 0, normal 0, position 1, normal 1, indices 0, end"},
    {"primitive size 0", 2, "begin, vertices 1, position 0, normal 0, indices 1, index 0@0, end"},
    {"primitive size 1", 3, "begin, type 1, vertices 1, position 0, normal 0, indices 1, index 0@0, end"},
    {"primitive size 4", 4, "begin, vertices 1, position 0, normal 0, indices 1, index 0@0, end"},
    {"UV sets 0, 2 and 1; index beyond the vertices", 5,
     "begin, type 4, vertices 3, position 0, normal 0, position 1, normal 1, uv 0@1, uv 1@1, "
     "position 2, normal 2, uv 0@2, indices 3, index 0@0, index 1@1, index 7@2, end"},
};

// "position 1" for the position of vertex 1, "uv 0@2" for UV set 0 of vertex 2,
// "index 7@2" for the value 7 at position 2.
std::string DescribeCalls(const std::vector<MeshChannel::Call>& calls) {
  static const char* const kNames[] = {"begin", "type ", "vertices ", "position ", "normal ",
                                       "uv ",   "indices ", "index ", "end"};
  std::string text;
  for (const auto& call : calls) {
    text += (text.empty() ? "" : ", ") + std::string(kNames[call.operation]);
    if (call.operation == MeshChannel::Call::UV || call.operation == MeshChannel::Call::Index)
      text += std::to_string(call.first) + "@" + std::to_string(call.second);
    else if (call.operation != MeshChannel::Call::Begin && call.operation != MeshChannel::Call::End)
      text += std::to_string(call.first);
  }
  return text;
}

// The mesh holds the geometry exactly: positions, normals, UV pairs, indices.
void ExpectSameContent(const MeshChannel& mesh, const Geometry& geometry) {
  ASSERT_EQ(mesh.GetVertices().size(), geometry.Vertices.size());
  for (std::size_t i = 0; i < geometry.Vertices.size(); ++i) {
    const auto& sent = mesh.GetVertices()[i];
    const Vertex& stored = geometry.Vertices[i];
    EXPECT_EQ(sent.position, stored.GetPosition()) << "vertex " << i;
    EXPECT_EQ(sent.normal, stored.GetNormal()) << "vertex " << i;
    ASSERT_EQ(sent.uvs.size(), stored.GetUVSetCount()) << "vertex " << i;
    for (std::size_t set = 0; set < sent.uvs.size(); ++set) EXPECT_EQ(sent.uvs[set], stored.GetUV(set));
  }
  EXPECT_EQ(mesh.GetIndices(), geometry.Indices);
  EXPECT_EQ(mesh.RejectedCalls(), 0);
  EXPECT_FALSE(mesh.IsUpdating());
}

const QueryCase kGeometryCases[] = {
    {SCI_GEOMETRY, 6, "Geometry id out of range.", "mesh type 4, 3 vertices, 3 indices", nullptr},
    {SCI_GEOMETRY_VERTEX_COUNT, 6, "Geometry id out of range.", "3", nullptr},
    {SCI_GEOMETRY_BOUNDING_BOX, 6, "Geometry id out of range.", "(-1, 0, 1) | (3, 4, 5)", nullptr},
};

}  // namespace

TEST(GeometryQueries, MeshReceivesTheGeometryInCallOrder) {
  const SceneBuilder scene = GeometryScene();
  for (const MeshCase& c : kMeshCases) {
    SCOPED_TRACE(c.what);
    QueryHarness h(SCI_GEOMETRY);
    h.Fill(scene);
    auto& mesh = h.Child<MeshChannel>(2);
    mesh.RecordCalls(true);
    h.SetInput(1, static_cast<float>(c.geometry));
    EXPECT_EQ(h.Run(), 0);
    EXPECT_THAT(h.Messages(), testing::IsEmpty());
    EXPECT_EQ(DescribeCalls(mesh.CallLog()), c.calls);
    ExpectSameContent(mesh, h.scene->Geometries()[static_cast<std::size_t>(c.geometry)]);
  }
}

TEST(GeometryQueries, BadGeometryIDMakesNoMeshCall) {
  QueryHarness h(SCI_GEOMETRY);
  h.Fill(GeometryScene());
  h.Child<MeshChannel>(2).RecordCalls(true);
  h.SetInput(1, 6);
  EXPECT_EQ(h.Run(), -1);
  EXPECT_THAT(h.Messages(), testing::ElementsAre("Geometry id out of range."));
  EXPECT_THAT(h.Child<MeshChannel>(2).CallLog(), testing::IsEmpty());
}

TEST(GeometryQueries, AnswerTheLastIDAndFailOnBadIDs) {
  for (const QueryCase& c : kGeometryCases) CheckQueryCase(c, GeometryScene());
}

// The scene box covers the carried geometry, moved with its node.
TEST(GeometryQueries, CountAndSceneBoxFollowTheScene) {
  QueryHarness count(SCI_GEOMETRY_COUNT);
  count.Fill(GeometryScene());
  EXPECT_EQ(count.Run(), 0);
  EXPECT_EQ(count.Value(1).GetValue(), 6.0f);

  QueryHarness box(SCI_SCENE_BOUNDING_BOX);
  query_cases::PresetOutputs(*box.channel, SCI_SCENE_BOUNDING_BOX);
  EXPECT_EQ(box.Run(), 0);
  EXPECT_EQ(query_cases::Outputs(*box.channel, SCI_SCENE_BOUNDING_BOX), "(0, 0, 0) | (0, 0, 0)");
  box.Fill(GeometryScene());
  EXPECT_EQ(box.Run(), 0);
  EXPECT_EQ(query_cases::Outputs(*box.channel, SCI_SCENE_BOUNDING_BOX), "(9, 0, 1) | (13, 4, 5)");
}

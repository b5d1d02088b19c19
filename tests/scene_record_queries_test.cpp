// The queries group by group, each on a fixture scene of its own: counts,
// nodes, geometry, surfaces, cameras, materials and textures, animations and
// lights. Answers, messages, failure values and statuses run through the
// tables of query_cases.h; what a table cannot state has a test of its own.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "host/material_channels.h"
#include "queries/messages.h"
#include "query_cases.h"
#include "query_harness.h"
#include "test_matrices.h"

using namespace Importing;
using query_cases::CheckQueryCase;
using query_cases::CheckRow;
using query_cases::QueryCase;
using query_cases::Row;
using ::testing::IsEmpty;

namespace {

constexpr const char* kIdentity = "[1 0 0 0; 0 1 0 0; 0 0 1 0; 0 0 0 1]";
constexpr const char* kNode = "Node id out of range.";

namespace msg = Importing::messages;

// ---------------------------------------------------------------------------
// Counts, on an empty scene and on one with a different number of records of
// each kind, so that a count read from the wrong collection shows.

TEST(SceneRecordQueries, Counts) {
  SceneBuilder b;
  b.AddNode("root");
  for (int i = 0; i < 2; ++i) b.AddSurface(-1, 0, 0);
  for (int i = 0; i < 3; ++i) b.AddGeometry(Geometry(3));
  for (int i = 0; i < 4; ++i) b.AddMaterial(Material("m"));
  for (int i = 0; i < 5; ++i) b.AddTexture("t.png");
  for (int i = 0; i < 6; ++i) b.AddAnimation({});
  for (int i = 0; i < 7; ++i) b.AddCamera(-1, Camera());
  for (int i = 0; i < 8; ++i) b.AddLight(-1, Light());
  const SCI_INFO_TYPE counts[] = {SCI_NODE_COUNT,    SCI_SURFACE_COUNT,   SCI_GEOMETRY_COUNT, SCI_MATERIAL_COUNT,
                                  SCI_TEXTURE_COUNT, SCI_ANIMATION_COUNT, SCI_CAMERA_COUNT,   SCI_LIGHT_COUNT};
  for (int i = 0; i < 8; ++i) {
    CheckRow({counts[i], {}, 0, nullptr, "0"}, SceneBuilder());
    CheckRow({counts[i], {}, 0, nullptr, std::to_string(i + 1).c_str()}, b);
  }
  CheckRow({SCI_MATERIAL_AS_XML, {0}, -1, msg::kMaterialId, "\"\""}, SceneBuilder());
}

// ---------------------------------------------------------------------------
// Nodes.

// root(0) -> arm(1) -> hand(3); root -> leg(2); a second "arm"(4) under leg.
SceneBuilder NodeScene() {
  SceneBuilder b;
  const int root = b.AddNode("root", -1, Translation(10, 0, 0));
  const int arm = b.AddNode("arm", root, Translation(0, 2, 0));
  const int leg = b.AddNode("leg", root);
  b.AddNode("hand", arm, Translation(0, 0, 3));
  b.AddNode("arm", leg);
  b.Data().nodes[1].SetNote("colour=red");
  b.AddAnimation({Key()}, arm);
  const int geometry = b.AddGeometry(Geometry(3));
  const int material = b.AddMaterial(Material("m"));
  b.AddSurface(arm, geometry, material);
  b.AddSurface(arm, geometry, material);
  b.Data().nodes[1].SurfaceIDs.push_back(0xFFFFFFFFu);
  return b;
}

constexpr const char* kObject = "Object id out of range.";

// Answers of the last node, "arm" under leg, given a child and a surface of
// its own; the queries that report "Object id" keep their output on failure.
const QueryCase kNodeIdCases[] = {
    {SCI_NODE_NAME, 5, kObject, "\"arm\"", nullptr},
    {SCI_NODE_NOTE, 5, kObject, "\"\"", nullptr},
    {SCI_NODE_LOCAL_TM, 5, kObject, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 0 0 0 1]", nullptr},
    {SCI_NODE_GLOBAL_TM, 5, kObject, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 10 0 0 1]", nullptr},
    {SCI_NODE_ANIMATION, 5, kNode, "-1", "-1"},
    {SCI_PARENT_NODE, 5, kNode, "2", "-1"},
    {SCI_NODE_CHILD_COUNT, 5, kNode, "1", "-1"},
    {SCI_NODE_CHILD, 5, kNode, "3", "-1"},
    {SCI_NODE_SURFACE_COUNT, 5, kNode, "1", "-1"},
    {SCI_NODE_SURFACE_ID, 5, kNode, "2", "-1"},
};

TEST(NodeQueries, AnswerTheLastIDAndFailOnBadIDs) {
  SceneBuilder b = NodeScene();
  b.AddSurface(4, 0, 0);
  b.Data().nodes[4].ChildIDs = {3};
  for (const QueryCase& c : kNodeIdCases) CheckQueryCase(c, b);
}

// Answers from the node and the container; a bad second input (node 4 has
// no children and no surfaces) has its own message. Inputs are truncated
// toward zero, and values no int holds fail the range check (every query
// reads its inputs alike): node 0 has two children, nodes 1 and 2 one each.
TEST(NodeQueries, AnswersAndBadSecondInputs) {
  constexpr const char* kChild = "Child number out of range.";
  constexpr const char* kSurface = "Surface number out of range.";
  constexpr float kInfinity = std::numeric_limits<float>::infinity();
  const Row rows[] = {
      {SCI_NODE_CHILD_COUNT, {2.9f}, 0, nullptr, "1"},
      {SCI_NODE_CHILD_COUNT, {-0.5f}, 0, nullptr, "2"},
      {SCI_NODE_CHILD_COUNT, {0.99f}, 0, nullptr, "2"},
      {SCI_NODE_CHILD_COUNT, {4.9f}, 0, nullptr, "0"},
      {SCI_NODE_CHILD_COUNT, {-1.5f}, -1, kNode, "-1"},
      {SCI_NODE_CHILD_COUNT, {5.0f}, -1, kNode, "-1"},
      {SCI_NODE_CHILD_COUNT, {1e10f}, -1, kNode, "-1"},
      {SCI_NODE_CHILD_COUNT, {-1e10f}, -1, kNode, "-1"},
      {SCI_NODE_CHILD_COUNT, {kInfinity}, -1, kNode, "-1"},
      {SCI_NODE_CHILD_COUNT, {std::numeric_limits<float>::quiet_NaN()}, -1, kNode, "-1"},
      {SCI_ROOT_NODE, {}, 0, nullptr, "0"},
      {SCI_NODE_NAME, {3}, 0, nullptr, "\"hand\""},
      {SCI_NODE_NOTE, {1}, 0, nullptr, "\"colour=red\""},
      {SCI_NODE_NOTE, {0}, 0, nullptr, "\"\""},
      {SCI_NODE_LOCAL_TM, {3}, 0, nullptr, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 0 0 3 1]"},
      {SCI_NODE_GLOBAL_TM, {3}, 0, nullptr, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 10 2 3 1]"},
      {SCI_NODE_ANIMATION, {1}, 0, nullptr, "0"},
      {SCI_NODE_ANIMATION, {2}, 0, nullptr, "-1"},
      {SCI_PARENT_NODE, {3}, 0, nullptr, "1"},
      {SCI_PARENT_NODE, {0}, 0, nullptr, "-1"},
      {SCI_NODE_CHILD_COUNT, {0}, 0, nullptr, "2"},
      {SCI_NODE_CHILD, {0, 1}, 0, nullptr, "2"},
      {SCI_NODE_SURFACE_COUNT, {1}, 0, nullptr, "3"},
      {SCI_NODE_SURFACE_ID, {1, 1}, 0, nullptr, "1"},
      {SCI_NODE_SURFACE_ID, {1, 2}, 0, nullptr, "4.29497e+09"},  // written as unsigned
      {SCI_NODE_CHILD, {4, -1}, -1, kChild, "-1"},
      {SCI_NODE_CHILD, {4, 3}, -1, kChild, "-1"},
      {SCI_NODE_SURFACE_ID, {4, -1}, -1, kSurface, "-1"},
      {SCI_NODE_SURFACE_ID, {4, 3}, -1, kSurface, "-1"},
  };
  for (const Row& row : rows) CheckRow(row, NodeScene());
}

// A name gives the lowest ID of the nodes so named, or -1.
TEST(NodeQueries, NodeIdByName) {
  QueryHarness h(SCI_NODE_ID);
  h.Fill(NodeScene());
  for (const auto& [name, id] : {std::pair<const char*, float>{"arm", 1}, {"nobody", -1}, {"", -1}, {nullptr, -1}}) {
    h.Child<TextChannel>(1).SetText(name);
    EXPECT_EQ(h.Run(), 0);
    EXPECT_TRUE(h.Messages().empty());
    EXPECT_EQ(h.Value(2).GetValue(), id) << (name ? name : "null");
  }
}

// ---------------------------------------------------------------------------
// Geometry.

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

// One geometry per case of the Mesh call order, in the order of kMeshCases.
SceneBuilder GeometryScene() {
  SceneBuilder b;
  b.AddGeometry(MakeGeometry(3, {}, {0, 1, 2}));
  b.AddGeometry(MakeGeometry(2, {MakeVertex(1), MakeVertex(2)}, {}));
  b.AddGeometry(MakeGeometry(0, {MakeVertex(1)}, {0}));
  b.AddGeometry(MakeGeometry(1, {MakeVertex(1)}, {0}));
  b.AddGeometry(MakeGeometry(4, {MakeVertex(1)}, {0}));
  b.AddGeometry(MakeGeometry(
      3, {MakeVertex(-1), MakeVertex(2, {{0.5f, 0.25f}, {1, 0}}), MakeVertex(3, {{0.75f, 1}})}, {0, 1, 7}));
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

const QueryCase kGeometryCases[] = {
    {SCI_GEOMETRY, 6, "Geometry id out of range.", "mesh type 4, 3 vertices, 3 indices", nullptr},
    {SCI_GEOMETRY_VERTEX_COUNT, 6, "Geometry id out of range.", "3", nullptr},
    {SCI_GEOMETRY_BOUNDING_BOX, 6, "Geometry id out of range.", "(-1, 0, 1) | (3, 4, 5)", nullptr},
};


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
    EXPECT_EQ(query_cases::DescribeCalls(mesh.CallLog()), c.calls);
    EXPECT_EQ(mesh.RejectedCalls(), 0);
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

// ---------------------------------------------------------------------------
// Surfaces. Surface 0 is listed twice by node 1 and has two maps, the second
// without texture; surface 1 is listed by node 5 and then by node 2; surface
// 2 is listed by no node and has no maps.

SceneBuilder SurfaceScene() {
  SceneBuilder b;
  b.AddNode("root");
  for (int i = 1; i <= 5; ++i) b.AddNode("n" + std::to_string(i), 0);
  const D3DXMATRIX map = Translation(0.25f, -0.5f, 0);
  b.AddSurface(1, 4, 1, {SurfaceTexture(3, "diffuse", 2, 0.5f, map), SurfaceTexture(-1, "normals", -1, 0.25f)});
  b.Data().nodes[1].SurfaceIDs.push_back(0);
  b.AddSurface(5, -3, 7);
  b.Data().nodes[2].SurfaceIDs.push_back(1);
  b.AddSurface(-1, 0, 0);
  return b;
}

TEST(SceneRecordQueries, Surfaces) {
  const char* range = msg::kSurfaceId;
  const char* number = msg::kTextureNumber;
  const Row rows[] = {
      {SCI_SURFACE_GEOMETRY_ID, {0}, 0, nullptr, "4"},
      {SCI_SURFACE_GEOMETRY_ID, {-0.5f}, 0, nullptr, "4"},
      {SCI_SURFACE_GEOMETRY_ID, {1.9f}, 0, nullptr, "-3"},
      {SCI_SURFACE_GEOMETRY_ID, {3}, -1, range, "-1"},
      {SCI_SURFACE_MATERIAL_ID, {1}, 0, nullptr, "7"},
      {SCI_SURFACE_MATERIAL_ID, {-1}, -1, range, "-1"},
      {SCI_SURFACE_NODE_ID, {0}, 0, nullptr, "1"},
      {SCI_SURFACE_NODE_ID, {1}, 0, nullptr, "2"},   // lowest of nodes 5 and 2
      {SCI_SURFACE_NODE_ID, {2}, 0, nullptr, "-1"},  // no node: no failure
      {SCI_SURFACE_NODE_ID, {3}, -1, range, "-1"},
      {SCI_SURFACE_TEXTURE_COUNT, {0}, 0, nullptr, "2"},
      {SCI_SURFACE_TEXTURE_COUNT, {2}, 0, nullptr, "0"},
      {SCI_SURFACE_TEXTURE_COUNT, {3}, -1, range, "-1"},
      {SCI_SURFACE_TEXTURE_ID, {0, 0}, 0, nullptr, "3"},
      {SCI_SURFACE_TEXTURE_ID, {0, 1}, 0, nullptr, "-1"},  // an entry without texture still counts
      {SCI_SURFACE_TEXTURE_ID, {0, 2}, -1, number, "-1"},
      {SCI_SURFACE_TEXTURE_ID, {2, 0}, -1, number, "-1"},
      {SCI_SURFACE_TEXTURE_ID, {3, 0}, -1, range, "-1"},
      {SCI_SURFACE_TEXTURE_TYPE, {0, 0}, 0, nullptr, "\"diffuse\""},
      {SCI_SURFACE_TEXTURE_TYPE, {0, 1.5f}, 0, nullptr, "\"normals\""},
      {SCI_SURFACE_TEXTURE_TYPE, {0, -1}, -1, number, "\"\""},
      {SCI_SURFACE_TEXTURE_TYPE, {3, 0}, -1, range, "\"\""},
      {SCI_SURFACE_TEXTURE_UV_SET, {0, 0}, 0, nullptr, "2"},
      {SCI_SURFACE_TEXTURE_UV_SET, {0, 1}, 0, nullptr, "-1"},  // signed here, unlike the XML text
      {SCI_SURFACE_TEXTURE_UV_SET, {2, 0}, -1, number, "-1"},
      {SCI_SURFACE_TEXTURE_UV_SET, {5, 0}, -1, range, "-1"},
      {SCI_SURFACE_TEXTURE_AMOUNT, {0, 0}, 0, nullptr, "0.5"},
      {SCI_SURFACE_TEXTURE_AMOUNT, {0, 1}, 0, nullptr, "0.25"},
      {SCI_SURFACE_TEXTURE_AMOUNT, {1, 0}, -1, number, "-1"},
      {SCI_SURFACE_TEXTURE_AMOUNT, {-2, 0}, -1, range, "-1"},
      {SCI_SURFACE_TEXTURE_MATRIX, {0, 0}, 0, nullptr, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 0.25 -0.5 0 1]"},
      {SCI_SURFACE_TEXTURE_MATRIX, {0, 2}, -1, number, kIdentity},
      {SCI_SURFACE_TEXTURE_MATRIX, {3, 0}, -1, range, kIdentity},
  };
  const SceneBuilder scene = SurfaceScene();
  for (const Row& row : rows) CheckRow(row, scene);
}

// ---------------------------------------------------------------------------
// Cameras. Camera 0 is listed by node 5 and then by node 3, camera 1 by
// node 1 beside an element of -1 (0xFFFFFFFF), camera 2 by no node.

SceneBuilder CameraScene() {
  SceneBuilder b;
  b.AddNode("root");
  for (int i = 1; i <= 5; ++i) b.AddNode("n" + std::to_string(i), 0);
  Camera cam;
  cam.SetName("Cam");
  cam.SetOffsetMatrix(Translation(0, 0, 10));
  cam.SetFov(0.785398f, 0.6f);
  cam.SetClipping(1, 1000);
  b.AddCamera(5, cam);
  b.Data().nodes[3].CameraIDs.push_back(0);
  Camera unnamed;
  unnamed.SetFov(-2, 3e8f);
  b.AddCamera(-1, unnamed);
  b.Data().nodes[1].CameraIDs = {1, 0xFFFFFFFFu};
  b.AddCamera(-1, Camera());
  return b;
}

TEST(SceneRecordQueries, Cameras) {
  const char* range = msg::kCameraId;
  const Row rows[] = {
      {SCI_NODE_CAMERA_COUNT, {1}, 0, nullptr, "2"},
      {SCI_NODE_CAMERA_COUNT, {0}, 0, nullptr, "0"},
      {SCI_NODE_CAMERA_COUNT, {6}, -1, msg::kNodeId, "-1"},
      {SCI_NODE_CAMERA_ID, {1, 0}, 0, nullptr, "1"},
      {SCI_NODE_CAMERA_ID, {1, 1}, 0, nullptr, "4.29497e+09"},  // read as unsigned
      {SCI_NODE_CAMERA_ID, {0, 0}, -1, msg::kCameraNumber, "-1"},
      {SCI_NODE_CAMERA_ID, {6, 0}, -1, msg::kNodeId, "-1"},
      {SCI_CAMERA_OFFSET_MATRIX, {0}, 0, nullptr, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 0 0 10 1]"},
      {SCI_CAMERA_OFFSET_MATRIX, {3}, -1, range, kIdentity},
      {SCI_CAMERA_NAME, {0}, 0, nullptr, "\"Cam\""},
      {SCI_CAMERA_NAME, {1}, 0, nullptr, "\"\""},
      {SCI_CAMERA_NAME, {3}, -1, range, "\"\""},
      {SCI_CAMERA_FOV_X, {0.9f}, 0, nullptr, "0.785398"},
      {SCI_CAMERA_FOV_X, {1}, 0, nullptr, "-2"},
      {SCI_CAMERA_FOV_X, {3}, -1, range, "-1"},
      {SCI_CAMERA_FOV_Y, {0}, 0, nullptr, "0.6"},
      {SCI_CAMERA_FOV_Y, {1}, 0, nullptr, "3e+08"},
      {SCI_CAMERA_FOV_Y, {-1}, -1, range, "-1"},
      {SCI_CAMERA_NEAR_Z, {0}, 0, nullptr, "1"},
      {SCI_CAMERA_NEAR_Z, {3}, -1, range, "-1"},
      {SCI_CAMERA_FAR_Z, {0}, 0, nullptr, "1000"},
      {SCI_CAMERA_FAR_Z, {3}, -1, range, "-1"},
      {SCI_CAMERA_NODE_ID, {0}, 0, nullptr, "3"},   // lowest of nodes 5 and 3
      {SCI_CAMERA_NODE_ID, {1}, 0, nullptr, "1"},
      {SCI_CAMERA_NODE_ID, {2}, 0, nullptr, "-1"},  // no node: no failure
      {SCI_CAMERA_NODE_ID, {3}, -1, range, "-1"},
  };
  const SceneBuilder scene = CameraScene();
  for (const Row& row : rows) CheckRow(row, scene);
}

// ---------------------------------------------------------------------------
// Materials and textures. Surfaces 1, 4 and 6 use material 2, surfaces 0, 2,
// 3 and 5 material 0, none material 1.

SceneBuilder MaterialScene() {
  SceneBuilder b;
  Material plain("Plain");
  Material brick("Brick");
  brick.SetDiffuse({0.8f, 0.4f, 0.2f, 0.9f});
  brick.SetEmissive({0.1f, 0.2f, 0.3f, 0.4f});
  brick.SetSpecular({0.5f, 0.6f, 0.7f, 0.8f});
  brick.SetSpecularPower(20);
  brick.SetOpacity(0.75f);
  b.AddMaterial(plain);
  b.AddMaterial(brick);
  b.AddMaterial(Material(""));
  for (int material : {0, 2, 0, 0, 2, 0, 2}) b.AddSurface(-1, 0, material);
  b.AddTexture("maps/brick.png");
  b.AddTexture("");
  return b;
}

TEST(SceneRecordQueries, MaterialsAndTextures) {
  const char* range = msg::kMaterialId;
  const Row rows[] = {
      {SCI_MATERIAL_NAME, {1}, 0, nullptr, "\"Brick\""},
      {SCI_MATERIAL_NAME, {2}, 0, nullptr, "\"\""},
      {SCI_MATERIAL_NAME, {3}, -1, range, "\"\""},
      {SCI_MATERIAL_SURFACE_COUNT, {2}, 0, nullptr, "3"},
      {SCI_MATERIAL_SURFACE_COUNT, {0}, 0, nullptr, "4"},
      {SCI_MATERIAL_SURFACE_COUNT, {1}, 0, nullptr, "0"},
      {SCI_MATERIAL_SURFACE_COUNT, {-1}, -1, range, "-1"},
      {SCI_MATERIAL_SURFACE_ID, {2, 0}, 0, nullptr, "1"},
      {SCI_MATERIAL_SURFACE_ID, {2, 1}, 0, nullptr, "4"},
      {SCI_MATERIAL_SURFACE_ID, {2, 2}, 0, nullptr, "6"},
      {SCI_MATERIAL_SURFACE_ID, {2, 3}, 0, nullptr, "-1"},
      {SCI_MATERIAL_SURFACE_ID, {2, -1}, 0, nullptr, "-1"},
      {SCI_MATERIAL_SURFACE_ID, {0, 3.7f}, 0, nullptr, "5"},
      {SCI_MATERIAL_SURFACE_ID, {1, 0}, 0, nullptr, "-1"},
      {SCI_MATERIAL_SURFACE_ID, {3, 0}, -1, range, "-1"},
      {SCI_MATERIAL, {3}, -1, range, nullptr},
      {SCI_TEXTURE_PATH, {0}, 0, nullptr, "\"maps/brick.png\""},
      {SCI_TEXTURE_PATH, {1}, 0, nullptr, "\"\""},
      {SCI_TEXTURE_PATH, {2}, -1, msg::kTextureId, "\"\""},
      {SCI_TEXTURE, {2}, -1, msg::kTextureId, nullptr},
      {SCI_TEXTURE, {0}, 0, nullptr, "texture on maps/brick.png"},
      {SCI_TEXTURE, {1}, 0, nullptr, "texture on stale"},  // an empty path sets the flag only
  };
  const SceneBuilder scene = MaterialScene();
  for (const Row& row : rows) CheckRow(row, scene);
}

// The material itself always; of its children 0 to 4 (diffuse, emissive,
// specular, specular power, opacity) those linked.
TEST(MaterialChild, WritesTheMaterialAndWhicheverChildrenAreLinked) {
  const char* const kChildren[] = {"(0.8, 0.4, 0.2)", "(0.1, 0.2, 0.3)", "(0.5, 0.6, 0.7)", "20", "0.75"};
  for (const std::vector<int>& linked : {std::vector<int>{}, {0, 4}, {0, 1, 2, 3, 4}}) {
    QueryHarness h(SCI_MATERIAL);
    h.Fill(MaterialScene());
    h.SetInput(1, 1);
    auto& material = h.Child<MaterialChannel>(2);
    h.host.CreateDefaultChildren(material);
    std::vector<std::string> expected, written;
    for (int i = 0; i < 5; ++i) {
      const bool isLinked = std::find(linked.begin(), linked.end(), i) != linked.end();
      if (!isLinked) material.UnlinkChild(i);
      expected.push_back(isLinked ? kChildren[i] : "unlinked");
    }
    EXPECT_EQ(h.Run(), 0);
    EXPECT_THAT(h.Messages(), IsEmpty());
    EXPECT_EQ(material.GetChannelName(), "Brick");
    EXPECT_EQ(query_cases::Describe(material), "material (0.8, 0.4, 0.2) (0.1, 0.2, 0.3) (0.5, 0.6, 0.7) 20 p10=0.75");
    for (int i = 0; i < 5; ++i)
      written.push_back(material.GetChild(i) ? query_cases::Describe(*material.GetChild(i)) : "unlinked");
    EXPECT_EQ(written, expected) << "children of the Material output";
  }
}

TEST(MaterialChild, EmptyNameRenamesTheChild) {
  QueryHarness h(SCI_MATERIAL);
  h.Fill(MaterialScene());
  h.SetInput(1, 2);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(h.Child<MaterialChannel>(2).GetChannelName(), "");
}

// ---------------------------------------------------------------------------
// Animations.

// Animation 0 has no keys; animation 1 has a key at rest at tick 0 and one
// at tick 2400 (half a second) moved by (1, 2, 3) and scaled by 2.
SceneBuilder AnimationScene() {
  SceneBuilder b;
  b.AddNode("root");
  b.AddAnimation({});
  b.AddAnimation({Key(), Key(2400, {1, 2, 3}, {}, {2, 2, 2})}, 0);
  return b;
}

constexpr const char* kAnimation = "Animation id out of range.";

const QueryCase kAnimationCases[] = {
    {SCI_ANIMATION_KEY_COUNT, 2, kAnimation, "2", "-1"},
    {SCI_ANIMATION_TIME, 2, kAnimation, "0.5", "-1", 1},
    {SCI_ANIMATION_MATRIX, 2, kAnimation, "[2 0 0 0; 0 2 0 0; 0 0 2 0; 1 2 3 1]", nullptr, 1},
    {SCI_ANIMATION, 2, kAnimation, "keys [0 2400]", nullptr},
};


TEST(AnimationQueries, AnswerTheLastIDAndFailOnBadIDs) {
  for (const QueryCase& c : kAnimationCases) CheckQueryCase(c, AnimationScene());
}

// Animation 0 has no keys, animation 1 two; time gets -1, the matrix is kept.
TEST(AnimationQueries, KeyNumberIsCheckedAgainstTheAnimationsKeys) {
  constexpr const char* kFrame = "Frame number out of range.";
  for (const SCI_INFO_TYPE type : {SCI_ANIMATION_TIME, SCI_ANIMATION_MATRIX})
    for (const auto& [animation, key] : {std::pair{0.0f, 0.0f}, {1.0f, 2.0f}, {1.0f, -1.0f}})
      CheckRow({type, {animation, key}, -1, kFrame, type == SCI_ANIMATION_TIME ? "-1" : nullptr}, AnimationScene());
}

TEST(AnimationQueries, KeyTimesAreSecondsFromUnsignedTicks) {
  SceneBuilder b;
  b.AddAnimation({Key(0, {}, {}, {}), Key(2400, {}, {}, {}), Key(4294967295u, {}, {}, {}),
                  Key(2147483648u, {}, {}, {}), Key(1, {}, {}, {})});
  const float seconds[] = {0, 0.5f, 894784.875f, 447392.4375f, 1.0f / 4800};
  QueryHarness h(SCI_ANIMATION_TIME);
  h.Fill(b);
  for (int key = 0; key < 5; ++key) {
    h.SetInput(2, static_cast<float>(key));
    EXPECT_EQ(h.Run(), 0);
    EXPECT_EQ(h.Value(3).GetValue(), seconds[key]) << "key " << key;
  }
  // Key numbers are truncated toward zero.
  for (const auto& [input, key] : {std::pair{1.9f, 1}, {-0.5f, 0}}) {
    h.SetInput(2, input);
    EXPECT_EQ(h.Run(), 0);
    EXPECT_EQ(h.Value(3).GetValue(), seconds[key]) << "input " << input;
  }
}

TEST(AnimationQueries, KeyRecordLayoutIsByteExact) {
  SceneBuilder b;
  b.AddAnimation({Key(0x0A0B0C0D, {3.0f, 4.0f, 0.25f}, {1.0f, 2.0f, 0.5f, -1.0f}, {-2.0f, 1.5f, 8.0f})});
  QueryHarness h(SCI_ANIMATION);
  h.Fill(b);
  ASSERT_EQ(h.Run(), 0);
  const auto& keys = h.Child<MatrixCollectionChannel>(2).GetKeys();
  ASSERT_EQ(keys.size(), 1u);
  const unsigned char expected[44] = {
      0x0D, 0x0C, 0x0B, 0x0A,  // time in ticks
      0x00, 0x00, 0x80, 0x3F,  // rotation x 1.0
      0x00, 0x00, 0x00, 0x40,  // rotation y 2.0
      0x00, 0x00, 0x00, 0x3F,  // rotation z 0.5
      0x00, 0x00, 0x80, 0xBF,  // rotation w -1.0
      0x00, 0x00, 0x40, 0x40,  // position x 3.0
      0x00, 0x00, 0x80, 0x40,  // position y 4.0
      0x00, 0x00, 0x80, 0x3E,  // position z 0.25
      0x00, 0x00, 0x00, 0xC0,  // scale x -2.0
      0x00, 0x00, 0xC0, 0x3F,  // scale y 1.5
      0x00, 0x00, 0x00, 0x41,  // scale z 8.0
  };
  unsigned char actual[sizeof expected];
  static_assert(sizeof(AnimationKeyRecord) == sizeof expected);
  std::memcpy(actual, keys.data(), sizeof actual);
  EXPECT_THAT(actual, testing::ElementsAreArray(expected));
}

TEST(AnimationQueries, KeyListIsHandedOverInOneCallEvenWhenEmpty) {
  QueryHarness h(SCI_ANIMATION);
  h.Fill(AnimationScene());
  auto& keys = h.Child<MatrixCollectionChannel>(2);
  h.SetInput(1, 1);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(keys.CallCount(), 1);
  EXPECT_EQ(keys.GetKeys().size(), 2u);
  h.SetInput(1, 0);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(keys.CallCount(), 2);
  EXPECT_TRUE(keys.GetKeys().empty());
}

// ---------------------------------------------------------------------------
// Lights.

// Nodes 0 (root), 1 and 2; lights 0 (listed by no node), 1 (node 2) and 2
// (nodes 1 and 2), so node 2 lists [1, 2]. Light 2 has a distinct value in
// every attribute; the others keep the defaults.
SceneBuilder LightScene() {
  SceneBuilder b;
  const int root = b.AddNode("root");
  const int first = b.AddNode("first", root);
  const int second = b.AddNode("second", root);
  b.AddLight(-1, Light());
  b.AddLight(second, Light());
  Light key;
  key.SetName("Key light");
  key.SetType(Light::LIGHT_SPOT);
  key.SetOffsetMatrix(Translation(5, 6, 7));
  key.SetColors({0.2f, 0.4f, 0.6f, 0.5f}, {0.1f, 0.15f, 0.25f, 1}, {0.7f, 0.8f, 0.9f, 0});
  key.SetAttenuation({1, 0.5f, 0.25f});
  key.SetRange(150);
  key.SetCone(0.25f, 0.75f);
  key.SetShadow(true, 0.35f);
  const int keyID = b.AddLight(first, key);
  b.Data().nodes[static_cast<std::size_t>(second)].LightIDs.push_back(static_cast<std::uint32_t>(keyID));
  return b;
}

constexpr const char* kLight = "Light id out of range.";

const QueryCase kLightCases[] = {
    {SCI_NODE_LIGHT_COUNT, 3, kNode, "2", "-1"},
    {SCI_NODE_LIGHT_ID, 3, kNode, "2", "-1", 1},
    {SCI_LIGHT_OFFSET_MATRIX, 3, kLight, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 5 6 7 1]", kIdentity},
    {SCI_LIGHT_NODE_ID, 3, kLight, "1", "-1"},
    {SCI_LIGHT_NAME, 3, kLight, "\"Key light\"", "\"\""},
    {SCI_LIGHT_TYPE, 3, kLight, "2", "-1"},
    {SCI_LIGHT_DIFFUSE, 3, kLight, "(0.2, 0.4, 0.6)", "(0, 0, 0)"},
    {SCI_LIGHT_AMBIENT, 3, kLight, "(0.1, 0.15, 0.25)", "(0, 0, 0)"},
    {SCI_LIGHT_SPECULAR, 3, kLight, "(0.7, 0.8, 0.9)", "(0, 0, 0)"},
    {SCI_LIGHT_ATTENUATION, 3, kLight, "(1, 0.5, 0.25)", "(0, 0, 0)"},
    {SCI_LIGHT_RANGE, 3, kLight, "150", "-1"},
    {SCI_LIGHT_THETA, 3, kLight, "0.25", "-1"},
    {SCI_LIGHT_PHI, 3, kLight, "0.75", "-1"},
    {SCI_LIGHT_SHADOW_CAST, 3, kLight, "1", "-1"},
    {SCI_LIGHT_SHADOW_DENSITY, 3, kLight, "0.35", "-1"},
};

TEST(LightQueries, AnswerTheLastIDAndFailOnBadIDs) {
  for (const QueryCase& c : kLightCases) CheckQueryCase(c, LightScene());
}

// The root lists no light and node 2 lists two; light 0 is listed by no
// node (-1, no failure), light 1 by node 2, light 2 by nodes 1 and 2 (the
// lowest wins); light 1 casts no shadow.
TEST(LightQueries, LightNumbersOwnersAndDefaults) {
  constexpr const char* kNumber = "Light number out of range.";
  const Row rows[] = {
      {SCI_NODE_LIGHT_ID, {0, 0}, -1, kNumber, "-1"}, {SCI_NODE_LIGHT_ID, {2, 2}, -1, kNumber, "-1"},
      {SCI_NODE_LIGHT_ID, {2, -1}, -1, kNumber, "-1"}, {SCI_NODE_LIGHT_ID, {2.9f, 0.9f}, 0, nullptr, "1"},
      {SCI_LIGHT_NODE_ID, {0}, 0, nullptr, "-1"},      {SCI_LIGHT_NODE_ID, {1}, 0, nullptr, "2"},
      {SCI_LIGHT_NODE_ID, {2}, 0, nullptr, "1"},       {SCI_LIGHT_SHADOW_CAST, {1}, 0, nullptr, "0"},
  };
  for (const Row& row : rows) CheckRow(row, LightScene());

  // Written unchecked and as unsigned.
  SceneBuilder b = LightScene();
  b.Data().nodes[0].LightIDs = {4294967295u, 40};
  CheckRow({SCI_NODE_LIGHT_ID, {0, 0}, 0, nullptr, "4.29497e+09"}, b);
  CheckRow({SCI_NODE_LIGHT_ID, {0, 1}, 0, nullptr, "40"}, b);
}

}  // namespace

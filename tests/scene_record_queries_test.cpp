// Surface, camera, material and texture queries: messages, failure values and
// statuses on an empty scene and on one fixture scene per group, the owner
// searches, and the Material and Texture outputs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/material_channels.h"
#include "queries/messages.h"
#include "query_cases.h"
#include "query_harness.h"
#include "test_matrices.h"

using namespace Importing;
using query_cases::CheckRow;
using query_cases::Row;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

constexpr const char* kIdentity = "[1 0 0 0; 0 1 0 0; 0 0 1 0; 0 0 0 1]";

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

// GetMaterial with the Material child's own children 0..4 linked as `linked`.
struct MaterialRun {
  QueryHarness h{SCI_MATERIAL};
  MaterialChannel* material;

  explicit MaterialRun(std::vector<int> linked) {
    h.Fill(MaterialScene());
    h.SetInput(1, 1);
    material = &h.Child<MaterialChannel>(2);
    h.host.CreateDefaultChildren(*material);
    for (int i = 0; i < 5; ++i)
      if (std::find(linked.begin(), linked.end(), i) == linked.end()) material->UnlinkChild(i);
    EXPECT_EQ(h.Run(), 0);
    EXPECT_THAT(h.Messages(), IsEmpty());
  }
  D3DXVECTOR3 Vector(int i) { return dynamic_cast<ValueVectorChannel*>(material->GetChild(i))->GetVector(); }
  float Value(int i) { return dynamic_cast<ValueChannel*>(material->GetChild(i))->GetValue(); }
};

const D3DXVECTOR3 kDiffuse{0.8f, 0.4f, 0.2f}, kEmissive{0.1f, 0.2f, 0.3f}, kSpecular{0.5f, 0.6f, 0.7f};

void ExpectMaterialItself(const MaterialChannel& material) {
  EXPECT_EQ(material.GetChannelName(), "Brick");
  EXPECT_TRUE(material.GetDiffuse() == kDiffuse);
  EXPECT_TRUE(material.GetEmissive() == kEmissive);
  EXPECT_TRUE(material.GetSpecular() == kSpecular);
  EXPECT_EQ(material.GetSpecularPower(), 20.0f);
  EXPECT_THAT(material.GetParameters(), ElementsAre(std::pair<const int, float>(10, 0.75f)));
}

// The material itself always; of its children 0 to 4 (diffuse, emissive,
// specular, specular power, opacity) those linked.
TEST(MaterialChild, WritesTheMaterialAndWhicheverChildrenAreLinked) {
  for (const std::vector<int>& linked : {std::vector<int>{}, {0, 4}, {0, 1, 2, 3, 4}}) {
    MaterialRun run(linked);
    ExpectMaterialItself(*run.material);
    for (int i = 0; i < 5; ++i) {
      const bool isLinked = std::find(linked.begin(), linked.end(), i) != linked.end();
      ASSERT_EQ(run.material->GetChild(i) != nullptr, isLinked) << "child " << i;
    }
    if (linked.empty()) continue;
    EXPECT_TRUE(run.Vector(0) == kDiffuse);
    EXPECT_EQ(run.Value(4), 0.75f);
    if (linked.size() < 5) continue;
    EXPECT_TRUE(run.Vector(1) == kEmissive);
    EXPECT_TRUE(run.Vector(2) == kSpecular);
    EXPECT_EQ(run.Value(3), 20.0f);
  }
}

TEST(MaterialChild, EmptyNameRenamesTheChild) {
  QueryHarness h(SCI_MATERIAL);
  h.Fill(MaterialScene());
  h.SetInput(1, 2);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(h.Child<MaterialChannel>(2).GetChannelName(), "");
}

}  // namespace

// Surface, camera, material and texture queries: messages, failure values and
// statuses on an empty scene and on one fixture scene per group, the owner
// searches, and the Material and Texture outputs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <variant>
#include <vector>

#include "host/material_channels.h"
#include "queries/messages.h"
#include "query_cases.h"
#include "query_harness.h"

using namespace Importing;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

// What a row expects in its output child: a value, a text, a matrix, or the
// output as it was before the call.
struct Kept {};
using Expected = std::variant<float, std::string, D3DXMATRIX, Kept>;

struct Row {
  SCI_INFO_TYPE type;
  std::vector<float> inputs;  // children 1.. in order
  int status;
  const char* message;  // nullptr: nothing shown
  Expected out;
};

D3DXMATRIX Filled(float v) {
  D3DXMATRIX m;
  for (auto& row : m.m)
    for (float& x : row) x = v;
  return m;
}

std::string Describe(const Row& row) {
  std::string text = kInfoTypes[row.type].name;
  for (float input : row.inputs) text += " " + std::to_string(input);
  return text;
}

void CheckRow(const Row& row, const SceneBuilder& scene) {
  SCOPED_TRACE(Describe(row));
  QueryHarness h(row.type);
  h.Fill(scene);
  for (std::size_t i = 0; i < row.inputs.size(); ++i) h.SetInput(static_cast<int>(i) + 1, row.inputs[i]);
  const int outIndex = static_cast<int>(row.inputs.size()) + 1;
  Orv_Channel* out = h.channel->GetChild(outIndex);
  ASSERT_NE(out, nullptr);
  query_cases::Preset(*out);
  const std::string before = query_cases::Describe(*out);

  EXPECT_EQ(h.Run(), row.status);
  if (row.message == nullptr)
    EXPECT_THAT(h.Messages(), IsEmpty());
  else
    EXPECT_THAT(h.Messages(), ElementsAre(row.message));
  for (std::size_t i = 0; i < row.inputs.size(); ++i)
    EXPECT_EQ(h.Value(static_cast<int>(i) + 1).GetValue(), row.inputs[i]) << "input " << i + 1 << " was written";

  if (const float* value = std::get_if<float>(&row.out)) {
    EXPECT_EQ(h.Value(outIndex).GetValue(), *value);
  } else if (const std::string* text = std::get_if<std::string>(&row.out)) {
    const char* written = h.Child<TextChannel>(outIndex).GetText();
    ASSERT_NE(written, nullptr);
    EXPECT_EQ(written, *text);
  } else if (const D3DXMATRIX* matrix = std::get_if<D3DXMATRIX>(&row.out)) {
    EXPECT_TRUE(h.Child<MatrixChannel>(outIndex).GetMatrix() == *matrix);
  } else {
    EXPECT_EQ(query_cases::Describe(*out), before) << "the output was written";
  }
}

const D3DXMATRIX kIdentity = Transform::Indentity;
const float kUnsignedMinusOne = static_cast<float>(0xFFFFFFFFu);

namespace msg = Importing::messages;

// ---------------------------------------------------------------------------
// Empty scene: every count is 0 (bad IDs are checked on the fixtures below
// and, for the other groups, in their own tests).

TEST(SceneRecordQueries, EmptyScene) {
  const Row rows[] = {
      {SCI_NODE_COUNT, {}, 0, nullptr, 0.0f},      {SCI_SURFACE_COUNT, {}, 0, nullptr, 0.0f},
      {SCI_GEOMETRY_COUNT, {}, 0, nullptr, 0.0f},  {SCI_MATERIAL_COUNT, {}, 0, nullptr, 0.0f},
      {SCI_TEXTURE_COUNT, {}, 0, nullptr, 0.0f},   {SCI_ANIMATION_COUNT, {}, 0, nullptr, 0.0f},
      {SCI_CAMERA_COUNT, {}, 0, nullptr, 0.0f},    {SCI_LIGHT_COUNT, {}, 0, nullptr, 0.0f},
      {SCI_MATERIAL_AS_XML, {0}, -1, msg::kMaterialId, std::string()},
  };
  const SceneBuilder nothing;
  for (const Row& row : rows) CheckRow(row, nothing);
}

// ---------------------------------------------------------------------------
// Surfaces. Surface 0 is listed twice by node 1 and has two maps, the second
// without texture; surface 1 is listed by node 5 and then by node 2; surface
// 2 is listed by no node and has no maps.

D3DXMATRIX MapMatrix() {
  D3DXMATRIX m;
  m.m[3][0] = 0.25f;
  m.m[3][1] = -0.5f;
  return m;
}

SceneBuilder SurfaceScene() {
  SceneBuilder b;
  b.AddNode("root");
  for (int i = 1; i <= 5; ++i) b.AddNode("n" + std::to_string(i), 0);
  b.AddSurface(1, 4, 1,
               {SurfaceTexture(3, "diffuse", 2, 0.5f, MapMatrix()), SurfaceTexture(-1, "normals", -1, 0.25f)});
  b.Data().nodes[1].SurfaceIDs.push_back(0);
  b.AddSurface(5, -3, 7);
  b.Data().nodes[2].SurfaceIDs.push_back(1);
  b.AddSurface(-1, 0, 0);
  return b;
}

TEST(SceneRecordQueries, Surfaces) {
  const std::string empty;
  const char* range = msg::kSurfaceId;
  const char* number = msg::kTextureNumber;
  const Row rows[] = {
      {SCI_SURFACE_COUNT, {}, 0, nullptr, 3.0f},
      {SCI_SURFACE_GEOMETRY_ID, {0}, 0, nullptr, 4.0f},
      {SCI_SURFACE_GEOMETRY_ID, {-0.5f}, 0, nullptr, 4.0f},
      {SCI_SURFACE_GEOMETRY_ID, {1.9f}, 0, nullptr, -3.0f},
      {SCI_SURFACE_GEOMETRY_ID, {3}, -1, range, -1.0f},
      {SCI_SURFACE_MATERIAL_ID, {1}, 0, nullptr, 7.0f},
      {SCI_SURFACE_MATERIAL_ID, {-1}, -1, range, -1.0f},
      {SCI_SURFACE_NODE_ID, {0}, 0, nullptr, 1.0f},
      {SCI_SURFACE_NODE_ID, {1}, 0, nullptr, 2.0f},   // lowest of nodes 5 and 2
      {SCI_SURFACE_NODE_ID, {2}, 0, nullptr, -1.0f},  // no node: no failure
      {SCI_SURFACE_NODE_ID, {3}, -1, range, -1.0f},
      {SCI_SURFACE_TEXTURE_COUNT, {0}, 0, nullptr, 2.0f},
      {SCI_SURFACE_TEXTURE_COUNT, {2}, 0, nullptr, 0.0f},
      {SCI_SURFACE_TEXTURE_COUNT, {3}, -1, range, -1.0f},
      {SCI_SURFACE_TEXTURE_ID, {0, 0}, 0, nullptr, 3.0f},
      {SCI_SURFACE_TEXTURE_ID, {0, 1}, 0, nullptr, -1.0f},  // an entry without texture still counts
      {SCI_SURFACE_TEXTURE_ID, {0, 2}, -1, number, -1.0f},
      {SCI_SURFACE_TEXTURE_ID, {2, 0}, -1, number, -1.0f},
      {SCI_SURFACE_TEXTURE_ID, {3, 0}, -1, range, -1.0f},
      {SCI_SURFACE_TEXTURE_TYPE, {0, 0}, 0, nullptr, std::string("diffuse")},
      {SCI_SURFACE_TEXTURE_TYPE, {0, 1.5f}, 0, nullptr, std::string("normals")},
      {SCI_SURFACE_TEXTURE_TYPE, {0, -1}, -1, number, empty},
      {SCI_SURFACE_TEXTURE_TYPE, {3, 0}, -1, range, empty},
      {SCI_SURFACE_TEXTURE_UV_SET, {0, 0}, 0, nullptr, 2.0f},
      {SCI_SURFACE_TEXTURE_UV_SET, {0, 1}, 0, nullptr, -1.0f},  // signed here, unlike the XML text
      {SCI_SURFACE_TEXTURE_UV_SET, {2, 0}, -1, number, -1.0f},
      {SCI_SURFACE_TEXTURE_UV_SET, {5, 0}, -1, range, -1.0f},
      {SCI_SURFACE_TEXTURE_AMOUNT, {0, 0}, 0, nullptr, 0.5f},
      {SCI_SURFACE_TEXTURE_AMOUNT, {0, 1}, 0, nullptr, 0.25f},
      {SCI_SURFACE_TEXTURE_AMOUNT, {1, 0}, -1, number, -1.0f},
      {SCI_SURFACE_TEXTURE_AMOUNT, {-2, 0}, -1, range, -1.0f},
      {SCI_SURFACE_TEXTURE_MATRIX, {0, 0}, 0, nullptr, MapMatrix()},
      {SCI_SURFACE_TEXTURE_MATRIX, {0, 2}, -1, number, kIdentity},
      {SCI_SURFACE_TEXTURE_MATRIX, {3, 0}, -1, range, kIdentity},
  };
  const SceneBuilder scene = SurfaceScene();
  for (const Row& row : rows) CheckRow(row, scene);
}

TEST(SceneRecordQueries, SurfaceWithoutNodesHasNoOwner) {
  SceneBuilder b;
  b.AddSurface(-1, 0, 0);
  b.AddSurface(-1, 0, 0);
  for (float surface : {0.0f, 1.0f}) CheckRow({SCI_SURFACE_NODE_ID, {surface}, 0, nullptr, -1.0f}, b);
}

// ---------------------------------------------------------------------------
// Cameras. Camera 0 is listed by node 5 and then by node 3, camera 1 by
// node 1 beside an element of -1 (0xFFFFFFFF), camera 2 by no node.

D3DXMATRIX CameraOffset() {
  D3DXMATRIX m = Filled(0);
  m.m[0][0] = m.m[1][1] = m.m[2][2] = m.m[3][3] = 1;
  m.m[3][2] = 10;
  return m;
}

SceneBuilder CameraScene() {
  SceneBuilder b;
  b.AddNode("root");
  for (int i = 1; i <= 5; ++i) b.AddNode("n" + std::to_string(i), 0);
  Camera cam;
  cam.SetName("Cam");
  cam.SetOffsetMatrix(CameraOffset());
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
  const std::string empty;
  const char* range = msg::kCameraId;
  const Row rows[] = {
      {SCI_NODE_CAMERA_COUNT, {1}, 0, nullptr, 2.0f},
      {SCI_NODE_CAMERA_COUNT, {0}, 0, nullptr, 0.0f},
      {SCI_NODE_CAMERA_COUNT, {6}, -1, msg::kNodeId, -1.0f},
      {SCI_NODE_CAMERA_ID, {1, 0}, 0, nullptr, 1.0f},
      {SCI_NODE_CAMERA_ID, {1, 1}, 0, nullptr, kUnsignedMinusOne},  // read as unsigned
      {SCI_NODE_CAMERA_ID, {0, 0}, -1, msg::kCameraNumber, -1.0f},
      {SCI_NODE_CAMERA_ID, {6, 0}, -1, msg::kNodeId, -1.0f},
      {SCI_CAMERA_COUNT, {}, 0, nullptr, 3.0f},
      {SCI_CAMERA_OFFSET_MATRIX, {0}, 0, nullptr, CameraOffset()},
      {SCI_CAMERA_OFFSET_MATRIX, {3}, -1, range, kIdentity},
      {SCI_CAMERA_NAME, {0}, 0, nullptr, std::string("Cam")},
      {SCI_CAMERA_NAME, {1}, 0, nullptr, empty},
      {SCI_CAMERA_NAME, {3}, -1, range, empty},
      {SCI_CAMERA_FOV_X, {0.9f}, 0, nullptr, 0.785398f},
      {SCI_CAMERA_FOV_X, {1}, 0, nullptr, -2.0f},
      {SCI_CAMERA_FOV_X, {3}, -1, range, -1.0f},
      {SCI_CAMERA_FOV_Y, {0}, 0, nullptr, 0.6f},
      {SCI_CAMERA_FOV_Y, {1}, 0, nullptr, 3e8f},
      {SCI_CAMERA_FOV_Y, {-1}, -1, range, -1.0f},
      {SCI_CAMERA_NEAR_Z, {0}, 0, nullptr, 1.0f},
      {SCI_CAMERA_NEAR_Z, {3}, -1, range, -1.0f},
      {SCI_CAMERA_FAR_Z, {0}, 0, nullptr, 1000.0f},
      {SCI_CAMERA_FAR_Z, {3}, -1, range, -1.0f},
      {SCI_CAMERA_NODE_ID, {0}, 0, nullptr, 3.0f},   // lowest of nodes 5 and 3
      {SCI_CAMERA_NODE_ID, {1}, 0, nullptr, 1.0f},
      {SCI_CAMERA_NODE_ID, {2}, 0, nullptr, -1.0f},  // no node: no failure
      {SCI_CAMERA_NODE_ID, {3}, -1, range, -1.0f},
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
  const std::string empty;
  const char* range = msg::kMaterialId;
  const Row rows[] = {
      {SCI_MATERIAL_COUNT, {}, 0, nullptr, 3.0f},
      {SCI_MATERIAL_NAME, {1}, 0, nullptr, std::string("Brick")},
      {SCI_MATERIAL_NAME, {2}, 0, nullptr, empty},
      {SCI_MATERIAL_NAME, {3}, -1, range, empty},
      {SCI_MATERIAL_SURFACE_COUNT, {2}, 0, nullptr, 3.0f},
      {SCI_MATERIAL_SURFACE_COUNT, {0}, 0, nullptr, 4.0f},
      {SCI_MATERIAL_SURFACE_COUNT, {1}, 0, nullptr, 0.0f},
      {SCI_MATERIAL_SURFACE_COUNT, {-1}, -1, range, -1.0f},
      {SCI_MATERIAL_SURFACE_ID, {2, 0}, 0, nullptr, 1.0f},
      {SCI_MATERIAL_SURFACE_ID, {2, 1}, 0, nullptr, 4.0f},
      {SCI_MATERIAL_SURFACE_ID, {2, 2}, 0, nullptr, 6.0f},
      {SCI_MATERIAL_SURFACE_ID, {2, 3}, 0, nullptr, -1.0f},
      {SCI_MATERIAL_SURFACE_ID, {2, -1}, 0, nullptr, -1.0f},
      {SCI_MATERIAL_SURFACE_ID, {0, 3.7f}, 0, nullptr, 5.0f},
      {SCI_MATERIAL_SURFACE_ID, {1, 0}, 0, nullptr, -1.0f},
      {SCI_MATERIAL_SURFACE_ID, {3, 0}, -1, range, -1.0f},
      {SCI_MATERIAL, {3}, -1, range, Kept{}},
      {SCI_TEXTURE_COUNT, {}, 0, nullptr, 2.0f},
      {SCI_TEXTURE_PATH, {0}, 0, nullptr, std::string("maps/brick.png")},
      {SCI_TEXTURE_PATH, {1}, 0, nullptr, empty},
      {SCI_TEXTURE_PATH, {2}, -1, msg::kTextureId, empty},
      {SCI_TEXTURE, {2}, -1, msg::kTextureId, Kept{}},
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

// A path sets the flag and the file; an empty path sets the flag only.
TEST(TextureChild, PathGivesFlagAndFile) {
  for (const auto& [texture, file] : {std::pair{0.0f, "maps/brick.png"}, {1.0f, "old.png"}}) {
    QueryHarness h(SCI_TEXTURE);
    h.Fill(MaterialScene());
    h.Child<TextureChannel>(2).SetTextureFile("old.png");
    h.SetInput(1, texture);
    EXPECT_EQ(h.Run(), 0);
    EXPECT_TRUE(h.Child<TextureChannel>(2).GetTextureFlag());
    EXPECT_EQ(h.Child<TextureChannel>(2).GetTextureFile(), file);
  }
}

}  // namespace

// Imports the hand-made files of tests/data (see tests/data/README.md) and
// checks the mapped record values, and the errors of files that cannot load.
// The glTF fixtures' other values are held in gltf_reader_test, where the
// two glTF readers, written apart, must answer them record by record alike.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "scene/import/scene_importer.h"

namespace Importing {
namespace {

constexpr float kEps = 1e-5f;
const double kPi = std::acos(-1.0);

std::string DataPath(const std::string& name) { return std::string(SCI_TEST_DATA_DIR) + "/" + name; }

// Each value read against the one the fixture holds; a failure names its place in the list.
void ExpectValues(std::initializer_list<std::pair<double, double>> readAndHeld) {
  int place = 0;
  for (const auto& [read, held] : readAndHeld) EXPECT_NEAR(read, held, kEps) << "value " << place++;
}

void ExpectVector(const D3DXVECTOR3& got, float x, float y, float z) { ExpectValues({{got.x, x}, {got.y, y}, {got.z, z}}); }

void ExpectColor(const Color& got, float r, float g, float b, float a) {
  ExpectValues({{got.r, r}, {got.g, g}, {got.b, b}, {got.a, a}});
}

void ExpectIdentity(const D3DXMATRIX& m) {
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(m.m[r][c], r == c ? 1.0f : 0.0f, kEps) << r << "," << c;
}

// The node places what it carries: the offset of a camera or light is the
// identity, and the node's global matrix holds the translation.
void ExpectPlacedBy(const SceneContainer& scene, int node, const D3DXMATRIX& offset, float x, float y, float z) {
  ExpectIdentity(offset);
  const D3DXMATRIX global = scene.GetGlobalTransform(node);
  ExpectVector({global.m[3][0], global.m[3][1], global.m[3][2]}, x, y, z);
}

std::vector<std::string> NodeNames(const SceneContainer& scene) {
  std::vector<std::string> names;
  for (const Node& node : scene.Nodes()) names.push_back(node.GetName());
  return names;
}

class FixtureImport : public ::testing::Test {
 protected:
  void Import(const std::string& name) {
    std::string error;
    ASSERT_TRUE(ImportScene(DataPath(name), scene_, &error)) << error;
  }
  SceneContainer scene_;
};

// Both glTF readers merge their tracks with one shared function: its keys
// are held to the file here.
TEST_F(FixtureImport, GltfAnimationKeysAtEveryTrackTime) {
  Import("trs_animation.gltf");
  ASSERT_EQ(scene_.Animations().size(), 1u);
  EXPECT_EQ(scene_.Nodes()[0].GetAnimationID(), 0);
  const Animation& keys = scene_.Animations()[0];
  ASSERT_EQ(keys.size(), 5u);

  const double h = std::sqrt(0.5), e = std::sin(kPi / 8), f = std::cos(kPi / 8);
  struct Want {
    std::uint32_t time;
    float px;
    double qz, qw;
  };
  // T keys at 0 s and 1 s, R keys at 0.5 s and 1.5 s, S key at 2 s.
  const Want want[] = {{0, 0, 0, 1}, {2400, 1, 0, 1}, {4800, 2, e, f}, {7200, 2, h, h}, {9600, 2, h, h}};
  for (std::size_t i = 0; i < keys.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(keys[i].GetTime(), want[i].time);
    ExpectVector(keys[i].GetPosition(), want[i].px, 0, 0);
    ExpectValues({{keys[i].GetRotation().x, 0}, {keys[i].GetRotation().z, want[i].qz}, {keys[i].GetRotation().w, want[i].qw}});
    ExpectVector(keys[i].GetScale(), 2, 2, 2);
  }
}

TEST_F(FixtureImport, ObjTwoMaterials) {
  Import("two_materials.obj");
  EXPECT_EQ(NodeNames(scene_), (std::vector<std::string>{"two_materials.obj", "red_part", "blue_part"}));
  ASSERT_EQ(scene_.Surfaces().size(), 2u);
  const Material& red = scene_.Materials()[scene_.Surfaces()[0].GetMaterialID()];
  const Material& blue = scene_.Materials()[scene_.Surfaces()[1].GetMaterialID()];
  EXPECT_EQ(red.GetName(), "Red");
  ExpectColor(red.GetDiffuse(), 1, 0, 0, 1);
  ExpectColor(red.GetSpecular(), 0.5f, 0.5f, 0.5f, 1);
  ExpectColor(red.GetEmissive(), 0.1f, 0.2f, 0.3f, 1);
  ExpectValues({{red.GetSpecularPower(), 32}, {red.GetOpacity(), 0.75}});
  EXPECT_EQ(blue.GetName(), "Blue");
  ExpectColor(blue.GetDiffuse(), 0, 0, 1, 1);
  EXPECT_NEAR(blue.GetOpacity(), 1, kEps);

  EXPECT_EQ(scene_.TexturePaths(), (std::vector<std::string>{"red.png", "blue.png", "bumps.png"}));
  const auto& blueTextures = scene_.Surfaces()[1].Textures;
  ASSERT_EQ(blueTextures.size(), 2u);
  EXPECT_EQ(blueTextures[0].GetTextureType(), "diffuse");
  EXPECT_EQ(blueTextures[0].GetTextureID(), 1);
  EXPECT_EQ(blueTextures[1].GetTextureType(), "height");
  EXPECT_EQ(blueTextures[1].GetTextureID(), 2);
  ExpectIdentity(blueTextures[1].GetTextureMatrix());

  // Each quad becomes two triangles over its four shared corners.
  const Geometry& quad = scene_.Geometries()[0];
  EXPECT_EQ(quad.GetPrimitiveSize(), 3);
  EXPECT_EQ(quad.Vertices.size(), 4u);
  EXPECT_EQ(quad.Indices.size(), 6u);
  ExpectVector(quad.Vertices[0].GetNormal(), 0, 0, 1);
}

TEST_F(FixtureImport, ColladaCameraAndLightOnNodes) {
  Import("camera_light.dae");
  EXPECT_EQ(NodeNames(scene_), (std::vector<std::string>{"Scene", "CamNode", "LightNode", "Mesh"}));
  EXPECT_EQ(scene_.Nodes()[1].CameraIDs, std::vector<std::uint32_t>{0});
  EXPECT_EQ(scene_.Nodes()[2].LightIDs, std::vector<std::uint32_t>{0});

  const Camera& camera = scene_.Cameras()[0];
  ExpectValues({{camera.GetFovX(), kPi / 3}, {camera.GetFovY(), 2 * std::atan(std::tan(kPi / 6) / 1.5)},
                {camera.GetNearZ(), 0.5}, {camera.GetFarZ(), 200}});
  ExpectPlacedBy(scene_, 1, camera.GetOffsetTransform().GetMatrix(), 0, 2, 10);

  const Light& light = scene_.Lights()[0];
  EXPECT_EQ(light.GetType(), Light::LIGHT_SPOT);
  ExpectColor(light.GetDiffuse(), 0.8f, 0.7f, 0.6f, 1);
  ExpectVector(light.GetAttenuation(), 1, 0.25f, 0.125f);
  EXPECT_NEAR(light.GetTheta(), 40 * kPi / 180, kEps);
  EXPECT_GT(light.GetPhi(), light.GetTheta());
  EXPECT_EQ(light.GetRange(), std::sqrt(FLT_MAX));
  // Collada gives no up vector; the fallback keeps the frame the identity.
  ExpectPlacedBy(scene_, 2, light.GetOffsetTransform().GetMatrix(), 4, 5, 6);
  EXPECT_EQ(scene_.Source().format, "Collada Importer");
}

TEST_F(FixtureImport, ReportsProgressAndSource) {
  std::vector<float> reported;
  ImportOptions options;
  options.progress = [&reported](float f) { reported.push_back(f); };
  std::string error;
  ASSERT_TRUE(ImportScene(DataPath("points_lines.gltf"), scene_, &error, options)) << error;
  ASSERT_FALSE(reported.empty());
  EXPECT_EQ(reported.back(), 1.0f);
  for (float f : reported) {
    EXPECT_GE(f, 0.0f);
    EXPECT_LE(f, 1.0f);
  }
  EXPECT_EQ(scene_.Source().path, DataPath("points_lines.gltf"));
  EXPECT_EQ(scene_.Source().format, "glTF 2.0");
}

// Failed imports explain themselves and leave the container as it was.
TEST(FailedImport, ExplainsAndKeepsContainer) {
  const std::string unknown = (std::filesystem::temp_directory_path() / "sci_import_scene.xyz3d").string();
  std::ofstream(unknown, std::ios::binary) << "no reader knows this";
  const std::pair<std::string, std::string> cases[] = {
      {DataPath("no_such_file.gltf"), "Cannot import '" + DataPath("no_such_file.gltf") + "': no such file"},
      {unknown, "unknown file format '.xyz3d' and no reader recognises its content"},
  };
  for (const auto& [path, why] : cases) {
    SCOPED_TRACE(path);
    SceneContainer scene;
    std::string error;
    ASSERT_TRUE(ImportScene(DataPath("node_extras.gltf"), scene, &error)) << error;
    EXPECT_FALSE(ImportScene(path, scene, &error));
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(why), std::string::npos) << error;
    EXPECT_EQ(NodeNames(scene), (std::vector<std::string>{"Root", "Arm", "Hand", "Finger", "Leg"}));
    EXPECT_EQ(scene.Source().path, DataPath("node_extras.gltf"));
  }
  std::filesystem::remove(unknown);
}

TEST(SupportedExtensions, ListsTheMainFormats) {
  const std::string list = SupportedExtensions();
  for (const char* ext : {"*.gltf", "*.glb", "*.fbx", "*.dae", "*.obj", "*.3ds", "*.x", "*.ply", "*.stl"})
    EXPECT_NE(list.find(ext), std::string::npos) << ext;
}

}  // namespace
}  // namespace Importing

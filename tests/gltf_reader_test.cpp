// The glTF reader of our own against the Assimp route on every plain glTF we
// have (the shared samples, our fixtures and the demo scene): the same
// records, except where the Assimp route is wrong, each case named below.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "scene/import/scene_importer.h"
#include "tests/gltf_test_files.h"
#include "tests/scene_comparison.h"

namespace Importing {
namespace {

namespace fs = std::filesystem;

const fs::path kScenes = SCI_SAMPLE_SCENES_DIR;
const fs::path kFixtures = SCI_TEST_DATA_DIR;

// Where the Assimp route answers wrongly, what the comparison leaves out.
Testing::Comparison ComparisonFor(const std::string& path) {
  Testing::Comparison how;
  // Assimp reads KHR_animation_pointer channels (which aim at no node) as
  // translations of the first node it met; ours skips them.
  if (path.find("24_animation_pointer") != std::string::npos) how.animations = false;
  return how;
}

class PlainGltf : public ::testing::TestWithParam<std::string> {};

TEST_P(PlainGltf, AnswersAsTheAssimpRoute) {
  const std::string path = GetParam();
  if (path.rfind(kScenes.string(), 0) == 0 && !fs::is_directory(kScenes))
    GTEST_SKIP() << "Sample scenes not found at " << kScenes.string();
  SceneContainer native, assimp;
  std::string error;
  ImportOptions options;
  ASSERT_TRUE(ImportScene(path, native, &error, options)) << error;
  options.gltfReader = GltfReader::Assimp;
  ASSERT_TRUE(ImportScene(path, assimp, &error, options)) << error;
  const std::vector<std::string> differences = Testing::Differences(assimp, native, ComparisonFor(path));
  std::string listed;
  for (const std::string& d : differences) listed += "\n  " + d;
  EXPECT_TRUE(differences.empty()) << path << " (Assimp vs native):" << listed;
}

INSTANTIATE_TEST_SUITE_P(Files, PlainGltf, ::testing::ValuesIn(Testing::GltfFiles({kScenes, kFixtures})),
                         Testing::FileTestName);

template <typename T>
std::string Bytes(std::initializer_list<T> values) {
  std::string bytes;
  for (const T v : values) bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
  return bytes;
}

// A document around `members` whose buffer 0 holds `bytes`.
std::string Doc(const std::string& members, const std::string& bytes = {}) {
  std::string doc = R"({"asset":{"version":"2.0"})";
  if (!bytes.empty())
    doc += R"(,"buffers":[{"byteLength":)" + std::to_string(bytes.size()) +
           R"(,"uri":"data:application/octet-stream;base64,)" + Testing::Base64(bytes) + "\"}]";
  return doc + (members.empty() ? "" : "," + members) + "}";
}

const std::string kTriangle = Bytes<float>({0, 0, 0, 1, 0, 0, 0, 1, 0});
const std::string kTriangleView = R"("bufferViews":[{"buffer":0,"byteLength":36}])";
const std::string kPositions = R"({"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"})";

struct Opened {
  const char* what;
  std::string gltf;
  std::function<void(const SceneContainer&, const std::string& warnings)> check;
};

// Files glTF's validator accepts: each opens and answers what it holds.
TEST(GltfReader, OpensWhatTheFormatAllows) {
  const std::vector<Opened> cases = {
      {"no default scene: its first scene",
       Doc(R"("scenes":[{"nodes":[1]},{"nodes":[0]}],"nodes":[{"name":"a"},{"name":"b"}])"),
       [](const SceneContainer& s, const std::string& w) {
         ASSERT_EQ(s.Nodes().size(), 1u);
         EXPECT_EQ(s.Nodes()[0].GetName(), "b");
         EXPECT_NE(w.find("names no default scene"), std::string::npos) << w;
       }},
      {"no scenes: every parentless node under one root",
       Doc(R"("nodes":[{"name":"a","children":[2]},{"name":"b"},{"name":"c"}])"),
       [](const SceneContainer& s, const std::string& w) {
         ASSERT_EQ(s.Nodes().size(), 4u);
         EXPECT_EQ(s.Nodes()[0].GetName(), "ROOT");
         EXPECT_EQ(s.Nodes()[0].ChildIDs, (std::vector<int>{1, 3}));
         EXPECT_EQ(s.Nodes()[2].GetName(), "c");
         EXPECT_NE(w.find("has no scenes"), std::string::npos) << w;
       }},
      {"an accessor without a buffer view is zeros, a sparse one replaces some",
       Doc(R"("accessors":[{"componentType":5126,"count":3,"type":"VEC3","sparse":{"count":2,
           "indices":{"bufferView":0,"componentType":5121},"values":{"bufferView":1}}}],
           "bufferViews":[{"buffer":0,"byteLength":2},{"buffer":0,"byteOffset":4,"byteLength":24}],
           "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}],"scene":0)",
           std::string("\x01\x02\0\0", 4) + Bytes<float>({4, 5, 6, 7, 8, 9})),
       [](const SceneContainer& s, const std::string&) {
         ASSERT_EQ(s.Geometries().size(), 1u);
         const auto& v = s.Geometries()[0].Vertices;
         ASSERT_EQ(v.size(), 3u);
         EXPECT_EQ(v[0].GetPosition().x, 0.0f);
         EXPECT_EQ(v[1].GetPosition().y, 5.0f);
         EXPECT_EQ(v[2].GetPosition().z, 9.0f);
       }},
      {"quantized: short positions as integers, normalized byte UVs, strided",
       Doc(R"("extensionsUsed":["KHR_mesh_quantization"],"extensionsRequired":["KHR_mesh_quantization"],
           "accessors":[{"bufferView":0,"componentType":5122,"count":3,"type":"VEC3"},
                        {"bufferView":0,"byteOffset":6,"componentType":5121,"normalized":true,"count":3,"type":"VEC2"}],
           "bufferViews":[{"buffer":0,"byteLength":24,"byteStride":8}],
           "meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1}}]}],
           "nodes":[{"mesh":0,"scale":[0.5,0.5,0.5]}],"scenes":[{"nodes":[0]}],"scene":0)",
           Bytes<std::int16_t>({-2, 0, 0}) + std::string("\xff\x00", 2) + Bytes<std::int16_t>({4, 0, 0}) +
               std::string("\x00\xff", 2) + Bytes<std::int16_t>({0, 6, 0}) + std::string("\x00\x00", 2)),
       [](const SceneContainer& s, const std::string&) {
         const auto& v = s.Geometries()[0].Vertices;
         EXPECT_EQ(v[0].GetPosition().x, -2.0f);
         EXPECT_EQ(v[2].GetPosition().y, 6.0f);
         EXPECT_EQ(v[0].GetUV(0).x, 1.0f);
         EXPECT_EQ(v[1].GetUV(0).y, 0.0f);  // V flipped: 1 - 1
         D3DXVECTOR3 lo, hi;
         s.GetBoundingBox(lo, hi);
         EXPECT_EQ(lo.x, -1.0f);
         EXPECT_EQ(hi.y, 3.0f);
       }},
      {"strips and fans as triangles, a line loop closed",
       Doc(kTriangleView + R"(,"accessors":[)" + kPositions + R"(],"meshes":[{"primitives":[
           {"attributes":{"POSITION":0},"mode":5},{"attributes":{"POSITION":0},"mode":6},{"attributes":{"POSITION":0},"mode":2}]}],
           "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}],"scene":0)", kTriangle),
       [](const SceneContainer& s, const std::string&) {
         ASSERT_EQ(s.Geometries().size(), 3u);
         EXPECT_EQ(s.Geometries()[0].Indices, (std::vector<std::uint32_t>{0, 1, 2}));
         EXPECT_EQ(s.Geometries()[2].GetPrimitiveSize(), 2);
         EXPECT_EQ(s.Geometries()[2].Indices, (std::vector<std::uint32_t>{0, 1, 1, 2, 2, 0}));
       }},
      {"image extensions, a texture transform naming its own UV set, a second set without a first",
       Doc(kTriangleView + R"(,"accessors":[)" + kPositions + R"(,{"bufferView":0,"componentType":5126,"count":3,"type":"VEC2"}],
           "extensionsUsed":["EXT_texture_webp","KHR_texture_basisu","KHR_texture_transform","KHR_materials_emissive_strength"],
           "images":[{"uri":"a%20b.webp"},{"uri":"c.ktx2"}],
           "textures":[{"extensions":{"EXT_texture_webp":{"source":0}}},{"extensions":{"KHR_texture_basisu":{"source":1}}}],
           "materials":[{"name":"m","pbrMetallicRoughness":{"baseColorTexture":{"index":0}},
             "emissiveTexture":{"index":1,"extensions":{"KHR_texture_transform":{"texCoord":1,"scale":[2,2]}}},
             "extensions":{"KHR_materials_emissive_strength":{"emissiveStrength":4}}}],
           "meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_1":1},"material":0}]}],
           "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}],"scene":0)", kTriangle),
       [](const SceneContainer& s, const std::string& w) {
         EXPECT_EQ(s.TexturePaths(), (std::vector<std::string>{"a b.webp", "c.ktx2"}));
         ASSERT_EQ(s.Surfaces()[0].Textures.size(), 2u);
         EXPECT_EQ(s.Surfaces()[0].Textures[0].GetTextureType(), "diffuse");
         EXPECT_EQ(s.Surfaces()[0].Textures[1].GetTextureType(), "emissive");
         EXPECT_EQ(s.Surfaces()[0].Textures[1].GetUVSet(), 1);
         EXPECT_EQ(s.Surfaces()[0].Textures[1].GetTextureMatrix().m[0][0], 2.0f);
         EXPECT_EQ(s.Geometries()[0].Vertices[1].GetUVSetCount(), 2u);
         EXPECT_EQ(s.Geometries()[0].Vertices[0].GetUV(1).y, 1.0f);
         EXPECT_NE(w.find("has no TEXCOORD_0"), std::string::npos) << w;
       }},
      {"an optional extension it does not read is a warning",
       Doc(R"("extensionsUsed":["EXT_made_up"],"nodes":[{}],"scenes":[{"nodes":[0]}],"scene":0)"),
       [](const SceneContainer& s, const std::string& w) {
         EXPECT_EQ(s.Nodes().size(), 1u);
         EXPECT_NE(w.find("EXT_made_up"), std::string::npos) << w;
       }},
  };
  for (const Opened& test : cases) {
    SCOPED_TRACE(test.what);
    SceneContainer scene;
    std::string error;
    ASSERT_TRUE(ImportSceneFromMemory(test.gltf.data(), test.gltf.size(), "gltf", scene, &error)) << error;
    std::string warnings;
    for (const std::string& w : scene.Source().warnings) warnings += w + "\n";
    test.check(scene, warnings);
  }
}

// Files that break the format: refused, the message naming the place.
TEST(GltfReader, RefusesBrokenFilesNamingThePlace) {
  const std::string mesh = R"(,"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {Doc(R"("bufferViews":[{"buffer":0,"byteLength":48}],"accessors":[)" + kPositions + "]" + mesh, kTriangle),
       "glTF.bufferViews[0]: 48 bytes from offset 0 pass the end of buffers[0] (36 bytes)"},
      {Doc(kTriangleView + R"(,"accessors":[{"bufferView":0,"byteOffset":12,"componentType":5126,"count":3,"type":"VEC3"}])" + mesh,
           kTriangle),
       "glTF.accessors[0]: 3 elements of 12 bytes from offset 12 pass the end of bufferViews[0] (36 bytes)"},
      {Doc(R"("nodes":[{"children":[1]},{"children":[0]}],"scenes":[{"nodes":[]}])"), "is its own ancestor"},
      {Doc(R"("nodes":[{"children":[2]},{"children":[2]},{}],"scenes":[{"nodes":[0,1]}])"),
       "glTF.nodes[1].children[0]: nodes[2] already is a child of nodes[0]"},
      {Doc(R"("extensionsRequired":["EXT_made_up"])"), "requires the extension EXT_made_up"},
      {Doc(R"("asset":{"version":"1.0"})").replace(0, std::string(R"({"asset":{"version":"2.0"},)").size(), "{"),
       "version is '1.0'; only glTF 2.0 is read"},
      {Doc(R"("extensionsUsed":["EXT_meshopt_compression"],"bufferViews":[{"buffer":0,"byteLength":36,"extensions":
           {"EXT_meshopt_compression":{"buffer":0,"byteLength":8,"byteStride":12,"count":3,"mode":"ATTRIBUTES"}}}],
           "accessors":[)" + kPositions + "]" + mesh, kTriangle),
       "glTF.bufferViews[0].extensions.EXT_meshopt_compression: the compressed data cannot be decoded"},
      {Doc(R"("extensionsUsed":["KHR_draco_mesh_compression"],"bufferViews":[{"buffer":0,"byteLength":36}],
           "accessors":[{"componentType":5126,"count":3,"type":"VEC3"}],"meshes":[{"primitives":[{"attributes":{"POSITION":0},
           "extensions":{"KHR_draco_mesh_compression":{"bufferView":0,"attributes":{"POSITION":0}}}}]}],
           "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])", kTriangle),
       "KHR_draco_mesh_compression: the Draco data cannot be decoded"},
  };
  for (const auto& [gltf, message] : cases) {
    SCOPED_TRACE(message);
    SceneContainer scene;
    std::string error;
    EXPECT_FALSE(ImportSceneFromMemory(gltf.data(), gltf.size(), "gltf", scene, &error));
    EXPECT_NE(error.find(message), std::string::npos) << error;
    EXPECT_TRUE(scene.Nodes().empty());
  }
}

// An index past the vertices is refused; the Assimp route refuses what it
// would misread, rather than answer it.
TEST(GltfReader, RefusesIndicesPastTheVerticesAndTheAssimpRouteRefusesQuantization) {
  const std::string indexed =
      Doc(R"("bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":12}],"accessors":[)" +
              kPositions + R"(,{"bufferView":1,"componentType":5125,"count":3,"type":"SCALAR"}],
          "meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])",
          kTriangle + Bytes<std::uint32_t>({0, 1, 5}));
  SceneContainer scene;
  std::string error;
  EXPECT_FALSE(ImportSceneFromMemory(indexed.data(), indexed.size(), "gltf", scene, &error));
  EXPECT_NE(error.find("meshes[0].primitives[0]: index 5 at position 2 is past its 3 vertices"), std::string::npos) << error;

  const std::string quantized = Doc(R"("extensionsUsed":["KHR_mesh_quantization"],"nodes":[{}],"scenes":[{"nodes":[0]}])");
  EXPECT_FALSE(ImportSceneFromMemory(quantized.data(), quantized.size(), "gltf", scene, &error, GltfReader::Assimp));
  EXPECT_NE(error.find("uses KHR_mesh_quantization, which the Assimp reader does not decode"), std::string::npos) << error;
  EXPECT_TRUE(ImportSceneFromMemory(quantized.data(), quantized.size(), "gltf", scene, &error)) << error;
}

}  // namespace
}  // namespace Importing

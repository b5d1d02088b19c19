// Imports every real sample scene of the shared folder and compares the
// container with what Assimp itself reports under the same settings.
#include <gtest/gtest.h>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "scene/import/assimp/assimp_reading.h"
#include "scene/import/scene_importer.h"
#include "scene/import/vertex_welding.h"
#include "tests/sample_files.h"

namespace Importing {
namespace {

namespace fs = std::filesystem;

const fs::path kScenes = SCI_SAMPLE_SCENES_DIR;

// Folders named "fails-..." hold files the manifest expects to be rejected.
bool ExpectedToFail(const std::string& path) { return path.find("/fails-") != std::string::npos; }

std::size_t CountNodes(const aiNode* node) {
  if (!node) return 0;
  std::size_t count = 1;
  for (unsigned i = 0; i < node->mNumChildren; ++i) count += CountNodes(node->mChildren[i]);
  return count;
}

// GTEST_SKIP() leaves only the function it is written in, so it stays in
// each test body.
#define SKIP_WITHOUT_SAMPLES() \
  if (!fs::is_directory(kScenes)) GTEST_SKIP() << "Sample scenes not found at " << kScenes.string()

class SampleScene : public ::testing::TestWithParam<std::string> {};

TEST_P(SampleScene, MatchesAssimpWithValidIds) {
  SKIP_WITHOUT_SAMPLES();
  const std::string path = GetParam();
  // The reference is Assimp's own read with validation; for a file that
  // validation refuses, its read without it (our import must then say so).
  Assimp::Importer reference, unvalidated;
  Import::ConfigureImporter(reference);
  Import::ConfigureImporter(unvalidated);
  const aiScene* validated = reference.ReadFile(path, Import::PostProcessFlags(true));
  const std::string validationError = reference.GetErrorString();
  const aiScene* referenceScene =
      validated ? validated : unvalidated.ReadFile(path, Import::PostProcessFlags(false));

  // The Assimp route; glTF's own reader is held to it in gltf_reader_test.
  SceneContainer scene;
  std::string error;
  ImportOptions assimpRoute;
  assimpRoute.gltfReader = GltfReader::Assimp;
  const bool imported = ImportScene(path, scene, &error, assimpRoute);
  if (ExpectedToFail(path)) {
    EXPECT_FALSE(imported);
    EXPECT_EQ(validated, nullptr);
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(validationError), std::string::npos) << error;
    EXPECT_TRUE(scene.Nodes().empty() && scene.Geometries().empty());
    return;
  }
  ASSERT_TRUE(imported) << error;
  ASSERT_NE(referenceScene, nullptr) << unvalidated.GetErrorString();
  const aiScene& ai = *referenceScene;
  if (!validated && validationError.find("mNumMeshes is 0") == std::string::npos) {
    ASSERT_FALSE(scene.Source().warnings.empty());
    EXPECT_NE(scene.Source().warnings[0].find(validationError), std::string::npos) << scene.Source().warnings[0];
  }

  EXPECT_EQ(scene.Nodes().size(), CountNodes(ai.mRootNode));
  EXPECT_EQ(scene.Geometries().size(), ai.mNumMeshes);
  EXPECT_EQ(scene.Surfaces().size(), ai.mNumMeshes);
  EXPECT_EQ(scene.Materials().size(), ai.mNumMaterials);
  EXPECT_EQ(scene.Cameras().size(), ai.mNumCameras);
  EXPECT_EQ(scene.Lights().size(), ai.mNumLights);
  std::size_t channels = 0;
  for (unsigned a = 0; a < ai.mNumAnimations; ++a) channels += ai.mAnimations[a]->mNumChannels;
  EXPECT_EQ(scene.Animations().size(), channels);
  EXPECT_EQ(scene.Source().embeddedImages.size(), ai.mNumTextures);

  // Indexed formats keep the file's vertices; the others are welded as
  // Assimp's own joining of identical vertices would weld them.
  const std::string ext = Import::LowerExtension(path);
  const bool indexedFormat = ext == "gltf" || ext == "glb" || ext == "ply";
  std::vector<bool> keepsFileVertices;
  for (unsigned m = 0; m < ai.mNumMeshes; ++m) {
    const Geometry& geometry = scene.Geometries()[m];
    keepsFileVertices.push_back(indexedFormat && !Import::HasOneVertexPerCorner(*ai.mMeshes[m]));
    if (keepsFileVertices.back()) {
      EXPECT_EQ(geometry.Vertices.size(), ai.mMeshes[m]->mNumVertices) << "mesh " << m;
    }
    EXPECT_EQ(geometry.Indices.size() % static_cast<std::size_t>(geometry.GetPrimitiveSize()), 0u) << "mesh " << m;
    EXPECT_EQ(scene.Surfaces()[m].GetMaterialID(), static_cast<int>(ai.mMeshes[m]->mMaterialIndex));
  }
  Assimp::Importer& holder = validated ? reference : unvalidated;
  const aiScene* joined = holder.ApplyPostProcessing(aiProcess_JoinIdenticalVertices);
  ASSERT_NE(joined, nullptr);
  for (unsigned m = 0; m < joined->mNumMeshes; ++m)
    if (!keepsFileVertices[m]) {
      EXPECT_EQ(scene.Geometries()[m].Vertices.size(), joined->mMeshes[m]->mNumVertices) << "mesh " << m;
    }

  // The nodes are a tree in pre-order. (That every stored ID names a record
  // the snapshot round trip checks: a broken reference is not saved.)
  const auto nodeCount = scene.Nodes().size();
  std::vector<int> parents(nodeCount, -1);
  for (std::size_t id = 0; id < nodeCount; ++id)
    for (int child : scene.Nodes()[id].ChildIDs) {
      ASSERT_GT(child, static_cast<int>(id));  // children after parents
      ASSERT_LT(child, static_cast<int>(nodeCount));
      EXPECT_EQ(parents[child], -1) << "node " << child << " has two parents";
      parents[child] = static_cast<int>(id);
    }
  for (std::size_t id = 1; id < nodeCount; ++id) EXPECT_NE(parents[id], -1) << "node " << id << " unreachable";
  for (const Animation& keys : scene.Animations())
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end(),
                               [](const Key& a, const Key& b) { return a.GetTime() < b.GetTime(); }));
}

std::vector<std::string> SampleParams() {
  std::vector<std::string> files = Testing::SceneFiles({kScenes}, Testing::kModelExtensions);
  if (files.empty()) files.push_back("");  // one case that reports the skip
  return files;
}

INSTANTIATE_TEST_SUITE_P(Shared, SampleScene, ::testing::ValuesIn(SampleParams()), Testing::FileTestName);

// Mapped values of particular samples.
class SampleValues : public ::testing::Test {
 protected:
  void Import(const std::string& relative) {
    std::string error;
    ASSERT_TRUE(ImportScene((kScenes / relative).string(), scene_, &error)) << error;
  }
  int Find(const std::string& name) const { return scene_.FindNodeID(name); }
  SceneContainer scene_;
};

std::size_t PointGeometries(const SceneContainer& scene) {
  return std::count_if(scene.Geometries().begin(), scene.Geometries().end(),
                       [](const Geometry& g) { return g.GetPrimitiveSize() == 1; });
}

// Counts known from the files themselves: a change to the reader settings
// would change Assimp's own report above as well.
TEST(SampleCounts, OneKindPerScene) {
  SKIP_WITHOUT_SAMPLES();
  using Count = std::size_t (*)(const SceneContainer&);
  const std::tuple<const char*, Count, std::size_t> cases[] = {
      {"obj-spider/spider.obj", [](const SceneContainer& s) { return s.Surfaces().size(); }, 19},
      {"stl-binary/Spider_binary.stl", [](const SceneContainer& s) { return s.Geometries().size(); }, 1},
      {"dae-two-uvsets/cube_with_2UVs.DAE", [](const SceneContainer& s) { return s.Materials().size(); }, 2},
      {"3ds-textured/test1.3ds", [](const SceneContainer& s) { return s.TexturePaths().size(); }, 3},
      {"gltf-all-animations/03_all_animations.gltf", [](const SceneContainer& s) { return s.Animations().size(); }, 3},
      {"dae-cameras/cameras.dae", [](const SceneContainer& s) { return s.Cameras().size(); }, 3},
      // Geometries of points: a point cloud, which Assimp's validation refuses
      // (the warning and the vertex count are held above).
      {"ply-point-cloud/pond.0.ply", PointGeometries, 1},
  };
  for (const auto& [file, count, expected] : cases) {
    SceneContainer scene;
    std::string error;
    ASSERT_TRUE(ImportScene((kScenes / file).string(), scene, &error)) << error;
    EXPECT_EQ(count(scene), expected) << file;
  }
}

TEST_F(SampleValues, FbxUserPropertiesWithoutBookkeeping) {
  SKIP_WITHOUT_SAMPLES();
  Import("fbx-user-props/maya_user_props_7700_binary.fbx");
  const int node = Find("pCube1");
  ASSERT_GE(node, 0);
  const std::string note = scene_.Nodes()[node].GetNote();
  EXPECT_NE(note.find("User_String=Hello\n"), std::string::npos) << note;
  EXPECT_NE(note.find("User_Bool="), std::string::npos) << note;
  EXPECT_EQ(note.find("IsNull"), std::string::npos) << note;
  EXPECT_EQ(note.find("InheritType"), std::string::npos) << note;
  EXPECT_EQ(note.find("UserProperties"), std::string::npos) << note;
}

TEST_F(SampleValues, ColladaLightTypes) {
  SKIP_WITHOUT_SAMPLES();
  Import("dae-lights/lights.dae");
  std::vector<Light::LightType> types;
  for (const Light& light : scene_.Lights()) types.push_back(light.GetType());
  EXPECT_EQ(types, (std::vector<Light::LightType>{Light::LIGHT_POINT, Light::LIGHT_DIRECTIONAL, Light::LIGHT_SPOT,
                                                  Light::LIGHT_AMBIENT, Light::LIGHT_POINT}));
  for (const Light& light : scene_.Lights()) {
    if (light.GetType() == Light::LIGHT_SPOT) continue;
    EXPECT_EQ(light.GetTheta(), 0.0f) << light.GetName();
    EXPECT_EQ(light.GetPhi(), 0.0f) << light.GetName();
  }
}

}  // namespace
}  // namespace Importing

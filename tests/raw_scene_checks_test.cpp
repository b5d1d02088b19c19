// The checks a scene gets when Assimp's validation refused it and the read
// goes on without it: each structural fault refuses it, named; each value
// fault is named and kept. Scenes are built in memory, one fault at a time.

#include <assimp/scene.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "scene/import/assimp/raw_scene_checks.h"
#include "scene/import/scene_importer.h"

namespace Importing::Import {
namespace {

// A small sound scene: a triangle with a material on a child node, a camera,
// a spot light, an animation of the child.
std::unique_ptr<aiScene> SoundScene() {
  auto scene = std::make_unique<aiScene>();
  scene->mNumMaterials = 1;
  scene->mMaterials = new aiMaterial*[1]{new aiMaterial};
  auto* mesh = new aiMesh;
  mesh->mNumVertices = 3;
  mesh->mVertices = new aiVector3D[3]{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  mesh->mNumFaces = 1;
  mesh->mFaces = new aiFace[1];
  mesh->mFaces[0].mNumIndices = 3;
  mesh->mFaces[0].mIndices = new unsigned[3]{0, 1, 2};
  scene->mNumMeshes = 1;
  scene->mMeshes = new aiMesh*[1]{mesh};
  auto* child = new aiNode("Child");
  child->mNumMeshes = 1;
  child->mMeshes = new unsigned[1]{0};
  scene->mRootNode = new aiNode("Root");
  scene->mRootNode->addChildren(1, &child);
  auto* camera = new aiCamera;
  camera->mClipPlaneNear = 0.1f;
  camera->mClipPlaneFar = 100;
  scene->mNumCameras = 1;
  scene->mCameras = new aiCamera*[1]{camera};
  auto* light = new aiLight;
  light->mType = aiLightSource_SPOT;
  light->mAngleInnerCone = 0.3f;
  light->mAngleOuterCone = 0.6f;
  scene->mNumLights = 1;
  scene->mLights = new aiLight*[1]{light};
  auto* channel = new aiNodeAnim;
  channel->mNodeName = aiString("Child");
  channel->mNumPositionKeys = 1;
  channel->mPositionKeys = new aiVectorKey[1];
  auto* animation = new aiAnimation;
  animation->mNumChannels = 1;
  animation->mChannels = new aiNodeAnim*[1]{channel};
  scene->mNumAnimations = 1;
  scene->mAnimations = new aiAnimation*[1]{animation};
  return scene;
}

aiMesh& Mesh(aiScene& scene) { return *scene.mMeshes[0]; }
aiNode& Child(aiScene& scene) { return *scene.mRootNode->mChildren[0]; }

struct Case {
  const char* what;
  std::function<void(aiScene&)> damage;
  const char* named;  // a part of the one fault's text
};

TEST(RawSceneChecks, EachStructuralFaultIsNamedWithItsPlace) {
  ASSERT_TRUE(StructuralFaults(*SoundScene()).empty());
  const std::vector<Case> cases = {
      {"null key array",
       [](aiScene& s) {
         aiNodeAnim& channel = *s.mAnimations[0]->mChannels[0];
         delete[] channel.mPositionKeys;
         channel.mPositionKeys = nullptr;
         channel.mNumPositionKeys = 2;
       },
       "animation 0, channel 0: 2 position keys but no array"},
      {"null face array",
       [](aiScene& s) {
         delete[] Mesh(s).mFaces;
         Mesh(s).mFaces = nullptr;
       },
       "mesh 0: 1 faces but no array"},
      {"face past the vertices", [](aiScene& s) { Mesh(s).mFaces[0].mIndices[2] = 7; },
       "mesh 0: face 0 names vertex 7 of 3"},
      {"name past its buffer", [](aiScene& s) { Mesh(s).mName.length = 2000; }, "a name of 2000 bytes"},
      {"node names a missing mesh", [](aiScene& s) { Child(s).mMeshes[0] = 5; }, "node 'Child' names mesh 5 of 1"},
      {"mesh names a missing material", [](aiScene& s) { Mesh(s).mMaterialIndex = 3; },
       "mesh 0 uses material 3 of 1"},
      {"missing camera record",
       [](aiScene& s) {
         delete s.mCameras[0];
         s.mCameras[0] = nullptr;
       },
       "cameras 0 is missing"},
      {"no root", [](aiScene& s) {
         delete s.mRootNode;
         s.mRootNode = nullptr;
       },
       "no root node"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    auto scene = SoundScene();
    c.damage(*scene);
    const auto faults = StructuralFaults(*scene);
    ASSERT_EQ(faults.size(), 1u) << (faults.empty() ? "" : faults[0]);
    EXPECT_NE(faults[0].find(c.named), std::string::npos) << faults[0];
  }
}

TEST(RawSceneChecks, ATreeWithAJoinOrCycleEnds) {
  auto scene = SoundScene();
  aiNode* child = &Child(*scene);
  child->mChildren = new aiNode*[1]{scene->mRootNode};  // back to the root
  child->mNumChildren = 1;
  const auto faults = StructuralFaults(*scene);
  child->mNumChildren = 0;  // the scene's destructor must not walk the cycle
  delete[] child->mChildren;
  child->mChildren = nullptr;
  ASSERT_EQ(faults.size(), 1u);
  EXPECT_NE(faults[0].find("node 'Child': child 0 appears twice"), std::string::npos) << faults[0];
}

TEST(RawSceneChecks, NamesAtMostTenFaults) {
  auto scene = SoundScene();
  aiMesh& mesh = Mesh(*scene);
  delete[] mesh.mFaces;
  mesh.mNumFaces = 30;
  mesh.mFaces = new aiFace[30];
  for (unsigned f = 0; f < 30; ++f) {
    mesh.mFaces[f].mNumIndices = 1;
    mesh.mFaces[f].mIndices = new unsigned[1]{100 + f};
  }
  const auto faults = StructuralFaults(*scene);
  ASSERT_EQ(faults.size(), kMaxNamedFaults);
  EXPECT_NE(faults.back().find("face 9 names vertex 109"), std::string::npos) << faults.back();
}

TEST(RawSceneChecks, EveryValueFaultIsNamed) {
  ASSERT_TRUE(ValueFaults(*SoundScene()).empty());
  auto scene = SoundScene();
  scene->mCameras[0]->mClipPlaneNear = 10;
  scene->mCameras[0]->mClipPlaneFar = 1;
  scene->mLights[0]->mAngleInnerCone = 0.7f;
  Mesh(*scene).mVertices[1].y = std::nanf("");
  const auto faults = ValueFaults(*scene);
  ASSERT_EQ(faults.size(), 3u);
  EXPECT_NE(faults[0].find("camera 0 '': near plane 10 is not before far plane 1"), std::string::npos) << faults[0];
  EXPECT_NE(faults[1].find("light 0 '': inner cone 0.7 is wider than outer cone 0.6"), std::string::npos) << faults[1];
  EXPECT_NE(faults[2].find("mesh 0 '': vertex 1"), std::string::npos) << faults[2];
}

// Through a real file: validation names only the first of two faults; the
// import answers both values as stored and warns of each.
TEST(RawSceneChecks, AFileWithTwoValueFaultsIsAnsweredAsStored) {
  const std::string path = testing::TempDir() + "value_faults.gltf";
  std::ofstream(path) << R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,1]}],
    "nodes":[{"name":"Eye","camera":0},{"name":"Spot","extensions":{"KHR_lights_punctual":{"light":0}}}],
    "cameras":[{"type":"perspective","perspective":{"yfov":0.8,"aspectRatio":1.5,"znear":10,"zfar":1}}],
    "extensionsUsed":["KHR_lights_punctual"],
    "extensions":{"KHR_lights_punctual":{"lights":[{"type":"spot","spot":{"innerConeAngle":0.7,"outerConeAngle":0.3}}]}}})";
  SceneContainer scene;
  std::string error;
  ASSERT_TRUE(ImportScene(path, scene, &error)) << error;
  std::remove(path.c_str());
  ASSERT_EQ(scene.Cameras().size(), 1u);
  EXPECT_FLOAT_EQ(scene.Cameras()[0].GetNearZ(), 10.0f);
  EXPECT_FLOAT_EQ(scene.Cameras()[0].GetFarZ(), 1.0f);
  std::string warnings;
  for (const std::string& warning : scene.Source().warnings) warnings += warning + "\n";
  EXPECT_NE(warnings.find("camera 0 'Eye': near plane 10 is not before far plane 1"), std::string::npos) << warnings;
  EXPECT_NE(warnings.find("light 0 'Spot': inner cone"), std::string::npos) << warnings;
}

}  // namespace
}  // namespace Importing::Import

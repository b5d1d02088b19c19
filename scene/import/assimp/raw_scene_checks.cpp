#include "scene/import/assimp/raw_scene_checks.h"

#include <assimp/scene.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unordered_set>

namespace Importing::Import {
namespace {

// Collects fault texts up to kMaxNamedFaults; Full() ends a scan early.
class Faults {
 public:
  bool Full() const { return list_.size() >= kMaxNamedFaults; }
  void Add(std::string text) {
    if (!Full()) list_.push_back(std::move(text));
  }
  std::vector<std::string> Take() { return std::move(list_); }

 private:
  std::vector<std::string> list_;
};

std::string Quoted(const aiString& name) {
  return name.length < MAXLEN ? "'" + std::string(name.C_Str()) + "'" : std::string("(name too long)");
}

// A count with its array missing: "mesh 2: 8 faces but no face array".
template <typename T>
bool MissingArray(Faults& faults, const std::string& where, unsigned count, const T* array, const char* what) {
  if (count == 0 || array != nullptr) return false;
  faults.Add(where + ": " + std::to_string(count) + " " + what + " but no array of them");
  return true;
}

void CheckName(Faults& faults, const std::string& where, const aiString& name) {
  if (name.length >= MAXLEN)
    faults.Add(where + ": a name of " + std::to_string(name.length) + " bytes in a buffer of " +
               std::to_string(MAXLEN));
}

void CheckMesh(Faults& faults, const aiScene& scene, unsigned m) {
  const aiMesh* mesh = scene.mMeshes[m];
  const std::string where = "mesh " + std::to_string(m);
  if (mesh == nullptr) return faults.Add(where + " is missing");
  CheckName(faults, where, mesh->mName);
  MissingArray(faults, where, mesh->mNumVertices, mesh->mVertices, "vertices");
  if (mesh->mMaterialIndex >= scene.mNumMaterials)
    faults.Add(where + " uses material " + std::to_string(mesh->mMaterialIndex) + " of " +
               std::to_string(scene.mNumMaterials));
  if (!MissingArray(faults, where, mesh->mNumFaces, mesh->mFaces, "faces"))
    for (unsigned f = 0; f < mesh->mNumFaces && !faults.Full(); ++f) {
      const aiFace& face = mesh->mFaces[f];
      if (face.mNumIndices == 0 || face.mIndices == nullptr) {
        faults.Add(where + ": face " + std::to_string(f) + " is empty");
        continue;
      }
      for (unsigned k = 0; k < face.mNumIndices; ++k)
        if (face.mIndices[k] >= mesh->mNumVertices) {
          faults.Add(where + ": face " + std::to_string(f) + " names vertex " + std::to_string(face.mIndices[k]) +
                     " of " + std::to_string(mesh->mNumVertices));
          break;
        }
    }
  if (!MissingArray(faults, where, mesh->mNumBones, mesh->mBones, "bones"))
    for (unsigned b = 0; b < mesh->mNumBones && !faults.Full(); ++b) {
      const aiBone* bone = mesh->mBones[b];
      const std::string boneWhere = where + ": bone " + std::to_string(b);
      if (bone == nullptr) {
        faults.Add(boneWhere + " is missing");
        continue;
      }
      if (MissingArray(faults, boneWhere, bone->mNumWeights, bone->mWeights, "weights")) continue;
      for (unsigned w = 0; w < bone->mNumWeights; ++w)
        if (bone->mWeights[w].mVertexId >= mesh->mNumVertices) {
          faults.Add(boneWhere + " weighs vertex " + std::to_string(bone->mWeights[w].mVertexId) + " of " +
                     std::to_string(mesh->mNumVertices));
          break;
        }
    }
  if (!MissingArray(faults, where, mesh->mNumAnimMeshes, mesh->mAnimMeshes, "morph targets"))
    for (unsigned a = 0; a < mesh->mNumAnimMeshes; ++a) {
      const aiAnimMesh* target = mesh->mAnimMeshes[a];
      if (target == nullptr || target->mNumVertices != mesh->mNumVertices)
        faults.Add(where + ": morph target " + std::to_string(a) + " does not match the mesh's vertices");
    }
}

// Walks the node tree without recursion; a node met twice is a fault and
// is not walked again, so a cycle ends the walk.
void CheckNodes(Faults& faults, const aiScene& scene) {
  if (scene.mRootNode == nullptr) return faults.Add("the scene has no root node");
  std::vector<const aiNode*> pending{scene.mRootNode};
  std::unordered_set<const aiNode*> seen{scene.mRootNode};
  while (!pending.empty() && !faults.Full()) {
    const aiNode* node = pending.back();
    pending.pop_back();
    const std::string where = "node " + Quoted(node->mName);
    CheckName(faults, where, node->mName);
    if (!MissingArray(faults, where, node->mNumMeshes, node->mMeshes, "meshes"))
      for (unsigned i = 0; i < node->mNumMeshes; ++i)
        if (node->mMeshes[i] >= scene.mNumMeshes)
          faults.Add(where + " names mesh " + std::to_string(node->mMeshes[i]) + " of " +
                     std::to_string(scene.mNumMeshes));
    if (MissingArray(faults, where, node->mNumChildren, node->mChildren, "children")) continue;
    for (unsigned c = 0; c < node->mNumChildren; ++c) {
      const aiNode* child = node->mChildren[c];
      if (child == nullptr) {
        faults.Add(where + ": child " + std::to_string(c) + " is missing");
      } else if (seen.insert(child).second) {
        pending.push_back(child);
      } else {
        faults.Add(where + ": child " + std::to_string(c) + " appears twice in the tree");
      }
    }
  }
}

void CheckAnimations(Faults& faults, const aiScene& scene) {
  for (unsigned a = 0; a < scene.mNumAnimations && !faults.Full(); ++a) {
    const aiAnimation* animation = scene.mAnimations[a];
    const std::string where = "animation " + std::to_string(a);
    if (animation == nullptr) {
      faults.Add(where + " is missing");
      continue;
    }
    CheckName(faults, where, animation->mName);
    if (MissingArray(faults, where, animation->mNumChannels, animation->mChannels, "channels")) continue;
    for (unsigned c = 0; c < animation->mNumChannels && !faults.Full(); ++c) {
      const aiNodeAnim* channel = animation->mChannels[c];
      const std::string channelWhere = where + ", channel " + std::to_string(c);
      if (channel == nullptr) {
        faults.Add(channelWhere + " is missing");
        continue;
      }
      CheckName(faults, channelWhere, channel->mNodeName);
      MissingArray(faults, channelWhere, channel->mNumPositionKeys, channel->mPositionKeys, "position keys");
      MissingArray(faults, channelWhere, channel->mNumRotationKeys, channel->mRotationKeys, "rotation keys");
      MissingArray(faults, channelWhere, channel->mNumScalingKeys, channel->mScalingKeys, "scaling keys");
    }
  }
}

// Each array of records the scene lists, present where its count says.
template <typename T>
void CheckRecords(Faults& faults, unsigned count, T* const* records, const char* what) {
  if (MissingArray(faults, std::string("the scene"), count, records, what)) return;
  for (unsigned i = 0; i < count; ++i)
    if (records[i] == nullptr) faults.Add(std::string(what) + " " + std::to_string(i) + " is missing");
}

std::string Number(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  return text;
}

bool Finite(const aiVector3D& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

std::vector<std::string> StructuralFaults(const aiScene& scene) {
  Faults faults;
  CheckRecords(faults, scene.mNumMaterials, scene.mMaterials, "materials");
  CheckRecords(faults, scene.mNumTextures, scene.mTextures, "embedded textures");
  CheckRecords(faults, scene.mNumCameras, scene.mCameras, "cameras");
  CheckRecords(faults, scene.mNumLights, scene.mLights, "lights");
  if (!MissingArray(faults, "the scene", scene.mNumMeshes, scene.mMeshes, "meshes"))
    for (unsigned m = 0; m < scene.mNumMeshes && !faults.Full(); ++m) CheckMesh(faults, scene, m);
  for (unsigned i = 0; i < scene.mNumCameras && scene.mCameras && scene.mCameras[i]; ++i)
    CheckName(faults, "camera " + std::to_string(i), scene.mCameras[i]->mName);
  for (unsigned i = 0; i < scene.mNumLights && scene.mLights && scene.mLights[i]; ++i)
    CheckName(faults, "light " + std::to_string(i), scene.mLights[i]->mName);
  if (!MissingArray(faults, "the scene", scene.mNumAnimations, scene.mAnimations, "animations"))
    CheckAnimations(faults, scene);
  CheckNodes(faults, scene);
  return faults.Take();
}

std::vector<std::string> ValueFaults(const aiScene& scene) {
  Faults faults;
  for (unsigned i = 0; i < scene.mNumCameras; ++i) {
    const aiCamera& camera = *scene.mCameras[i];
    if (!(camera.mClipPlaneNear < camera.mClipPlaneFar))
      faults.Add("camera " + std::to_string(i) + " " + Quoted(camera.mName) + ": near plane " +
                 Number(camera.mClipPlaneNear) + " is not before far plane " +
                 Number(camera.mClipPlaneFar));
  }
  for (unsigned i = 0; i < scene.mNumLights; ++i) {
    const aiLight& light = *scene.mLights[i];
    if (light.mType == aiLightSource_SPOT && light.mAngleInnerCone > light.mAngleOuterCone)
      faults.Add("light " + std::to_string(i) + " " + Quoted(light.mName) + ": inner cone " +
                 Number(light.mAngleInnerCone) + " is wider than outer cone " +
                 Number(light.mAngleOuterCone));
  }
  for (unsigned m = 0; m < scene.mNumMeshes && !faults.Full(); ++m) {
    const aiMesh& mesh = *scene.mMeshes[m];
    for (unsigned v = 0; v < mesh.mNumVertices; ++v)
      if (!Finite(mesh.mVertices[v]) || (mesh.mNormals && !Finite(mesh.mNormals[v]))) {
        faults.Add("mesh " + std::to_string(m) + " " + Quoted(mesh.mName) + ": vertex " + std::to_string(v) +
                   " has a position or normal that is not a finite number");
        break;
      }
  }
  return faults.Take();
}

}  // namespace Importing::Import

#pragma once

#include <string>
#include <vector>

#include "scene/export.h"
#include "scene/scene_container.h"

namespace Importing {

// Builds a scene in code, keeping the cross-references right: a node added
// under a parent is appended to the parent's ChildIDs, a surface, camera or
// light added to a node to its list. The first node without a parent becomes
// the root. Each Add returns the new record's ID.
class SCENE_API SceneBuilder {
 public:
  int AddNode(std::string name, int parent = -1, const D3DXMATRIX& local = D3DXMATRIX());
  int AddGeometry(Geometry geometry);
  int AddMaterial(Material material);
  int AddTexture(std::string path);
  // node -1: a surface that no node lists.
  int AddSurface(int node, int geometry, int material, std::vector<SurfaceTexture> textures = {});
  int AddCamera(int node, Camera camera);
  int AddLight(int node, Light light);
  // node -1: an animation that drives no node.
  int AddAnimation(Animation keys, int node = -1);

  // The data built so far, to adjust by hand (tests of broken scenes do).
  SceneData& Data() { return data_; }
  // Fills `container` with a copy of the data built so far.
  void FillInto(SceneContainer& container) const;

 private:
  SceneData data_;
};

}  // namespace Importing

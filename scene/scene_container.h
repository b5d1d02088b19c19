#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/d3dx_math.h"
#include "host/orv_channel.h"
#include "scene/export.h"
#include "scene/records.h"

namespace Importing {

// One animation as the file groups it: its name, and the animation IDs
// (one key list for each node it moves) it became, `count` of them from
// `first` on.
struct AnimationGroup {
  std::string name;
  std::uint32_t first = 0;
  std::uint32_t count = 0;

  bool operator==(const AnimationGroup& other) const {
    return name == other.name && first == other.first && count == other.count;
  }
};

// What an import brings besides the records: nothing here is read by a query.
struct SceneSource {
  std::string path;                      // the file the scene came from
  std::string format;                    // e.g. "glTF 2.0", "FBX"
  std::vector<std::string> embeddedImages;  // "*N" references of images inside the file
  // For each embedded image, by N: the file name the scene gave it (may be
  // empty) and its bytes as stored (PNG, JPEG, ...; empty for raw texels).
  std::vector<std::string> embeddedImageNames;
  std::vector<std::string> embeddedImageBytes;
  std::vector<std::string> warnings;     // what the importer had to say
  std::vector<AnimationGroup> animationGroups;  // in the file's order
};

// Everything a scene consists of, in the order the container holds it.
struct SceneData {
  std::vector<Animation> animations;
  std::vector<Camera> cameras;
  std::vector<Light> lights;
  std::vector<Geometry> geometries;
  SceneSource source;
  std::vector<std::string> texturePaths;
  std::vector<Material> materials;
  std::vector<Node> nodes;
  std::vector<Surface> surfaces;
  int rootNodeID = -1;  // -1: no root
};

// What is derived from every node or vertex: each node's parent and global
// matrix, and the scene box.
struct SceneDerivedData {
  std::vector<int> parents;
  std::vector<D3DXMATRIX> globals;
  D3DXVECTOR3 boxMin, boxMax;
};

// A channel that holds one imported scene. Filled as a whole with Fill, which
// also rebuilds what is derived from the records (parents, global matrices,
// scene box), so that derived data never go stale; or in parts by a host that
// reads a snapshot (FillStored), which stored the derived data with the records.
class SCENE_API SceneContainer : public Orv_Channel {
 public:
  static constexpr ChildKind kKind = ChildKind::SceneContainer;

  SceneContainer();
  ~SceneContainer() override;

  // Replaces the whole scene.
  void Fill(SceneData data);
  // Replaces the scene with records and derived data taken as given: for a
  // host that fills, before each query, the parts that query reads, and has
  // checked them against each other. Parts not filled are empty.
  void FillStored(SceneData data, SceneDerivedData derived);
  // Moves the scene out, to add parts to it and FillStored it again.
  void Release(SceneData& data, SceneDerivedData& derived);
  // Swaps scenes with `other` (derived data included).
  void Swap(SceneContainer& other) noexcept;

  const std::vector<Animation>& Animations() const { return data_.animations; }
  const std::vector<Camera>& Cameras() const { return data_.cameras; }
  const std::vector<Light>& Lights() const { return data_.lights; }
  const std::vector<Geometry>& Geometries() const { return data_.geometries; }
  const SceneSource& Source() const { return data_.source; }
  const std::vector<std::string>& TexturePaths() const { return data_.texturePaths; }
  const std::vector<Material>& Materials() const { return data_.materials; }
  const std::vector<Node>& Nodes() const { return data_.nodes; }
  const std::vector<Surface>& Surfaces() const { return data_.surfaces; }
  const SceneDerivedData& Derived() const { return derived_; }

  // The root node's ID; -1 when the scene has no root.
  virtual int GetRootNodeID() const;
  // The lowest ID of a node named `name`; -1 when no node has that name.
  virtual int FindNodeID(const std::string& name) const;
  // The lowest ID of a node whose ChildIDs list `node`; -1 for the root, for
  // a node no node lists and for an ID outside the nodes.
  virtual int GetParentID(int node) const;
  // The node's local matrix composed with its ancestors' (local x parent's
  // global); the identity for an ID outside the nodes. A cycle in the
  // parent links ends the composition where it would repeat a node.
  virtual D3DXMATRIX GetGlobalTransform(int node) const;
  // The box around every vertex of every surface's geometry, placed by the
  // global matrix of each node that lists the surface; two zero corners when
  // there is no such vertex.
  virtual void GetBoundingBox(D3DXVECTOR3& min, D3DXVECTOR3& max) const;

 private:
  void RebuildDerivedData();

  SceneData data_;
  SceneDerivedData derived_;
  // Built on the first FindNodeID: a question that names no node never pays for it.
  mutable std::unordered_map<std::string, int> nodeIDsByName_;
  mutable bool nameIndexBuilt_ = false;
};

// Multiplies a by b, row-major (row-vector convention: a is applied first).
SCENE_API D3DXMATRIX Multiply(const D3DXMATRIX& a, const D3DXMATRIX& b);
// Applies `m` to the point `p` (row vector, w = 1).
SCENE_API D3DXVECTOR3 TransformPoint(const D3DXVECTOR3& p, const D3DXMATRIX& m);

}  // namespace Importing

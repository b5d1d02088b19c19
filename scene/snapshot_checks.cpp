#include <algorithm>
#include <limits>

#include "scene/snapshot_format.h"

namespace Importing::snapshot {

namespace {

// The record collections, whether held by a container or about to fill one.
struct SceneView {
  const std::vector<Animation>& animations;
  const std::vector<Camera>& cameras;
  const std::vector<Light>& lights;
  const std::vector<Geometry>& geometries;
  const std::vector<std::string>& texturePaths;
  const std::vector<Material>& materials;
  const std::vector<Node>& nodes;
  const std::vector<Surface>& surfaces;
  int root;
};

// Whether `id` selects one of `count` records, or is -1 where that means none.
bool Selects(std::int64_t id, std::size_t count, bool noneAllowed = false) {
  if (id < 0) return noneAllowed && id == -1;
  return static_cast<std::uint64_t>(id) < count;
}

template <class Id>
std::string FirstBadId(const std::vector<Id>& ids, std::size_t count, const std::string& owner, const char* what) {
  for (std::size_t k = 0; k < ids.size(); ++k)
    if (!Selects(ids[k], count))
      return owner + " lists " + what + " " + std::to_string(ids[k]) + " of " + std::to_string(count);
  return {};
}

std::string FirstBrokenReference(const SceneView& scene) {
  const std::size_t nodeCount = scene.nodes.size();
  if (!Selects(scene.root, nodeCount, true))
    return "root node " + std::to_string(scene.root) + " of " + std::to_string(nodeCount) + " nodes";
  for (std::size_t id = 0; id < nodeCount; ++id) {
    const Node& node = scene.nodes[id];
    const std::string owner = "node " + std::to_string(id);
    if (!Selects(node.GetAnimationID(), scene.animations.size(), true))
      return owner + " names animation " + std::to_string(node.GetAnimationID()) + " of " +
             std::to_string(scene.animations.size());
    for (std::string defect : {FirstBadId(node.ChildIDs, nodeCount, owner, "child node"),
                               FirstBadId(node.SurfaceIDs, scene.surfaces.size(), owner, "surface"),
                               FirstBadId(node.CameraIDs, scene.cameras.size(), owner, "camera"),
                               FirstBadId(node.LightIDs, scene.lights.size(), owner, "light")})
      if (!defect.empty()) return defect;
  }
  for (std::size_t id = 0; id < scene.surfaces.size(); ++id) {
    const Surface& surface = scene.surfaces[id];
    const std::string owner = "surface " + std::to_string(id);
    if (!Selects(surface.GetGeometryID(), scene.geometries.size()))
      return owner + " names geometry " + std::to_string(surface.GetGeometryID()) + " of " +
             std::to_string(scene.geometries.size());
    if (!Selects(surface.GetMaterialID(), scene.materials.size()))
      return owner + " names material " + std::to_string(surface.GetMaterialID()) + " of " +
             std::to_string(scene.materials.size());
    for (const SurfaceTexture& texture : surface.Textures)
      if (!Selects(texture.GetTextureID(), scene.texturePaths.size(), true))
        return owner + " names texture " + std::to_string(texture.GetTextureID()) + " of " +
               std::to_string(scene.texturePaths.size());
  }
  constexpr std::size_t kMaxCount = std::numeric_limits<std::uint32_t>::max();
  for (std::size_t id = 0; id < scene.geometries.size(); ++id) {
    const Geometry& geometry = scene.geometries[id];
    const std::string owner = "geometry " + std::to_string(id);
    if (geometry.Vertices.size() > kMaxCount || geometry.Indices.size() > kMaxCount)
      return owner + " has more than " + std::to_string(kMaxCount) + " vertices or indices";
    const auto highest = std::max_element(geometry.Indices.begin(), geometry.Indices.end());
    if (highest != geometry.Indices.end() && *highest >= geometry.Vertices.size())
      return owner + " indexes vertex " + std::to_string(*highest) + " of " + std::to_string(geometry.Vertices.size());
  }
  return {};
}

}  // namespace

std::string FirstBrokenReference(const SceneData& d) {
  return FirstBrokenReference(SceneView{d.animations, d.cameras, d.lights, d.geometries, d.texturePaths, d.materials,
                                        d.nodes, d.surfaces, d.rootNodeID});
}

std::string FirstBrokenReference(const SceneContainer& c) {
  return FirstBrokenReference(SceneView{c.Animations(), c.Cameras(), c.Lights(), c.Geometries(), c.TexturePaths(),
                                        c.Materials(), c.Nodes(), c.Surfaces(), c.GetRootNodeID()});
}

}  // namespace Importing::snapshot

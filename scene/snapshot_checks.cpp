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
std::string FirstBadId(const std::vector<Id>& ids, std::size_t count, std::size_t owner, const char* what) {
  for (const Id id : ids)
    if (!Selects(id, count))
      return "node " + std::to_string(owner) + " lists " + what + " " + std::to_string(id) + " of " +
             std::to_string(count);
  return {};
}

std::string Names(const char* owner, std::size_t id, const char* what, std::int64_t ref, std::size_t count) {
  return std::string(owner) + " " + std::to_string(id) + " names " + what + " " + std::to_string(ref) + " of " +
         std::to_string(count);
}

// Messages are built only for the defect found, so that a sound scene costs one pass and no allocation.
std::string FirstBrokenReference(const SceneView& scene) {
  const std::size_t nodeCount = scene.nodes.size();
  if (!Selects(scene.root, nodeCount, true))
    return "root node " + std::to_string(scene.root) + " of " + std::to_string(nodeCount) + " nodes";
  for (std::size_t id = 0; id < nodeCount; ++id) {
    const Node& node = scene.nodes[id];
    if (!Selects(node.GetAnimationID(), scene.animations.size(), true))
      return Names("node", id, "animation", node.GetAnimationID(), scene.animations.size());
    for (std::string defect : {FirstBadId(node.ChildIDs, nodeCount, id, "child node"),
                               FirstBadId(node.SurfaceIDs, scene.surfaces.size(), id, "surface"),
                               FirstBadId(node.CameraIDs, scene.cameras.size(), id, "camera"),
                               FirstBadId(node.LightIDs, scene.lights.size(), id, "light")})
      if (!defect.empty()) return defect;
  }
  for (std::size_t id = 0; id < scene.surfaces.size(); ++id) {
    const Surface& surface = scene.surfaces[id];
    if (!Selects(surface.GetGeometryID(), scene.geometries.size()))
      return Names("surface", id, "geometry", surface.GetGeometryID(), scene.geometries.size());
    if (!Selects(surface.GetMaterialID(), scene.materials.size()))
      return Names("surface", id, "material", surface.GetMaterialID(), scene.materials.size());
    for (const SurfaceTexture& texture : surface.Textures)
      if (!Selects(texture.GetTextureID(), scene.texturePaths.size(), true))
        return Names("surface", id, "texture", texture.GetTextureID(), scene.texturePaths.size());
  }
  constexpr std::size_t kMaxCount = std::numeric_limits<std::uint32_t>::max();
  for (std::size_t id = 0; id < scene.geometries.size(); ++id) {
    const Geometry& geometry = scene.geometries[id];
    if (geometry.Vertices.size() > kMaxCount || geometry.Indices.size() > kMaxCount)
      return "geometry " + std::to_string(id) + " has more than " + std::to_string(kMaxCount) + " vertices or indices";
    std::uint32_t highest = 0;
    for (const std::uint32_t index : geometry.Indices) highest = std::max(highest, index);
    if (!geometry.Indices.empty() && highest >= geometry.Vertices.size())
      return "geometry " + std::to_string(id) + " indexes vertex " + std::to_string(highest) + " of " +
             std::to_string(geometry.Vertices.size());
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

#include <algorithm>
#include <limits>

#include "scene/snapshot/snapshot_format.h"

namespace Importing::snapshot {

namespace {

// Whether `id` selects one of `count` records, or is -1 where that means none.
bool Selects(std::int64_t id, std::size_t count, bool noneAllowed = false) {
  if (id < 0) return noneAllowed && id == -1;
  return static_cast<std::uint64_t>(id) < count;
}

// Appends to `defect` the first ID of `ids` that is not one of `count`
// records; false when there is one. Text is made only for a fault, as a
// snapshot may hold millions of nodes.
template <class Id>
bool AllSelect(const std::vector<Id>& ids, std::size_t count, std::size_t owner, const char* what,
               std::string& defect) {
  for (const Id id : ids)
    if (!Selects(id, count)) {
      defect = "node " + std::to_string(owner) + " lists " + what + " " + std::to_string(id) + " of " +
               std::to_string(count);
      return false;
    }
  return true;
}

std::string Names(const char* owner, std::size_t id, const char* what, std::int64_t ref, std::size_t count) {
  return std::string(owner) + " " + std::to_string(id) + " names " + what + " " + std::to_string(ref) + " of " +
         std::to_string(count);
}

}  // namespace

// Messages are built only for the defect found, so that a sound scene costs one pass and no allocation.
std::string NodesDefect(const std::vector<Node>& nodes, int root, const Counts& counts) {
  const std::size_t nodeCount = nodes.size();
  if (!Selects(root, nodeCount, true))
    return "root node " + std::to_string(root) + " of " + std::to_string(nodeCount) + " nodes";
  for (std::size_t id = 0; id < nodeCount; ++id) {
    const Node& node = nodes[id];
    if (!Selects(node.GetAnimationID(), counts.animations, true))
      return Names("node", id, "animation", node.GetAnimationID(), counts.animations);
    std::string defect;
    if (!AllSelect(node.ChildIDs, nodeCount, id, "child node", defect) ||
        !AllSelect(node.SurfaceIDs, counts.surfaces, id, "surface", defect) ||
        !AllSelect(node.CameraIDs, counts.cameras, id, "camera", defect) ||
        !AllSelect(node.LightIDs, counts.lights, id, "light", defect))
      return defect;
  }
  return {};
}

std::string SurfacesDefect(const std::vector<Surface>& surfaces, const Counts& counts) {
  for (std::size_t id = 0; id < surfaces.size(); ++id) {
    const Surface& surface = surfaces[id];
    if (!Selects(surface.GetGeometryID(), counts.geometries))
      return Names("surface", id, "geometry", surface.GetGeometryID(), counts.geometries);
    if (!Selects(surface.GetMaterialID(), counts.materials))
      return Names("surface", id, "material", surface.GetMaterialID(), counts.materials);
    for (const SurfaceTexture& texture : surface.Textures)
      if (!Selects(texture.GetTextureID(), counts.texturePaths, true))
        return Names("surface", id, "texture", texture.GetTextureID(), counts.texturePaths);
  }
  return {};
}

std::string ParentsDefect(const std::vector<int>& parents) {
  for (std::size_t id = 0; id < parents.size(); ++id)
    if (!Selects(parents[id], parents.size(), true))
      return "node " + std::to_string(id) + " has parent " + std::to_string(parents[id]) + " of " +
             std::to_string(parents.size());
  return {};
}

std::string FirstBrokenReference(const SceneContainer& c) {
  constexpr std::size_t kMaxCount = std::numeric_limits<std::uint32_t>::max();
  for (const auto size : {c.Animations().size(), c.Cameras().size(), c.Lights().size(), c.TexturePaths().size(),
                          c.Materials().size(), c.Nodes().size(), c.Surfaces().size(), c.Geometries().size()})
    if (size > kMaxCount) return "a collection holds more than " + std::to_string(kMaxCount) + " records";
  const Counts counts = CountsOf(c);
  std::string defect = NodesDefect(c.Nodes(), c.GetRootNodeID(), counts);
  if (defect.empty()) defect = SurfacesDefect(c.Surfaces(), counts);
  for (std::size_t id = 0; id < c.Geometries().size() && defect.empty(); ++id) {
    const Geometry& geometry = c.Geometries()[id];
    if (geometry.Vertices.size() > kMaxCount || geometry.Indices.size() > kMaxCount)
      return "geometry " + std::to_string(id) + " has more than " + std::to_string(kMaxCount) + " vertices or indices";
    std::uint32_t highest = 0;
    for (const std::uint32_t index : geometry.Indices) highest = std::max(highest, index);
    if (!geometry.Indices.empty() && highest >= geometry.Vertices.size())
      return "geometry " + std::to_string(id) + " indexes vertex " + std::to_string(highest) + " of " +
             std::to_string(geometry.Vertices.size());
  }
  return defect;
}

}  // namespace Importing::snapshot

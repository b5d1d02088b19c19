#include "session/summary_tables.h"

#include <algorithm>
#include <map>
#include <set>
#include <variant>

#include "session/asker.h"
#include "session/texture_files.h"
#include "session/value_text.h"

namespace sci {

namespace {

using namespace Importing;

// Bytes of one vertex and one index as the records hold them: position and
// normal, two floats a UV set, 32-bit indices; of one key: its time, position,
// rotation and scale.
constexpr std::int64_t kVertexBytesBeforeUVs = 24, kBytesPerUVSet = 8, kIndexBytes = 4, kKeyBytes = 44;

Json Ids(const std::set<int>& ids) { return Json(std::vector<int>(ids.begin(), ids.end())); }

// What one geometry is, from the geometry and bounding-box queries.
struct MeshFacts {
  int primitiveType = 0;
  std::int64_t vertices = 0, indices = 0, uvSets = 0;
  D3DXVECTOR3 min, max;

  // Primitives of the mesh's type: indices, or vertices without indices, per primitive.
  std::int64_t Primitives() const {
    const std::int64_t corners = primitiveType == 4 ? 3 : primitiveType == 2 ? 2 : 1;
    return (indices > 0 ? indices : vertices) / corners;
  }
  std::int64_t Count(int type) const { return primitiveType == type ? Primitives() : 0; }
  std::int64_t VertexBytes() const { return vertices * (kVertexBytesBeforeUVs + kBytesPerUVSet * uvSets); }
};

MeshFacts AskMesh(Asker& ask, int geometry) {
  MeshFacts facts;
  if (const auto* mesh = FirstOutput<const MeshChannel*>(ask.Run(SCI_GEOMETRY, static_cast<float>(geometry)))) {
    facts.primitiveType = (*mesh)->GetPrimitiveType();
    facts.vertices = static_cast<std::int64_t>((*mesh)->GetVertices().size());
    facts.indices = static_cast<std::int64_t>((*mesh)->GetIndices().size());
    facts.uvSets = (*mesh)->GetVertices().empty() ? 0 : static_cast<std::int64_t>((*mesh)->GetVertices()[0].uvs.size());
  }
  const Answer& box = ask.Run(SCI_GEOMETRY_BOUNDING_BOX, static_cast<float>(geometry));
  if (box.outputs.size() == 2) {
    if (const auto* min = std::get_if<D3DXVECTOR3>(&box.outputs[0].value)) facts.min = *min;
    if (const auto* max = std::get_if<D3DXVECTOR3>(&box.outputs[1].value)) facts.max = *max;
  }
  return facts;
}

// Who uses what, read off the tree: for each record the surfaces, nodes and
// materials that refer to it.
struct Uses {
  std::map<int, std::set<int>> geometryNodes, geometrySurfaces, geometryMaterials;
  std::map<int, std::map<std::string, std::set<int>>> materialMaps;  // material -> map type -> textures
  std::map<int, std::set<int>> textureMaterials, animationNodes;
  std::map<int, std::int64_t> geometryDraws;  // how often nodes draw each geometry
  std::int64_t draws = 0;                     // surfaces as the nodes carry them, shared ones each time

  explicit Uses(const SceneTree& tree) {
    for (const TreeNode& node : tree.nodes) {
      if (node.animation >= 0) animationNodes[node.animation].insert(node.id);
      for (const int id : node.surfaces) {
        if (id < 0 || static_cast<std::size_t>(id) >= tree.surfaces.size()) continue;
        const TreeSurface& surface = tree.surfaces[static_cast<std::size_t>(id)];
        ++draws;
        ++geometryDraws[surface.geometry];
        geometryNodes[surface.geometry].insert(node.id);
      }
    }
    for (const TreeSurface& surface : tree.surfaces) {
      if (surface.id < 0) continue;
      geometrySurfaces[surface.geometry].insert(surface.id);
      geometryMaterials[surface.geometry].insert(surface.material);
      for (const TreeTextureMap& map : surface.maps) {
        if (map.texture < 0) continue;
        materialMaps[surface.material][map.type].insert(map.texture);
        textureMaterials[map.texture].insert(surface.material);
      }
    }
  }

  template <class Map>
  static Json Of(const Map& map, int id) {
    const auto found = map.find(id);
    return found == map.end() ? Json::array() : Ids(found->second);
  }
};

SummaryTable Meshes(const std::vector<MeshFacts>& meshes, const Uses& uses) {
  SummaryTable table{"meshes",
                     {"geometry", "nodes", "surfaces", "draws", "materials", "primitive", "vertices", "triangles",
                      "lines", "points", "uv_sets", "box_min", "box_max"},
                     {},
                     {}};
  for (std::size_t id = 0; id < meshes.size(); ++id) {
    const MeshFacts& mesh = meshes[id];
    const int geometry = static_cast<int>(id);
    const auto surfaces = uses.geometrySurfaces.find(geometry);
    const auto draws = uses.geometryDraws.find(geometry);
    table.rows.push_back({geometry, Uses::Of(uses.geometryNodes, geometry),
                          surfaces == uses.geometrySurfaces.end() ? 0 : surfaces->second.size(),
                          draws == uses.geometryDraws.end() ? 0 : draws->second,
                          Uses::Of(uses.geometryMaterials, geometry), PrimitiveTypeName(mesh.primitiveType),
                          mesh.vertices, mesh.Count(4), mesh.Count(2), mesh.Count(1), mesh.uvSets,
                          JsonVector(mesh.min), JsonVector(mesh.max)});
  }
  return table;
}

SummaryTable Materials(Asker& ask, const Uses& uses, int* blended) {
  SummaryTable table{"materials", {"material", "name", "maps", "surfaces", "opacity", "blends"}, {}, {}};
  const int count = ask.Id(SCI_MATERIAL_COUNT);
  for (int id = 0; id < count; ++id) {
    const float material = static_cast<float>(id);
    Json opacity;
    if (const auto* channel = FirstOutput<const MaterialChannel*>(ask.Run(SCI_MATERIAL, material))) {
      const auto& parameters = (*channel)->GetParameters();
      const auto found = parameters.find(MaterialChannel::kOpacityParameter);
      if (found != parameters.end()) opacity = JsonNumber(found->second);
    }
    const bool blends = opacity.is_number() && opacity.get<float>() < 1;
    *blended += blends;
    Json maps = Json::object();
    if (const auto found = uses.materialMaps.find(id); found != uses.materialMaps.end())
      for (const auto& [type, textures] : found->second) maps[type] = Ids(textures);
    table.rows.push_back({id, ask.Text(SCI_MATERIAL_NAME, material), std::move(maps),
                          ask.Id(SCI_MATERIAL_SURFACE_COUNT, material), std::move(opacity), blends});
  }
  return table;
}

SummaryTable Textures(Asker& ask, const Uses& uses, const std::string& scenePath, const SceneSource& source,
                      std::int64_t* imageBytes) {
  SummaryTable table{"textures",
                     {"texture", "path", "stored", "found", "format", "width", "height", "bytes", "materials"},
                     {},
                     {}};
  const int count = ask.Id(SCI_TEXTURE_COUNT);
  for (int id = 0; id < count; ++id) {
    const std::string path = ask.Text(SCI_TEXTURE_PATH, static_cast<float>(id));
    const ImageFacts image = InspectTextureImage(scenePath, source, path);
    *imageBytes += static_cast<std::int64_t>(image.bytes);
    const auto told = [](auto value, bool known) { return known ? Json(value) : Json(); };
    table.rows.push_back({id, path, image.embedded ? "embedded" : "file", image.found,
                          told(image.format, !image.format.empty()), told(image.width, image.width > 0),
                          told(image.height, image.height > 0), told(image.bytes, image.found),
                          Uses::Of(uses.textureMaterials, id)});
  }
  return table;
}

SummaryTable KeyLists(Asker& ask, const Uses& uses, std::int64_t* keyCount) {
  SummaryTable table{"key_lists", {"animation", "nodes", "keys", "start", "end"}, {}, {}};
  const int count = ask.Id(SCI_ANIMATION_COUNT);
  for (int id = 0; id < count; ++id) {
    const float animation = static_cast<float>(id);
    const int keys = ask.Id(SCI_ANIMATION_KEY_COUNT, animation);
    *keyCount += keys > 0 ? keys : 0;
    const auto time = [&](int key) {
      return keys > 0 ? JsonNumber(ask.Value(SCI_ANIMATION_TIME, animation, static_cast<float>(key))) : Json();
    };
    table.rows.push_back({id, Uses::Of(uses.animationNodes, id), keys, time(0), time(keys - 1)});
  }
  table.note = "one key list for each animated node: the animation IDs the queries take; times in seconds";
  return table;
}

// The animations as the file groups them, each over its key lists: its
// duration the latest key time of any of them.
SummaryTable Animations(const std::vector<AnimationGroup>& groups, const SummaryTable& keyLists) {
  SummaryTable table{"animations", {"animation", "name", "duration", "channels", "keys", "animation_ids"}, {}, {}};
  std::size_t covered = 0;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const AnimationGroup& group = groups[g];
    const std::size_t first = std::min<std::size_t>(group.first, keyLists.rows.size());
    const std::size_t end = std::min<std::size_t>(first + group.count, keyLists.rows.size());
    covered += end - first;
    std::int64_t keys = 0;
    float duration = 0;
    for (std::size_t id = first; id < end; ++id) {
      const auto& row = keyLists.rows[id];
      keys += row[2].get<std::int64_t>();
      if (row[4].is_number()) duration = std::max(duration, row[4].get<float>());
    }
    const Json ids = end > first ? Json{static_cast<std::int64_t>(first), static_cast<std::int64_t>(end - 1)} : Json::array();
    table.rows.push_back({static_cast<std::int64_t>(g), group.name, JsonNumber(duration),
                          static_cast<std::int64_t>(end - first), keys, ids});
  }
  table.note = "the file's " + std::to_string(groups.size()) + (groups.size() == 1 ? " animation" : " animations") +
               " became " + std::to_string(covered) + " of the " + std::to_string(keyLists.rows.size()) +
               " key lists (animation_ids: the first and last); duration in seconds";
  return table;
}

SummaryTable Cameras(Asker& ask) {
  SummaryTable table{"cameras", {"camera", "name", "node", "fov_x", "fov_y"}, {}, {}};
  const int count = ask.Id(SCI_CAMERA_COUNT);
  for (int id = 0; id < count; ++id) {
    const float camera = static_cast<float>(id);
    table.rows.push_back({id, ask.Text(SCI_CAMERA_NAME, camera), ask.Id(SCI_CAMERA_NODE_ID, camera),
                          JsonNumber(ask.Value(SCI_CAMERA_FOV_X, camera)),
                          JsonNumber(ask.Value(SCI_CAMERA_FOV_Y, camera))});
  }
  table.note = "field of view in radians";
  return table;
}

SummaryTable Lights(Asker& ask) {
  SummaryTable table{"lights", {"light", "name", "type", "node"}, {}, {}};
  const int count = ask.Id(SCI_LIGHT_COUNT);
  for (int id = 0; id < count; ++id) {
    const float light = static_cast<float>(id);
    table.rows.push_back({id, ask.Text(SCI_LIGHT_NAME, light), LightTypeName(ask.Id(SCI_LIGHT_TYPE, light)),
                          ask.Id(SCI_LIGHT_NODE_ID, light)});
  }
  return table;
}

}  // namespace

SceneTables BuildSceneTables(QuerySession& session, const SceneTree& tree, const std::string& scenePath,
                             std::vector<std::string>& messages) {
  Asker ask(session, messages);
  const Uses uses(tree);
  std::vector<MeshFacts> meshes;
  const int geometries = ask.Id(SCI_GEOMETRY_COUNT);
  for (int id = 0; id < geometries; ++id) meshes.push_back(AskMesh(ask, id));

  SceneTables result;
  std::int64_t drawnVertices = 0, instanced = 0, vertexBytes = 0, indexBytes = 0, imageBytes = 0, keys = 0;
  for (const auto& [geometry, draws] : uses.geometryDraws) {
    if (geometry < 0 || static_cast<std::size_t>(geometry) >= meshes.size()) continue;
    const MeshFacts& mesh = meshes[static_cast<std::size_t>(geometry)];
    result.triangles += draws * mesh.Count(4);
    result.lines += draws * mesh.Count(2);
    result.points += draws * mesh.Count(1);
    drawnVertices += draws * mesh.vertices;
    instanced += draws > 1;
  }
  for (const MeshFacts& mesh : meshes) {
    vertexBytes += mesh.VertexBytes();
    indexBytes += mesh.indices * kIndexBytes;
  }

  int blended = 0;
  result.tables.push_back(Meshes(meshes, uses));
  result.tables.push_back(Materials(ask, uses, &blended));
  result.tables.push_back(Textures(ask, uses, scenePath, session.Scene().Source(), &imageBytes));
  SummaryTable keyLists = KeyLists(ask, uses, &keys);
  result.tables.push_back(Animations(session.Scene().Source().animationGroups, keyLists));
  result.tables.push_back(std::move(keyLists));
  result.tables.push_back(Cameras(ask));
  result.tables.push_back(Lights(ask));

  SummaryTable render{"render", {"measure", "value"}, {}, {}};
  const auto measure = [&](const char* what, Json value) { render.rows.push_back({what, std::move(value)}); };
  measure("draw_calls", uses.draws);
  measure("instanced_meshes", instanced);
  measure("triangles", result.triangles);
  measure("lines", result.lines);
  measure("points", result.points);
  measure("vertices", drawnVertices);
  measure("vertex_bytes", vertexBytes);
  measure("index_bytes", indexBytes);
  measure("animation_bytes", keys * kKeyBytes);
  measure("image_bytes", imageBytes);
  measure("blended_materials", blended);
  render.note = "draw calls: each surface each time a node carries it; bytes as the records hold the data";
  result.tables.push_back(std::move(render));
  return result;
}

}  // namespace sci

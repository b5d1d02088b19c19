#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "session/json_output.h"
#include "session/query_session.h"
#include "session/scene_tree.h"

namespace sci {

// One table of the summary: its name, its columns, one row per record in
// ID order (or per measure), each cell a JSON value: a number, a text, a
// list, or null for a fact nobody could tell.
struct SummaryTable {
  std::string name;                    // "meshes"
  std::vector<std::string> columns;    // "geometry", "nodes", ...
  std::vector<std::vector<Json>> rows;
  std::string note;                    // a line on how to read the table; may be empty
};

// What the image a texture path names is, as a host that reads it tells.
struct ImageFacts {
  bool embedded = false;  // inside the scene file
  bool found = false;     // its bytes could be read
  std::string format;     // "png", "jpeg", ...; empty when not told
  int width = 0, height = 0;  // 0 when not told
  std::uint64_t bytes = 0;    // as stored
};
// Tells the facts of the image a texture path names. A host that reads no
// images passes none, and the textures table says null for what it tells.
using ImageInspector = std::function<ImageFacts(const std::string& texturePath)>;

// The tables and the scene's totals, every figure answered by the
// session's queries (the meshes by the geometry query, the materials by
// the material queries, ...) and `tree`, which links surfaces, nodes and
// materials. The totals count each surface each time a node carries it,
// so a mesh that several nodes draw counts as often as it is drawn.
struct SceneTables {
  // meshes, materials, textures, animations (as the file groups them), key_lists (by
  // animation ID), cameras, lights, render
  std::vector<SummaryTable> tables;
  std::int64_t triangles = 0, lines = 0, points = 0;
};

// Messages the queries showed go into `messages`.
SceneTables BuildSceneTables(QuerySession& session, const SceneTree& tree, const ImageInspector& inspect,
                             std::vector<std::string>& messages);

}  // namespace sci

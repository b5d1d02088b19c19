#pragma once

#include <cstdint>
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

// The tables and the scene's totals, every figure answered by the
// session's queries (the meshes by the geometry query, the materials by
// the material queries, ...) and `tree`, which links surfaces, nodes and
// materials; the textures' images looked for beside `scenePath` as
// InspectTextureImage finds them. The totals count each surface each time a node carries it,
// so a mesh that several nodes draw counts as often as it is drawn.
struct SceneTables {
  // meshes, materials, textures, animations (as the file groups them), key_lists (by
  // animation ID), cameras, lights, render
  std::vector<SummaryTable> tables;
  std::int64_t triangles = 0, lines = 0, points = 0;
};

// Messages the queries showed go into `messages`.
SceneTables BuildSceneTables(QuerySession& session, const SceneTree& tree, const std::string& scenePath,
                             std::vector<std::string>& messages);

}  // namespace sci

#pragma once

#include <string>
#include <utility>
#include <vector>

#include "session/query_session.h"
#include "session/scene_tree.h"
#include "session/summary_tables.h"

namespace sci {

// What sci shows for a scene when no query is given: the counts, the scene
// box, the tables of meshes, materials, textures, animations, cameras,
// lights and render figures, and the node tree, all asked through the
// plug-in.
struct SceneSummary {
  std::string path;
  std::string format;
  std::vector<std::pair<std::string, float>> counts;  // "nodes", "surfaces", ...
  D3DXVECTOR3 boxMin, boxMax;
  std::vector<SummaryTable> tables;
  SceneTree tree;
  std::vector<std::string> messages;      // what the queries showed, if anything
};

// `path` names the scene file, whose folder holds the textures' files, and
// the scene when the importer recorded none.
SceneSummary Summarize(QuerySession& session, const std::string& path);

// How the summary is written for people.
struct SummaryLayout {
  bool allRows = false;  // no table folds
  bool tree = true;      // the node tree after the tables
};

std::string SummaryText(const SceneSummary& summary, const SummaryLayout& layout = {});
std::string SummaryMarkdown(const SceneSummary& summary, const SummaryLayout& layout = {});
// One line: {"scene", "format", "counts", "scene_box", "tables": {NAME:
// [row objects]}, "notes": {NAME: text}, "tree" (null without the tree),
// "messages"}. Every row is written.
std::string SummaryJson(const SceneSummary& summary, bool withTree = true);
// The counts as a table of (what, value), then each table.
std::vector<SummaryTable> SummaryCsvTables(const SceneSummary& summary);

}  // namespace sci

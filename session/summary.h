#pragma once

#include <string>
#include <utility>
#include <vector>

#include "session/query_session.h"
#include "session/scene_tree.h"

namespace sci {

// What sci shows for a scene when no query is given: the counts, the scene
// box and the node tree, all asked through the plug-in.
struct SceneSummary {
  std::string path;
  std::string format;
  std::vector<std::pair<std::string, float>> counts;  // "nodes", "surfaces", ...
  D3DXVECTOR3 boxMin, boxMax;
  SceneTree tree;
  std::vector<std::string> messages;      // what the queries showed, if anything
};

// `path` names the scene when the importer recorded none.
SceneSummary Summarize(QuerySession& session, const std::string& path);

std::string SummaryText(const SceneSummary& summary);
std::string SummaryJson(const SceneSummary& summary);

}  // namespace sci

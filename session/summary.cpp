#include "session/summary.h"

#include <algorithm>
#include <variant>

#include "session/asker.h"
#include "session/json_output.h"
#include "session/printable.h"
#include "session/table_output.h"
#include "session/text_output.h"
#include "session/tree_output.h"
#include "session/value_text.h"

namespace sci {

SceneSummary Summarize(QuerySession& session, const std::string& path) {
  using namespace Importing;
  SceneSummary summary;
  std::string error;
  if (!session.Load(kSourcePart, kNoGeometry, &error)) summary.messages.push_back(error);
  summary.path = session.Scene().Source().path.empty() ? path : session.Scene().Source().path;
  summary.format = session.Scene().Source().format;
  Asker ask(session, summary.messages);
  auto count = [&](const char* what, SCI_INFO_TYPE type) {
    const float value = ask.Value(type);
    summary.counts.emplace_back(what, value);
    return value;
  };
  count("nodes", SCI_NODE_COUNT);
  count("surfaces", SCI_SURFACE_COUNT);
  const float geometries = count("geometries", SCI_GEOMETRY_COUNT);
  float vertices = 0;
  for (int id = 0; id < static_cast<int>(geometries); ++id)
    vertices += ask.Value(SCI_GEOMETRY_VERTEX_COUNT, static_cast<float>(id));
  summary.counts.emplace_back("vertices", vertices);
  count("materials", SCI_MATERIAL_COUNT);
  count("textures", SCI_TEXTURE_COUNT);
  count("animations", SCI_ANIMATION_COUNT);
  count("cameras", SCI_CAMERA_COUNT);
  count("lights", SCI_LIGHT_COUNT);

  const Answer& box = ask.Run(SCI_SCENE_BOUNDING_BOX);
  if (box.outputs.size() == 2) {
    const auto* min = std::get_if<D3DXVECTOR3>(&box.outputs[0].value);
    const auto* max = std::get_if<D3DXVECTOR3>(&box.outputs[1].value);
    if (min && max) {
      summary.boxMin = *min;
      summary.boxMax = *max;
    }
  }
  summary.tree = BuildSceneTree(session);
  summary.messages.insert(summary.messages.end(), summary.tree.messages.begin(), summary.tree.messages.end());
  SceneTables tables = BuildSceneTables(session, summary.tree, path, summary.messages);
  // The primitive totals follow the vertices, before the record counts.
  const auto at = summary.counts.begin() + 4;
  summary.counts.insert(at, {{"triangles", static_cast<float>(tables.triangles)},
                             {"lines", static_cast<float>(tables.lines)},
                             {"points", static_cast<float>(tables.points)}});
  summary.tables = std::move(tables.tables);
  return summary;
}

namespace {

void AppendHead(const SceneSummary& summary, std::string& text) {
  text += "Scene " + Printable(summary.path);
  if (!summary.format.empty()) text += " (" + Printable(summary.format) + ")";
  text += '\n';
  for (const auto& [what, value] : summary.counts) {
    text += "  " + what + ':';
    text.append(12 - std::min<std::size_t>(11, what.size()), ' ');
    AppendNumber(text, value);
    text += '\n';
  }
  text += "  scene box:   min (";
  AppendVector(text, summary.boxMin);
  text += "), max (";
  AppendVector(text, summary.boxMax);
  text += ")\n";
}

SummaryTable CountsTable(const SceneSummary& summary) {
  SummaryTable counts{"counts", {"what", "value"}, {}, {}};
  for (const auto& [what, value] : summary.counts) counts.rows.push_back({what, JsonNumber(value)});
  return counts;
}

}  // namespace

std::string SummaryText(const SceneSummary& summary, const SummaryLayout& layout) {
  std::string text;
  AppendHead(summary, text);
  for (const SummaryTable& table : summary.tables) {
    text += '\n';
    AppendTableText(table, layout.allRows, text);
  }
  if (layout.tree) text += '\n' + (summary.tree.nodes.empty() ? std::string("(no root node)\n") : TreeText(summary.tree));
  return text;
}

std::string SummaryMarkdown(const SceneSummary& summary, const SummaryLayout& layout) {
  std::string text = "## Scene " + Printable(summary.path);
  if (!summary.format.empty()) text += " (" + Printable(summary.format) + ")";
  text += "\n\n";
  AppendTableMarkdown(CountsTable(summary), true, text);
  for (const SummaryTable& table : summary.tables) AppendTableMarkdown(table, layout.allRows, text);
  if (layout.tree && !summary.tree.nodes.empty()) text += "### tree\n\n```\n" + TreeText(summary.tree) + "```\n";
  return text;
}

std::vector<SummaryTable> SummaryCsvTables(const SceneSummary& summary) {
  std::vector<SummaryTable> tables{CountsTable(summary)};
  tables.insert(tables.end(), summary.tables.begin(), summary.tables.end());
  return tables;
}

std::string SummaryJson(const SceneSummary& summary, bool withTree) {
  Json counts = Json::object();
  for (const auto& [what, value] : summary.counts) counts[what] = JsonNumber(value);
  Json tables = Json::object(), notes = Json::object();
  for (const SummaryTable& table : summary.tables) {
    tables[table.name] = TableJson(table);
    if (!table.note.empty()) notes[table.name] = table.note;
  }
  const Json head{{"scene", summary.path},
                  {"format", summary.format},
                  {"counts", std::move(counts)},
                  {"scene_box", Json{{"min", JsonVector(summary.boxMin)}, {"max", JsonVector(summary.boxMax)}}},
                  {"tables", std::move(tables)},
                  {"notes", std::move(notes)}};
  // The tree has its own writer, which needs no recursion however deep it is.
  std::string text = DumpLine(head);
  text.pop_back();
  text += ",\"tree\":";
  if (withTree) AppendTreeJson(summary.tree, text);
  else text += "null";
  text += ",\"messages\":" + DumpLine(Json(summary.messages)) + "}\n";
  return text;
}

}  // namespace sci

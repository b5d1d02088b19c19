#include "cli/summary.h"

#include <algorithm>

#include "cli/json_output.h"
#include "cli/number_text.h"
#include "cli/text_output.h"
#include "host/value_channels.h"

namespace sci {

namespace {

using namespace Importing;

// Runs `type` with numeric inputs and returns the result; the messages are
// added to `messages`.
const QueryResult& Ask(QuerySession& session, SCI_INFO_TYPE type, std::vector<std::string>& messages,
                       QueryRequest& request, float input = 0) {
  request.info = FindInfoType(type);
  request.inputs.clear();
  for (const QueryChild& child : Inputs(*request.info)) request.inputs.push_back({child, input, {}});
  const QueryResult& result = session.Run(request);
  messages.insert(messages.end(), result.messages.begin(), result.messages.end());
  return result;
}

float FirstValue(const QueryResult& result) {
  const Orv_Channel* channel = result.outputs.empty() ? nullptr : result.outputs.front().channel;
  return channel ? static_cast<const ValueChannel*>(channel)->GetValue() : 0;
}

}  // namespace

SceneSummary Summarize(QuerySession& session, const std::string& path) {
  SceneSummary summary;
  summary.path = session.Scene().Source().path.empty() ? path : session.Scene().Source().path;
  summary.format = session.Scene().Source().format;
  QueryRequest request;
  auto count = [&](const char* what, SCI_INFO_TYPE type) {
    const float value = FirstValue(Ask(session, type, summary.messages, request));
    summary.counts.emplace_back(what, value);
    return value;
  };
  count("nodes", SCI_NODE_COUNT);
  count("surfaces", SCI_SURFACE_COUNT);
  const float geometries = count("geometries", SCI_GEOMETRY_COUNT);
  float vertices = 0;
  for (int id = 0; id < static_cast<int>(geometries); ++id)
    vertices += FirstValue(Ask(session, SCI_GEOMETRY_VERTEX_COUNT, summary.messages, request, static_cast<float>(id)));
  summary.counts.emplace_back("vertices", vertices);
  count("materials", SCI_MATERIAL_COUNT);
  count("textures", SCI_TEXTURE_COUNT);
  count("animations", SCI_ANIMATION_COUNT);
  count("cameras", SCI_CAMERA_COUNT);
  count("lights", SCI_LIGHT_COUNT);

  const QueryResult& box = Ask(session, SCI_SCENE_BOUNDING_BOX, summary.messages, request);
  if (box.outputs.size() == 2 && box.outputs[0].channel && box.outputs[1].channel) {
    summary.boxMin = static_cast<const ValueVectorChannel*>(box.outputs[0].channel)->GetVector();
    summary.boxMax = static_cast<const ValueVectorChannel*>(box.outputs[1].channel)->GetVector();
  }
  const QueryResult& tree = Ask(session, SCI_SCENE_HIERARCHY, summary.messages, request);
  if (!tree.outputs.empty() && tree.outputs[0].channel) {
    const char* text = static_cast<const TextChannel*>(tree.outputs[0].channel)->GetText();
    if (text != nullptr) summary.hierarchy = text;
  }
  return summary;
}

std::string SummaryText(const SceneSummary& summary) {
  std::string text = "Scene " + summary.path;
  if (!summary.format.empty()) text += " (" + summary.format + ")";
  text += '\n';
  for (const auto& [what, value] : summary.counts) {
    text += "  " + what + ':';
    text.append(12 - std::min<std::size_t>(11, what.size()), ' ');
    AppendFloat(text, value);
    text += '\n';
  }
  text += "  scene box:   min (";
  AppendVector(text, summary.boxMin);
  text += "), max (";
  AppendVector(text, summary.boxMax);
  text += ")\n\n";
  text += summary.hierarchy.empty() ? "(no scene hierarchy)" : summary.hierarchy;
  if (text.back() != '\n') text += '\n';
  return text;
}

std::string SummaryJson(const SceneSummary& summary) {
  Json counts = Json::object();
  for (const auto& [what, value] : summary.counts) counts[what] = JsonNumber(value);
  const Json json{{"scene", summary.path},
                  {"format", summary.format},
                  {"counts", std::move(counts)},
                  {"scene_box", Json{{"min", JsonVector(summary.boxMin)}, {"max", JsonVector(summary.boxMax)}}},
                  {"hierarchy", summary.hierarchy},
                  {"messages", summary.messages}};
  return DumpLine(json) + '\n';
}

}  // namespace sci

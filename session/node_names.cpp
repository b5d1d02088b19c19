#include "session/node_names.h"

#include <algorithm>
#include <vector>

#include "session/asker.h"
#include "session/nearest_words.h"
#include "session/printable.h"

namespace sci {

namespace {

// Every node's name, by node ID.
std::vector<std::string> NodeNames(QuerySession& session) {
  std::vector<std::string> ignored, names;
  Asker ask(session, ignored);
  const int count = ask.Id(Importing::SCI_NODE_COUNT);
  for (int id = 0; id < count; ++id) names.push_back(ask.Text(Importing::SCI_NODE_NAME, static_cast<float>(id)));
  return names;
}

// "no node named 'NAME'", with the nearest names of the scene's nodes.
std::string NoNodeNamed(QuerySession& session, const std::string& name) {
  const auto nearest = NearestWords(name, NodeNames(session));
  return "no node named '" + Printable(name) + "'" + (nearest.empty() ? "" : "; nearest: " + QuotedList(nearest));
}

}  // namespace

bool ResolveNodeNames(QuerySession& session, QueryRequest& request, std::string* error) {
  if (std::none_of(request.inputs.begin(), request.inputs.end(), [](const QueryInput& input) { return input.nodeName; }))
    return true;
  QueryRequest lookup;
  lookup.info = Importing::FindInfoType(Importing::SCI_NODE_ID);
  lookup.inputs.push_back({Inputs(*lookup.info).at(0), 0, {}});
  for (QueryInput& input : request.inputs) {
    if (!input.nodeName) continue;
    lookup.inputs[0].text = input.text;
    const Answer& found = session.Run(lookup);
    const float* id = FirstOutput<float>(found);
    if (id == nullptr || *id < 0) {
      *error = ShortName(*request.info) + ": " + NoNodeNamed(session, input.text);
      return false;
    }
    input.number = *id;
  }
  return true;
}

std::string MissingNodeHint(QuerySession& session, const Answer& answer) {
  if (answer.request == nullptr || answer.request->info->value != Importing::SCI_NODE_ID || !answer.messages.empty())
    return {};
  const float* id = FirstOutput<float>(answer);
  if (id == nullptr || *id >= 0) return {};
  return NoNodeNamed(session, answer.request->inputs.at(0).text);
}

std::string RepeatedNameHint(QuerySession& session, const std::string& name) {
  const auto names = NodeNames(session);
  std::string ids;
  int count = 0;
  for (std::size_t id = 0; id < names.size(); ++id)
    if (names[id] == name) ids += (count++ == 0 ? "" : ", ") + std::to_string(id);
  if (count < 2) return {};
  return std::to_string(count) + " nodes are named '" + Printable(name) + "' (IDs " + ids + "); the first is taken";
}

}  // namespace sci

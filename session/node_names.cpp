#include "session/node_names.h"

#include "host/value_channels.h"
#include "session/printable.h"

namespace sci {

bool ResolveNodeNames(QuerySession& session, QueryRequest& request, std::string* error) {
  QueryRequest lookup;
  lookup.info = Importing::FindInfoType(Importing::SCI_NODE_ID);
  lookup.inputs.push_back({Inputs(*lookup.info).at(0), 0, {}});
  for (QueryInput& input : request.inputs) {
    if (!input.nodeName) continue;
    lookup.inputs[0].text = input.text;
    const QueryResult& found = session.Run(lookup);
    const Orv_Channel* channel = found.outputs.empty() ? nullptr : found.outputs[0].channel;
    const float id = channel ? static_cast<const ValueChannel*>(channel)->GetValue() : -1.0f;
    if (id < 0) {
      *error = ShortName(*request.info) + ": no node named '" + Printable(input.text) + "'";
      return false;
    }
    input.number = id;
  }
  return true;
}

}  // namespace sci

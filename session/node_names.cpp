#include "session/node_names.h"

#include <algorithm>

#include "session/printable.h"

namespace sci {

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
      *error = ShortName(*request.info) + ": no node named '" + Printable(input.text) + "'";
      return false;
    }
    input.number = *id;
  }
  return true;
}

}  // namespace sci

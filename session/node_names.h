#pragma once

#include <string>

#include "session/query_request.h"
#include "session/query_session.h"

namespace sci {

// Turns every Node ID of `request` given as a name into the node's ID, as
// the node-id query finds it (the first node of that name). False, with a
// message naming the query and the name, when no node has the name.
bool ResolveNodeNames(QuerySession& session, QueryRequest& request, std::string* error);

}  // namespace sci

#pragma once

#include <string>

#include "session/answer.h"
#include "session/query_request.h"
#include "session/query_session.h"

namespace sci {

// Turns every Node ID of `request` given as a name into the node's ID, as
// the node-id query finds it (the first node of that name). False, with a
// message naming the query and the name and the nearest names the scene
// has, when no node has the name.
bool ResolveNodeNames(QuerySession& session, QueryRequest& request, std::string* error);

// For a node-id answer that found no node: "no node named 'lod3sp';
// nearest: 'LOD3sp'", or "no node named 'x'" when no name is near. Empty
// for any other answer. It asks queries of its own, which replace the
// session's answer: write the answer first.
std::string MissingNodeHint(QuerySession& session, const Answer& answer);

// "2 nodes are named 'Twin' (IDs 4, 5); the first is taken" when several
// nodes have `name`; empty otherwise. Asks a query per node, and so
// replaces the session's answer as MissingNodeHint does.
std::string RepeatedNameHint(QuerySession& session, const std::string& name);

}  // namespace sci

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "session/query_table.h"

namespace sci {

// One input of a query as given: a number for a Value child, a text for the
// node name.
struct QueryInput {
  QueryChild child;
  float number = 0;
  std::string text;
  bool nodeName = false;  // a Node ID given as the node's name, in `text`
};

// A query and its inputs, ready to run.
struct QueryRequest {
  const InfoTypeInfo* info = nullptr;
  std::vector<QueryInput> inputs;
};

// True for an input that selects a record or a place in a list (an ID, a
// child number, a key number): 1.5 of those is a mistake, not a choice.
bool TakesWholeNumber(const QueryChild& child);

// Reads `words` (the query's name, then its inputs in child order) into
// `request`. A Node ID may be given as a node's name: a word that reads as
// a number is an ID, any other word a name, and "name:WORD" always a name
// (for nodes named like numbers). On a usage error returns false with a
// message that names the query's inputs.
bool ParseQuery(const std::vector<std::string_view>& words, QueryRequest* request, std::string* error);

// Prefix that makes a Node ID input a node's name whatever it looks like.
inline constexpr std::string_view kNodeNamePrefix = "name:";

// "sci [SCENE] node-child <Node ID> <Child number>"
std::string QueryUsage(const InfoTypeInfo& info);

}  // namespace sci

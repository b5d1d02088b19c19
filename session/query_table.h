#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "channel/child_meanings.h"
#include "channel/info_types.h"

// Names and children of the queries, all derived from the channel's one
// table of info types.
namespace sci {

using Importing::InfoTypeInfo;

// One further child of a query's channel (index 1 to 3).
struct QueryChild {
  int index;
  ChildKind kind;
  const char* label;
  Importing::ChildMeaning meaning;
};

// The name a person types: "node-child" for SCI_NODE_CHILD.
const std::string& ShortName(const InfoTypeInfo& info);

// Finds a query by short name, full name (either case, '-' or '_') or
// number; null when `text` names none.
const InfoTypeInfo* FindQuery(std::string_view text);

// Up to five short names close to `text` (after the same folding): the
// nearest by typing slips first, then those that contain it.
std::vector<std::string> SimilarQueryNames(std::string_view text);

// The query's inputs and outputs, in child order.
const std::vector<QueryChild>& Inputs(const InfoTypeInfo& info);
const std::vector<QueryChild>& Outputs(const InfoTypeInfo& info);

// "; did you mean 'node-count'?" for a misspelt query name, or empty.
std::string DidYouMean(std::string_view text);

// "Node ID, Child number", or "none".
std::string InputLabels(const InfoTypeInfo& info);

// The kind's name as the host knows it ("Value", "Matrix collection").
const char* KindName(ChildKind kind);

}  // namespace sci

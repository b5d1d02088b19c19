#pragma once

#include <string>
#include <variant>
#include <vector>

#include "session/output_value.h"
#include "session/query_request.h"

namespace sci {

// One output of a query that has run, as its child held it.
struct AnswerOutput {
  QueryChild child;
  OutputValue value;
};

// A query's typed answer: the request that ran (the query and its inputs),
// each output as a value of its kind, and the messages the channel showed.
// Valid until the next run of a query of the same info type.
struct Answer {
  const QueryRequest* request = nullptr;
  std::vector<AnswerOutput> outputs;
  std::vector<std::string> messages;
  // For a Material output: the material's name, asked through the plug-in
  // with the same material ID; empty when that query failed.
  std::string materialName;
};

// The first output's value when it is a `T`; null otherwise.
template <class T>
const T* FirstOutput(const Answer& answer) {
  return answer.outputs.empty() ? nullptr : std::get_if<T>(&answer.outputs.front().value);
}

}  // namespace sci

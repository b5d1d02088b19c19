#include "session/query_request.h"

#include <cmath>

#include "session/printable.h"
#include "session/value_text.h"

namespace sci {

namespace {

std::string UnknownQuery(std::string_view name) {
  return "unknown query '" + Printable(name) + "'" + DidYouMean(name) + " ('sci --list' shows all " +
         std::to_string(Importing::kInfoTypeCount) + " queries)";
}

bool IsNodeID(const QueryChild& child) { return child.meaning.input == Importing::InputDomain::Node; }

}  // namespace

bool TakesWholeNumber(const QueryChild& child) {
  return child.meaning.input != Importing::InputDomain::None && child.meaning.input != Importing::InputDomain::Name;
}

std::string QueryUsage(const InfoTypeInfo& info) {
  std::string usage = "sci [SCENE] " + ShortName(info);
  for (const auto& input : Inputs(info)) usage += std::string(" <") + input.label + ">";
  return usage;
}

bool ParseQuery(const std::vector<std::string_view>& words, QueryRequest* request, std::string* error) {
  if (words.empty()) {
    *error = "no query given";
    return false;
  }
  request->info = FindQuery(words[0]);
  if (request->info == nullptr) {
    *error = UnknownQuery(words[0]);
    return false;
  }
  const InfoTypeInfo& info = *request->info;
  const auto inputs = Inputs(info);
  const std::size_t given = words.size() - 1;
  if (given != inputs.size()) {
    *error = ShortName(info) + " takes " + std::to_string(inputs.size()) +
             (inputs.size() == 1 ? " input" : " inputs") + " (" + InputLabels(info) + "), " +
             (given < inputs.size() ? "only " : "") + std::to_string(given) + " given; usage: " + QueryUsage(info);
    return false;
  }
  request->inputs.resize(inputs.size());
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    QueryInput& input = request->inputs[i];
    input.child = inputs[i];
    const std::string_view word = words[i + 1];
    input.nodeName = false;
    if (inputs[i].kind == ChildKind::Text) {
      input.text.assign(word);
    } else if (IsNodeID(inputs[i]) && (word.rfind(kNodeNamePrefix, 0) == 0 || !ParseFloat(word, &input.number))) {
      input.nodeName = true;
      input.text.assign(word.rfind(kNodeNamePrefix, 0) == 0 ? word.substr(kNodeNamePrefix.size()) : word);
    } else if (!ParseFloat(word, &input.number)) {
      *error = ShortName(info) + ": " + inputs[i].label + " must be a number, not '" + std::string(word) +
               "'; usage: " + QueryUsage(info);
      return false;
    } else if (TakesWholeNumber(inputs[i]) && std::trunc(input.number) != input.number) {
      *error = ShortName(info) + ": " + inputs[i].label + " must be a whole number, not '" + std::string(word) +
               "'; usage: " + QueryUsage(info);
      return false;
    }
  }
  return true;
}

}  // namespace sci

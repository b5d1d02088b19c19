#include "cli/query_table.h"

#include <array>
#include <charconv>
#include <unordered_map>

namespace sci {

namespace {

using Importing::kInfoTypeCount;
using Importing::kInfoTypes;

// Lower case, '_' as '-', without a leading "sci-".
std::string Fold(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c == '_') c = '-';
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (folded.compare(0, 4, "sci-") == 0) folded.erase(0, 4);
  return folded;
}

const std::array<std::string, kInfoTypeCount>& ShortNames() {
  static const auto names = [] {
    std::array<std::string, kInfoTypeCount> result;
    for (int i = 0; i < kInfoTypeCount; ++i) result[i] = Fold(kInfoTypes[i].name);
    return result;
  }();
  return names;
}

const std::unordered_map<std::string, int>& IndexByShortName() {
  static const auto index = [] {
    std::unordered_map<std::string, int> result;
    for (int i = 0; i < kInfoTypeCount; ++i) result.emplace(ShortNames()[i], i);
    return result;
  }();
  return index;
}

std::vector<QueryChild> Children(const InfoTypeInfo& info, bool outputs) {
  std::vector<QueryChild> children;
  for (int index = 1; index <= Importing::FurtherChildCount(info); ++index)
    if (Importing::IsOutputChild(info, index) == outputs)
      children.push_back({index, info.children[index - 1].kind, info.children[index - 1].label});
  return children;
}

}  // namespace

const std::string& ShortName(const InfoTypeInfo& info) { return ShortNames()[info.value]; }

const InfoTypeInfo* FindQuery(std::string_view text) {
  int number = -1;
  const char* end = text.data() + text.size();
  const auto parsed = std::from_chars(text.data(), end, number);
  if (!text.empty() && parsed.ec == std::errc() && parsed.ptr == end) return Importing::FindInfoType(number);
  const auto found = IndexByShortName().find(Fold(text));
  return found == IndexByShortName().end() ? nullptr : &kInfoTypes[found->second];
}

std::vector<std::string> SimilarQueryNames(std::string_view text) {
  std::vector<std::string> similar;
  const std::string folded = Fold(text);
  if (folded.empty()) return similar;
  for (const auto& name : ShortNames())
    if (name.find(folded) != std::string::npos && similar.size() < 5) similar.push_back(name);
  return similar;
}

std::vector<QueryChild> Inputs(const InfoTypeInfo& info) { return Children(info, false); }
std::vector<QueryChild> Outputs(const InfoTypeInfo& info) { return Children(info, true); }

std::string InputLabels(const InfoTypeInfo& info) {
  std::string labels;
  for (const auto& input : Inputs(info)) {
    if (!labels.empty()) labels += ", ";
    labels += input.label;
  }
  return labels.empty() ? "none" : labels;
}

const char* KindName(ChildKind kind) { return KindInfo(kind).name; }

}  // namespace sci

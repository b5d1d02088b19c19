#include "session/query_table.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <unordered_map>

#include "session/nearest_words.h"

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
      children.push_back({index, info.children[index - 1].kind, info.children[index - 1].label,
                          Importing::MeaningOf(info, index)});
  return children;
}

// Inputs then outputs of each info type, made once.
const std::array<std::vector<QueryChild>, 2 * kInfoTypeCount>& AllChildren() {
  static const auto all = [] {
    std::array<std::vector<QueryChild>, 2 * kInfoTypeCount> result;
    for (int i = 0; i < kInfoTypeCount; ++i) {
      result[2 * i] = Children(kInfoTypes[i], false);
      result[2 * i + 1] = Children(kInfoTypes[i], true);
    }
    return result;
  }();
  return all;
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
  const std::string folded = Fold(text);
  if (folded.empty()) return {};
  // Names within a few typing slips, closest first; then names that hold the text.
  const std::size_t slips = std::max<std::size_t>(2, folded.size() / 4);
  std::vector<std::pair<std::size_t, const std::string*>> ranked;
  for (const auto& name : ShortNames()) {
    const std::size_t distance = EditDistance(folded, name);
    if (distance <= slips) ranked.emplace_back(distance, &name);
    else if (name.find(folded) != std::string::npos) ranked.emplace_back(slips + 1, &name);
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> similar;
  for (const auto& entry : ranked)
    if (similar.size() < 5) similar.push_back(*entry.second);
  return similar;
}

std::string DidYouMean(std::string_view text) {
  const auto similar = SimilarQueryNames(text);
  std::string hint;
  for (std::size_t i = 0; i < similar.size(); ++i)
    hint += (i == 0 ? "; did you mean '" : i + 1 == similar.size() ? " or '" : ", '") + similar[i] + "'";
  return hint.empty() ? hint : hint + "?";
}

const std::vector<QueryChild>& Inputs(const InfoTypeInfo& info) { return AllChildren()[2 * info.value]; }
const std::vector<QueryChild>& Outputs(const InfoTypeInfo& info) { return AllChildren()[2 * info.value + 1]; }

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

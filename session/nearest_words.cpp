#include "session/nearest_words.h"

#include <algorithm>
#include <set>
#include <utility>

#include "session/printable.h"

namespace sci {

namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

}  // namespace

std::size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i)
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

std::vector<std::string> NearestWords(std::string_view word, const std::vector<std::string>& candidates,
                                      std::size_t most) {
  const std::string lower = Lower(word);
  if (lower.empty()) return {};
  const std::size_t slips = std::max<std::size_t>(1, lower.size() / 4);
  // Rank 0 is a match but for case; rank d + 1 is d slips away.
  std::vector<std::pair<std::size_t, const std::string*>> ranked;
  for (const auto& candidate : candidates) {
    if (candidate == word) continue;
    // Names far longer or shorter than the word cannot be within the slips.
    const std::size_t gap = candidate.size() > lower.size() ? candidate.size() - lower.size() : lower.size() - candidate.size();
    if (gap > slips) continue;
    const std::size_t distance = EditDistance(lower, Lower(candidate));
    if (distance <= slips) ranked.emplace_back(distance == 0 ? 0 : distance + 1, &candidate);
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> nearest;
  std::set<std::string_view> seen;
  for (const auto& [rank, candidate] : ranked)
    if (nearest.size() < most && seen.insert(*candidate).second) nearest.push_back(*candidate);
  return nearest;
}

std::string QuotedList(const std::vector<std::string>& words) {
  std::string list;
  for (std::size_t i = 0; i < words.size(); ++i)
    list += (i == 0 ? "'" : i + 1 == words.size() ? " or '" : ", '") + Printable(words[i]) + "'";
  return list;
}

}  // namespace sci

#include "scene/import/assimp/ply_header_check.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

namespace Importing::Import {

namespace {

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    const std::size_t start = at;
    while (at < line.size() && line[at] != ' ' && line[at] != '\t') ++at;
    if (at > start) words.push_back(line.substr(start, at - start));
  }
  return words;
}

bool IsType(std::string_view word) {
  static constexpr std::string_view kTypes[] = {"char",  "uchar",  "short",  "ushort", "int",    "uint",
                                                "float", "double", "int8",   "uint8",  "int16",  "uint16",
                                                "int32", "uint32", "float32", "float64"};
  return std::find(std::begin(kTypes), std::end(kTypes), word) != std::end(kTypes);
}

bool IsCount(std::string_view word) {
  return !word.empty() && word.size() <= 10 &&
         std::all_of(word.begin(), word.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool IsPrintable(std::string_view line) {
  return std::all_of(line.begin(), line.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte == '\t' || (byte >= 0x20 && byte != 0x7f);
  });
}

}  // namespace

bool CheckPlyHeader(const char* data, std::size_t size, bool plyExtension, std::string* why) {
  const std::string_view text(data, std::min(size, kMaxPlyHeaderBytes));
  // Assimp also picks its PLY reader by content when the reader of the named
  // format declines the file, so a file that starts like PLY is checked too.
  const std::size_t first = std::min(text.find_first_not_of(" \t\r\n"), text.size());
  const bool looksLikePly = text.size() - first >= 3 && (text.compare(first, 3, "ply") == 0 ||
                                                        text.compare(first, 3, "PLY") == 0);
  if (!plyExtension && !looksLikePly) return true;
  const auto fail = [why](std::size_t lineNumber, const std::string& reason) {
    if (why) *why = "PLY header line " + std::to_string(lineNumber) + ": " + reason;
    return false;
  };
  if (text.rfind("ply\n", 0) != 0 && text.rfind("ply\r\n", 0) != 0) return fail(1, "is not \"ply\"");

  bool format = false, element = false;
  std::size_t start = 0, lineNumber = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos)
      return fail(lineNumber + 1, "no end_header within the first " + std::to_string(kMaxPlyHeaderBytes) + " bytes");
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lineNumber == 1) continue;  // "ply"
    if (!IsPrintable(line)) return fail(lineNumber, "holds control characters");
    const auto words = Words(line);
    if (words.empty()) return fail(lineNumber, "is empty");
    const std::string_view keyword = words[0];
    if (keyword == "comment" || keyword == "obj_info") continue;
    if (keyword == "format") {
      if (format || words.size() != 3 ||
          (words[1] != "ascii" && words[1] != "binary_little_endian" && words[1] != "binary_big_endian"))
        return fail(lineNumber, "is not one format line: format ascii|binary_little_endian|binary_big_endian VERSION");
      format = true;
    } else if (keyword == "element") {
      if (words.size() != 3 || !IsCount(words[2])) return fail(lineNumber, "is not: element NAME COUNT");
      element = true;
    } else if (keyword == "property") {
      const bool scalar = words.size() == 3 && IsType(words[1]);
      const bool list = words.size() == 5 && words[1] == "list" && IsType(words[2]) && IsType(words[3]);
      if (!scalar && !list) return fail(lineNumber, "is not: property TYPE NAME, or property list TYPE TYPE NAME");
      if (!element) return fail(lineNumber, "declares a property before any element");
    } else if (keyword == "end_header") {
      if (!format) return fail(lineNumber, "ends a header without a format line");
      return true;
    }
    // Any other line (some writers put bare text in the header) Assimp skips.
  }
}

}  // namespace Importing::Import

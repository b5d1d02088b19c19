#include "scene/import/gltf/uri_text.h"

#include <array>
#include <cctype>

#include "scene/import/gltf/json_value.h"

namespace Importing::Import::Gltf {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::array<int, 256> Base64Table() {
  std::array<int, 256> table{};
  table.fill(-1);
  const std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  for (std::size_t i = 0; i < alphabet.size(); ++i) table[static_cast<unsigned char>(alphabet[i])] = static_cast<int>(i);
  table['-'] = 62;  // the URL-safe alphabet, which some writers use
  table['_'] = 63;
  return table;
}

std::string Base64Decoded(std::string_view text) {
  static const std::array<int, 256> table = Base64Table();
  std::string bytes;
  bytes.reserve(text.size() / 4 * 3 + 3);
  unsigned bits = 0;
  int held = 0;
  for (const char c : text) {
    if (c == '=') break;
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    const int value = table[static_cast<unsigned char>(c)];
    if (value < 0) throw FormatError("a data URI holds a character that is not base64");
    bits = (bits << 6) | static_cast<unsigned>(value);
    held += 6;
    if (held >= 8) {
      held -= 8;
      bytes.push_back(static_cast<char>((bits >> held) & 0xFF));
    }
  }
  return bytes;
}

}  // namespace

std::optional<DataUri> ParseDataUri(std::string_view uri) {
  if (uri.substr(0, 5) != "data:") return std::nullopt;
  const std::size_t comma = uri.find(',');
  if (comma == std::string_view::npos) throw FormatError("a data URI has no ',' before its data");
  std::string_view header = uri.substr(5, comma - 5);
  const std::string_view payload = uri.substr(comma + 1);
  DataUri data;
  const bool base64 = header.size() >= 7 && header.substr(header.size() - 7) == ";base64";
  if (base64) header.remove_suffix(7);
  data.mediaType = std::string(header.substr(0, header.find(';')));
  data.bytes = base64 ? Base64Decoded(payload) : PercentDecoded(payload);
  return data;
}

std::string PercentDecoded(std::string_view uri) {
  std::string text;
  text.reserve(uri.size());
  for (std::size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size()) {
      const int high = HexValue(uri[i + 1]), low = HexValue(uri[i + 2]);
      if (high >= 0 && low >= 0) {
        text.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        continue;
      }
    }
    text.push_back(uri[i]);
  }
  return text;
}

bool IsRelativeFileReference(std::string_view uri) {
  if (uri.empty() || uri.front() == '/' || uri.front() == '\\') return false;
  // A scheme is letters, digits, '+', '-' or '.' before the first ':'.
  const std::size_t colon = uri.find(':');
  if (colon == std::string_view::npos) return true;
  const std::size_t slash = uri.find('/');
  return slash != std::string_view::npos && slash < colon;
}

}  // namespace Importing::Import::Gltf

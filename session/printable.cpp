#include "session/printable.h"

namespace sci {

namespace {

// Length of the UTF-8 sequence at the start of `text`, or 0 when it is not
// one (overlong forms, surrogates and values past U+10FFFF included).
std::size_t Utf8Length(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length;
  unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  return length;
}

void AppendHex(std::string& out, unsigned char c) {
  static const char kHex[] = "0123456789abcdef";
  ((out += "\\x") += kHex[c >> 4]) += kHex[c & 15];
}

}  // namespace

void AppendPrintable(std::string& out, std::string_view text) {
  while (!text.empty()) {
    const unsigned char c = static_cast<unsigned char>(text.front());
    std::size_t length = 1;
    if (c == '\t') out += "\\t";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c >= 0x20 && c < 0x7F) out += static_cast<char>(c);
    else if (c >= 0x80 && (length = Utf8Length(text)) > 0) out.append(text.data(), length);
    else {
      length = 1;
      AppendHex(out, c);
    }
    text.remove_prefix(length);
  }
}

void AppendWithoutControls(std::string& out, std::string_view text) {
  for (const char byte : text) {
    const unsigned char c = static_cast<unsigned char>(byte);
    if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) AppendHex(out, c);
    else out += byte;
  }
}

std::string Printable(std::string_view text) {
  std::string out;
  AppendPrintable(out, text);
  return out;
}

}  // namespace sci

#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "host/export.h"

// A 16-byte identifier in the Windows GUID memory layout: a 32-bit, two 16-bit
// and eight 8-bit parts, the integer parts little-endian. Buildable from its
// text form at compile time, so identifiers stay readable in the source.
struct Guid {
  std::array<std::uint8_t, 16> bytes{};

  // Parses "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (optionally in braces).
  // A malformed text fails to compile in a constant expression and yields an
  // all-zero identifier at run time.
  static constexpr Guid Parse(const char* text) {
    Guid guid;
    if (text[0] == '{') ++text;
    // Hex digit positions in the text, and where each byte goes in memory.
    constexpr int kTextPos[16] = {0, 2, 4, 6, 9, 11, 14, 16, 19, 21, 24, 26, 28, 30, 32, 34};
    constexpr int kMemPos[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
    for (int i = 0; i < 36; ++i) {
      const bool dash = i == 8 || i == 13 || i == 18 || i == 23;
      if (dash ? text[i] != '-' : HexValue(text[i]) < 0) return Guid{};
    }
    for (int i = 0; i < 16; ++i) {
      const int hi = HexValue(text[kTextPos[i]]);
      const int lo = HexValue(text[kTextPos[i] + 1]);
      guid.bytes[static_cast<std::size_t>(kMemPos[i])] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return guid;
  }

  // The braced upper-case text form, e.g. "{691097CA-7049-4CD5-87C2-EACC97B80BBE}".
  ORVHOST_API std::string ToString() const;

  friend constexpr bool operator==(const Guid& a, const Guid& b) {
    for (std::size_t i = 0; i < 16; ++i)
      if (a.bytes[i] != b.bytes[i]) return false;
    return true;
  }
  friend constexpr bool operator!=(const Guid& a, const Guid& b) { return !(a == b); }

 private:
  static constexpr int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  }
};
static_assert(sizeof(Guid) == 16, "a GUID is 16 bytes");

// The identifier that a fresh record carries until a real one is set: every byte 0x11.
inline constexpr Guid UNSET_TYPE_ID = Guid::Parse("11111111-1111-1111-1111-111111111111");

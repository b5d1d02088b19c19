#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <type_traits>

// Numbers in the XML texts, written as a std::ostringstream with default
// flags in the classic locale writes them: an int in decimal with its sign,
// an unsigned 32-bit value in decimal, a float in general notation with six
// significant digits (exponent form below 1e-4 and from 1e6 on, at least two
// exponent digits), "inf", "-inf", "nan" and "-nan". std::to_chars gives those
// very bytes without a stream or a locale per number; the tests compare the
// two over many millions of floats. The one place both XML writers format
// numbers.
namespace Importing::xml {

template <class Number>
void AppendNumber(std::string& text, Number value) {
  static_assert(std::is_same_v<Number, float> || std::is_same_v<Number, std::int32_t> ||
                    std::is_same_v<Number, std::uint32_t>,
                "the XML texts hold floats, ints and unsigned 32-bit values only");
  char buffer[32];  // "-1.17549e-38" is the longest float text
  std::to_chars_result result;
  if constexpr (std::is_same_v<Number, float>) {
    result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
  } else {
    result = std::to_chars(buffer, buffer + sizeof buffer, value);
  }
  text.append(buffer, result.ptr);
}

}  // namespace Importing::xml

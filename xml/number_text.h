#pragma once

#include <cstdint>
#include <sstream>
#include <string>
#include <type_traits>

// Numbers in the XML texts: each written as a fresh std::ostringstream with
// default flags writes it. An int in decimal with its sign, an unsigned
// 32-bit value in decimal, a float in general notation with six significant
// digits (exponent form below 1e-4 and from 1e6 on). The one place both XML
// writers format numbers, so that a faster formatter can replace it here.
namespace Importing::xml {

template <class Number>
void AppendNumber(std::string& text, Number value) {
  static_assert(std::is_same_v<Number, float> || std::is_same_v<Number, std::int32_t> ||
                    std::is_same_v<Number, std::uint32_t>,
                "the XML texts hold floats, ints and unsigned 32-bit values only");
  std::ostringstream stream;
  stream << value;
  text += stream.str();
}

}  // namespace Importing::xml

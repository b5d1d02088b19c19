#pragma once

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "session/query_table.h"

// How numbers and coded values are written for people, and how typed
// numbers are read: the one place of these rules for every host. (The XML
// texts keep their own exact rules, in xml/number_text.h.)
namespace sci {

// Appends the shortest text that reads back as the same float ("2", "0.1").
inline void AppendFloat(std::string& out, float value) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

// Appends a float for a person to read: whole numbers as integers (100000,
// never 1e+05), any other value as AppendFloat writes it.
inline void AppendNumber(std::string& out, float value) {
  if (value == std::trunc(value) && std::fabs(value) < 1e15f && !(value == 0 && std::signbit(value))) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(value));
    out.append(buffer, result.ptr);
    return;
  }
  AppendFloat(out, value);
}

inline std::string NumberText(float value) {
  std::string text;
  AppendNumber(text, value);
  return text;
}

// Parses the whole of `text` as a finite float; false for anything else.
inline bool ParseFloat(std::string_view text, float* value) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const char* end = text.data() + text.size();
  const auto result = std::from_chars(text.data(), end, *value);
  return !text.empty() && result.ec == std::errc() && result.ptr == end && std::isfinite(*value);
}

// "point", "spot", "directional", ...; "unknown" for any other value.
const char* LightTypeName(int type);

// "point list", "line list", "triangle list"; "none" for any other value.
const char* PrimitiveTypeName(int code);

// What to write after the number of a Value answer of `info`, for people:
// " (spot)" for light type 2, " rad (45 degrees)" for an angle, " (none)"
// for the range of a light without one, " s (2400 ticks)" for a key time,
// " (none)" for an ID of -1 that a search answers. Empty when the number
// says it all.
std::string ValueSuffix(const InfoTypeInfo& info, float value);

// The name of a coded value for JSON's "names": a light type's name, or
// "none" for a value that marks an absence. Empty when it has none.
std::string ValueName(const InfoTypeInfo& info, float value);

// The conventions behind the numbers, for the end of the query list.
const char* NumberConventions();

}  // namespace sci

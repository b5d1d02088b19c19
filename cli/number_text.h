#pragma once

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

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

}  // namespace sci

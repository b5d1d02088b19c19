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

inline std::string FloatText(float value) {
  std::string text;
  AppendFloat(text, value);
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

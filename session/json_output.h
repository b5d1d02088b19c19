#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "session/answer.h"
#include "session/text_sink.h"

namespace sci {

// JSON with keys in insertion order and floats kept as 32-bit floats, so
// that each prints as the shortest text that reads back to the same float.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t,
                                  std::uint64_t, float>;

// A float as JSON: whole numbers as integers (IDs and counts read as 2, not
// 2.0), anything else as the float itself.
Json JsonNumber(float value);
// The same as text: the shortest that reads back to the same float; null
// for infinities and NaN, as the JSON library writes them.
void AppendJsonNumber(std::string& out, float value);
Json JsonVector(const D3DXVECTOR3& v);

// Writes {"query", "info_type", "inputs", "outputs", "names", "messages"}
// for one query, on one line without the line break. "outputs" holds the
// channel's raw values; "names" the name of each output that has one
// ("spot" for a light type, "none" for an absent range or ID). Meshes and
// key lists are written piece by piece, spilling to the sink as they go.
void WriteAnswerJson(const Answer& answer, TextSink& sink);

// One line of JSON text; bytes that are not UTF-8 become U+FFFD.
std::string DumpLine(const Json& json);

}  // namespace sci

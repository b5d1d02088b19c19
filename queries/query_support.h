#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "host/d3dx_math.h"
#include "host/orv_channel.h"
#include "host/value_channels.h"
#include "queries/messages.h"
#include "scene/records.h"

// The check-and-write pattern that every query follows:
//   1. its children present, tested in ascending order (Children);
//   2. an input read from a Value child and truncated toward zero (ReadInput);
//   3. checked against a count, with the input's message on failure (ReadIndex);
//   4. the answer written (Answer) or the failure value written (Failed).
// A query reads as: fetch children, read and check, answer.
namespace Importing::query {

inline constexpr int kOk = 0;
inline constexpr int kFailed = -1;

// Children 1..N of `channel` as the kinds given, or nothing when one is
// missing or of another kind. Tested in ascending index; stops at the first gap.
template <class... Kinds>
std::optional<std::tuple<Kinds*...>> Children(const Orv_Channel& channel) {
  std::tuple<Kinds*...> children;
  bool present = true;
  int index = 1;
  std::apply(
      [&](auto*&... child) {
        ((present = present && (child = dynamic_cast<std::remove_reference_t<decltype(*child)>*>(
                                    channel.GetChild(index++))) != nullptr),
         ...);
      },
      children);
  if (!present) return std::nullopt;
  return children;
}

// A float truncated toward zero to a 32-bit signed integer; NaN and values
// outside the 32-bit range give the most negative integer, which no range
// check accepts.
std::int32_t TruncateToInt32(float value);

inline std::int32_t ReadInput(const ValueChannel& input) { return TruncateToInt32(input.GetValue()); }

// Reads `input` and checks 0 <= value < count. On failure shows `message`
// through `channel`'s host and returns false.
bool ReadIndex(const Orv_Channel& channel, const ValueChannel& input, std::size_t count, const char* message,
               std::int32_t& value);

// Text of a Text input; a null text counts as the empty string.
std::string ReadText(const TextChannel& input);

// Write an answer and return kOk. Integers are written as floats; an
// unsigned element of an ID list is converted as unsigned.
int Answer(ValueChannel& output, std::int32_t value);
int Answer(ValueChannel& output, std::uint32_t value);
int Answer(ValueChannel& output, std::size_t count);
int Answer(ValueChannel& output, float value);
int Answer(TextChannel& output, const std::string& text);
int Answer(MatrixChannel& output, const D3DXMATRIX& matrix);
int Answer(ValueVectorChannel& output, const D3DXVECTOR3& vector);

// Write a kind's failure value and return kFailed: -1, the empty text, the
// identity matrix, (0, 0, 0). Failed() leaves every output as it was.
inline int Failed() { return kFailed; }
int Failed(ValueChannel& output);
int Failed(TextChannel& output);
int Failed(MatrixChannel& output);
int Failed(ValueVectorChannel& output);

// --- Owner search -----------------------------------------------------------
// The lowest ID of a node whose ID list `list` (SurfaceIDs, CameraIDs or
// LightIDs) holds `id`, elements compared as 32-bit values; -1 when no node
// does. A linear scan, made afresh on every call.
std::int32_t FindOwnerNode(const std::vector<Node>& nodes, std::vector<std::uint32_t> Node::*list, std::int32_t id);

}  // namespace Importing::query

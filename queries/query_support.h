#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
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
// The shapes most queries share (no input; one ID; an ID and a number into a
// list of that record) are written once below, so that such a query is one
// call that names its collection, message, failure policy and answer.
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

// The red, green and blue of a colour; the alpha is not passed on.
inline D3DXVECTOR3 Rgb(const Color& colour) { return D3DXVECTOR3{colour.r, colour.g, colour.b}; }

// Write a kind's failure value and return kFailed: -1, the empty text, the
// identity matrix, (0, 0, 0). Failed() leaves every output as it was.
inline int Failed() { return kFailed; }
int Failed(ValueChannel& output);
int Failed(TextChannel& output);
int Failed(MatrixChannel& output);
int Failed(ValueVectorChannel& output);

// What a range failure leaves in the output: KeepOutput leaves it as it was,
// WriteFailureValue writes the failure value of its kind (see Failed).
struct KeepOutput {};
struct WriteFailureValue {};
inline constexpr KeepOutput kKeepOutput{};
inline constexpr WriteFailureValue kWriteFailureValue{};

template <class Output>
int Fail(Output&, KeepOutput) {
  return kFailed;
}
template <class Output>
int Fail(Output& output, WriteFailureValue) {
  return Failed(output);
}

// Answers with a list element as it is.
struct AsIs {
  template <class T>
  const T& operator()(const T& value) const {
    return value;
  }
};

// A query without inputs: child 1 an `Output`, written with `answer()`.
template <class Output, class Answerer>
int AnswerWithoutInput(const Orv_Channel& channel, Answerer answer) {
  const auto children = Children<Output>(channel);
  if (!children) return kFailed;
  return Answer(*std::get<0>(*children), answer());
}

// A query with one ID: child 1 a Value holding an ID below `count`, child 2
// an `Output`. A valid ID writes `answer(id)`; a bad one shows `message` and
// applies `onFailure` to the output.
template <class Output, class OnFailure, class Answerer>
int AnswerForIndex(const Orv_Channel& channel, std::size_t count, const char* message, OnFailure onFailure,
                   Answerer answer) {
  const auto children = Children<ValueChannel, Output>(channel);
  if (!children) return kFailed;
  const auto [idIn, out] = *children;
  std::int32_t id;
  if (!ReadIndex(channel, *idIn, count, message, id)) return Fail(*out, onFailure);
  return Answer(*out, answer(id));
}

// As AnswerForIndex, with the ID selecting a record of `records`; writes
// `answer(record)` (a callable or a member of the record).
template <class Output, class Records, class OnFailure, class Answerer>
int AnswerForID(const Orv_Channel& channel, const Records& records, const char* message, OnFailure onFailure,
                Answerer answer) {
  return AnswerForIndex<Output>(channel, records.size(), message, onFailure, [&](std::int32_t id) {
    return std::invoke(answer, records[static_cast<std::size_t>(id)]);
  });
}

// A query with an ID and a number: child 1 a Value holding an ID into
// `records`, child 2 a Value holding a number into the list `listOf(record)`
// (a callable or a member), child 3 an `Output`. The number is read only
// once the ID has passed; either failure shows its own message and applies
// `onFailure` to the output. A valid pair writes `answer(element)`.
template <class Output, class Records, class ListOf, class OnFailure, class Answerer = AsIs>
int AnswerForElement(const Orv_Channel& channel, const Records& records, const char* idMessage, ListOf listOf,
                     const char* numberMessage, OnFailure onFailure, Answerer answer = {}) {
  const auto children = Children<ValueChannel, ValueChannel, Output>(channel);
  if (!children) return kFailed;
  const auto [idIn, numberIn, out] = *children;
  std::int32_t id, number;
  if (!ReadIndex(channel, *idIn, records.size(), idMessage, id)) return Fail(*out, onFailure);
  const auto& list = std::invoke(listOf, records[static_cast<std::size_t>(id)]);
  if (!ReadIndex(channel, *numberIn, list.size(), numberMessage, number)) return Fail(*out, onFailure);
  return Answer(*out, std::invoke(answer, list[static_cast<std::size_t>(number)]));
}

// --- Owner search -----------------------------------------------------------
// The lowest ID of a node whose ID list `list` (SurfaceIDs, CameraIDs or
// LightIDs) holds `id`, elements compared as 32-bit values; -1 when no node
// does. A linear scan, made afresh on every call.
std::int32_t FindOwnerNode(const std::vector<Node>& nodes, std::vector<std::uint32_t> Node::*list, std::int32_t id);

}  // namespace Importing::query

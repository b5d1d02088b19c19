#include "queries/query_support.h"

#include <cmath>
#include <limits>

#include "scene/records.h"

namespace Importing::query {

std::int32_t TruncateToInt32(float value) {
  constexpr std::int32_t kInvalid = std::numeric_limits<std::int32_t>::min();
  // 2^31 is exactly representable; everything from it upward overflows.
  if (std::isnan(value) || value >= 2147483648.0f || value < -2147483648.0f) return kInvalid;
  return static_cast<std::int32_t>(value);
}

bool ReadIndex(const Orv_Channel& channel, const ValueChannel& input, std::size_t count, const char* message,
               std::int32_t& value) {
  value = ReadInput(input);
  if (value >= 0 && static_cast<std::size_t>(value) < count) return true;
  channel.ShowDebugMessage(message);
  return false;
}

std::string ReadText(const TextChannel& input) {
  const char* text = input.GetText();
  return text ? std::string(text) : std::string();
}

int Answer(ValueChannel& output, std::int32_t value) {
  output.SetValue(static_cast<float>(value));
  return kOk;
}

int Answer(ValueChannel& output, std::uint32_t value) {
  output.SetValue(static_cast<float>(value));
  return kOk;
}

int Answer(ValueChannel& output, std::size_t count) {
  return Answer(output, static_cast<std::int32_t>(count));
}

int Answer(ValueChannel& output, float value) {
  output.SetValue(value);
  return kOk;
}

int Answer(TextChannel& output, const std::string& text) {
  output.SetText(text.c_str());
  return kOk;
}

int Answer(MatrixChannel& output, const D3DXMATRIX& matrix) {
  output.SetMatrix(&matrix);
  return kOk;
}

int Answer(ValueVectorChannel& output, const D3DXVECTOR3& vector) {
  output.SetVector(vector);
  return kOk;
}

int Failed(ValueChannel& output) {
  output.SetValue(-1.0f);
  return kFailed;
}

int Failed(TextChannel& output) {
  output.SetText("");
  return kFailed;
}

int Failed(MatrixChannel& output) {
  const D3DXMATRIX identity = Transform::Indentity;
  output.SetMatrix(&identity);
  return kFailed;
}

int Failed(ValueVectorChannel& output) {
  output.SetVector(D3DXVECTOR3{0, 0, 0});
  return kFailed;
}

// --- Owner search -----------------------------------------------------------

std::int32_t FindOwnerNode(const std::vector<Node>& nodes, std::vector<std::uint32_t> Node::*list, std::int32_t id) {
  const auto wanted = static_cast<std::uint32_t>(id);
  for (std::size_t node = 0; node < nodes.size(); ++node)
    for (std::uint32_t element : nodes[node].*list)
      if (element == wanted) return static_cast<std::int32_t>(node);
  return -1;
}

}  // namespace Importing::query

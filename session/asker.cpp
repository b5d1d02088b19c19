#include "session/asker.h"

#include <cmath>

namespace sci {

const Answer& Asker::Run(Importing::SCI_INFO_TYPE type, float first, float second) {
  const InfoTypeInfo* info = Importing::FindInfoType(type);
  if (request_.info != info) {
    request_.info = info;
    request_.inputs.clear();
    for (const QueryChild& child : Inputs(*info)) request_.inputs.push_back({child, 0, {}});
  }
  if (!request_.inputs.empty()) request_.inputs[0].number = first;
  if (request_.inputs.size() > 1) request_.inputs[1].number = second;
  const Answer& answer = session_.Run(request_);
  messages_.insert(messages_.end(), answer.messages.begin(), answer.messages.end());
  return answer;
}

float Asker::Value(Importing::SCI_INFO_TYPE type, float first, float second) {
  const float* value = FirstOutput<float>(Run(type, first, second));
  return value ? *value : -1.0f;
}

std::string Asker::Text(Importing::SCI_INFO_TYPE type, float first, float second) {
  const TextValue* value = FirstOutput<TextValue>(Run(type, first, second));
  return value && value->text ? value->text : std::string();
}

int Asker::Id(Importing::SCI_INFO_TYPE type, float first, float second) {
  const float value = Value(type, first, second);
  // IDs and counts come as floats; anything not a whole int is no ID.
  if (!(value >= -2147483648.0f && value < 2147483648.0f) || value != std::trunc(value)) return -1;
  return static_cast<int>(value);
}

}  // namespace sci

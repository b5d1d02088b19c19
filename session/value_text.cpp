#include "session/value_text.h"

#include <cfloat>
#include <cmath>

#include "scene/records.h"

namespace sci {

namespace {

using namespace Importing;

// The importer gives a light without a range the square root of the largest float.
const float kNoRange = std::sqrt(FLT_MAX);

// The meaning of the query's one Value output; Plain for a query without one.
OutputMeaning ValueMeaning(const InfoTypeInfo& info) {
  for (int index = 1; index <= FurtherChildCount(info); ++index)
    if (IsOutputChild(info, index) && info.children[index - 1].kind == ChildKind::Value)
      return MeaningOf(info, index).output;
  return OutputMeaning::Plain;
}

}  // namespace

const char* LightTypeName(int type) {
  switch (type) {
    case Light::LIGHT_POINT: return "point";
    case Light::LIGHT_SPOT: return "spot";
    case Light::LIGHT_DIRECTIONAL: return "directional";
    case Light::LIGHT_AMBIENT: return "ambient";
    case Light::LIGHT_AREA: return "area";
    default: return "unknown";
  }
}

const char* PrimitiveTypeName(int code) {
  switch (code) {
    case 1: return "point list";
    case 2: return "line list";
    case 4: return "triangle list";
    default: return "none";
  }
}

std::string ValueName(const InfoTypeInfo& info, float value) {
  const OutputMeaning meaning = ValueMeaning(info);
  if (meaning == OutputMeaning::LightType && value >= 0) return LightTypeName(static_cast<int>(value));
  if (meaning == OutputMeaning::RangeOrNone && value == kNoRange) return "none";
  if (value == -1 && meaning == OutputMeaning::IDOrNone) return "none";
  return {};
}

std::string ValueSuffix(const InfoTypeInfo& info, float value) {
  const OutputMeaning meaning = ValueMeaning(info);
  if (meaning == OutputMeaning::Angle && value >= 0) {
    const double degrees = std::round(static_cast<double>(value) * 180.0 / M_PI * 100.0) / 100.0;
    return " rad (" + NumberText(static_cast<float>(degrees)) + " degrees)";
  }
  if (meaning == OutputMeaning::Seconds && value >= 0)
    return " s (" + NumberText(std::round(value * static_cast<float>(TICKS_PER_SECOND))) + " ticks)";
  if (meaning == OutputMeaning::Flag && (value == 0 || value == 1)) return value == 1 ? " (yes)" : " (no)";
  const std::string name = ValueName(info, value);
  return name.empty() ? name : " (" + name + ")";
}

const char* NumberConventions() {
  return "Numbers: IDs and numbers count from 0; -1 marks a failed query or, where a search answers it, none.\n"
         "Matrices: 4x4, row vectors (a point is multiplied as v * M), translation in the last row;\n"
         "  --json writes the 16 numbers row by row. Global matrices are local ones times the parent's.\n"
         "Angles (field of view, cone angles): full angles in radians. Light types: 0 unknown, 1 point,\n"
         "  2 spot, 3 directional, 4 ambient, 5 area. A light without a range answers 1.8446743e+19.\n"
         "Times: animation-time answers seconds; key lists (animation) give ticks of 1/4800 second.\n";
}

}  // namespace sci

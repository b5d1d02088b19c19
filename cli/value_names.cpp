#include "cli/value_names.h"

#include "scene/records.h"

namespace sci {

const char* LightTypeName(int type) {
  using Light = Importing::Light;
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

}  // namespace sci

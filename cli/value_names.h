#pragma once

// Names for the numbers that some answers are coded as.
namespace sci {

// "point", "spot", "directional", ...; "unknown" for any other value.
const char* LightTypeName(int type);

// "point list", "line list", "triangle list"; "none" for any other value.
const char* PrimitiveTypeName(int code);

}  // namespace sci

#pragma once

#include <string>

#include "cli/query_table.h"

namespace sci {

// What to write after the number of a Value answer of `info`, for people:
// " (spot)" for light type 2, " rad (45 degrees)" for an angle, " (none)"
// for the range of a light without one, " s (2400 ticks)" for a key time,
// " (none)" for an ID of -1 that a search answers. Empty when the number
// says it all.
std::string ValueSuffix(const InfoTypeInfo& info, float value);

// The name of a coded value for JSON's "names": a light type's name, or
// "none" for a value that marks an absence. Empty when it has none.
std::string ValueName(const InfoTypeInfo& info, float value);

// The conventions behind the numbers, for the end of the query list.
const char* NumberConventions();

}  // namespace sci

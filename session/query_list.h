#pragma once

#include <string>

namespace sci {

// The queries with number, short name, inputs and outputs, as a person
// reads them or as JSON (one array).
std::string QueryListText();
std::string QueryListJson();

}  // namespace sci

#pragma once

#include <string>

namespace sci {

// The file extensions that scenes can be read from, in columns for a person
// or as one JSON array of extensions without the dot.
std::string FormatListText();
std::string FormatListJson();

}  // namespace sci

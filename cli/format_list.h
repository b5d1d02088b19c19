#pragma once

#include <string>

namespace sci {

// The file extensions that scenes can be read from, in columns for a person
// or as one JSON array of extensions without the dot.
// Empty when the readers cannot be asked; `error` says why.
std::string FormatListText(std::string* error);
std::string FormatListJson(std::string* error);

}  // namespace sci

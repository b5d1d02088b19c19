#pragma once

#include <string>
#include <string_view>

namespace sci {

// Reads the file of the inspector's page that `requestPath` (the URL path
// after the first '/') names under `root`: "" and paths ending in '/' name
// their index.html. Only .html, .css and .js files are served, and no path
// with an empty, "." or ".." segment. Returns the MIME type, or null when
// there is no such page file.
const char* ReadPageFile(const std::string& root, std::string_view requestPath, std::string* bytes);

}  // namespace sci

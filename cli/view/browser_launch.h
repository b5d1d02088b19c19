#pragma once

#include <string>

namespace sci {

// Opens `url` in the desktop's default browser (xdg-open), without waiting
// for it. False when there is no display or the opener cannot be started.
bool OpenInBrowser(const std::string& url);

}  // namespace sci

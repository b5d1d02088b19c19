#pragma once

#include <string>
#include <string_view>

namespace sci {

// Appends `text` safe for a terminal: tab, line feed and carriage return as
// \t, \n and \r, other control characters and bytes that are not UTF-8 as
// \xHH; valid UTF-8 beyond ASCII as it is.
void AppendPrintable(std::string& out, std::string_view text);
std::string Printable(std::string_view text);

// Appends `text` as it is but for control characters other than tab, line
// feed and carriage return, which become \xHH: for texts whose layout and
// bytes matter (XML), shown on a terminal without driving it.
void AppendWithoutControls(std::string& out, std::string_view text);

}  // namespace sci

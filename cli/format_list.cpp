#include "cli/format_list.h"

#include <algorithm>
#include <vector>

#include "scene/import/import_settings.h"
#include "session/json_output.h"

namespace sci {

namespace {

constexpr std::size_t kLineWidth = 80;

// "*.3ds;*.dae;..." as {"3ds", "dae", ...}; none when the readers cannot
// be asked, and `error` says why.
std::vector<std::string> Extensions(std::string* error) {
  std::vector<std::string> extensions;
  const std::string all = Importing::Import::ReadableExtensions(error);
  for (std::size_t start = 0; start < all.size();) {
    const std::size_t end = std::min(all.find(';', start), all.size());
    std::string item = all.substr(start, end - start);
    if (item.rfind("*.", 0) == 0) item.erase(0, 2);
    if (!item.empty()) extensions.push_back(item);
    start = end + 1;
  }
  return extensions;
}

}  // namespace

std::string FormatListText(std::string* error) {
  const auto extensions = Extensions(error);
  if (extensions.empty()) return {};
  std::size_t width = 0;
  for (const auto& extension : extensions) width = std::max(width, extension.size() + 1);
  width += 2;
  const std::size_t columns = std::max<std::size_t>(1, kLineWidth / width);
  const std::size_t rows = (extensions.size() + columns - 1) / columns;
  std::string text = "Scenes are read from files with these extensions (any case); a file with another\n"
                     "extension or none is read when a reader recognises its content.\n";
  // Down the columns, as ls lists files.
  for (std::size_t row = 0; row < rows; ++row) {
    std::string line;
    for (std::size_t column = 0; column < columns; ++column) {
      const std::size_t index = column * rows + row;
      if (index >= extensions.size()) break;
      line += "  ." + extensions[index];
      line.append(width - 2 - extensions[index].size() - 1, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + '\n';
  }
  return text;
}

std::string FormatListJson(std::string* error) {
  const auto extensions = Extensions(error);
  return extensions.empty() ? std::string() : DumpLine(Json(extensions)) + '\n';
}

}  // namespace sci

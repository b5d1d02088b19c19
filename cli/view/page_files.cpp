#include "cli/view/page_files.h"

#include "cli/locations.h"
#include "session/texture_files.h"

namespace sci {

namespace {

const char* ContentType(std::string_view path) {
  const auto ends = [&](std::string_view suffix) {
    return path.size() >= suffix.size() && path.substr(path.size() - suffix.size()) == suffix;
  };
  if (ends(".html")) return "text/html; charset=utf-8";
  if (ends(".css")) return "text/css; charset=utf-8";
  if (ends(".js")) return "text/javascript; charset=utf-8";
  return nullptr;
}

bool SafeSegments(std::string_view path) {
  for (std::size_t start = 0; start <= path.size();) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    const std::string_view segment = path.substr(start, end - start);
    if (segment.empty() || segment == "." || segment == ".." || segment.find('\\') != std::string_view::npos)
      return false;
    start = end + 1;
  }
  return true;
}

}  // namespace

const char* ReadPageFile(const std::string& root, std::string_view requestPath, std::string* bytes) {
  std::string path(requestPath);
  if (path.empty() || path.back() == '/') path += "index.html";
  const char* type = ContentType(path);
  if (type == nullptr || !SafeSegments(path)) return nullptr;
  const std::string file = root + '/' + path;
  return FileExists(file) && ReadFileBytes(file, bytes) ? type : nullptr;
}

}  // namespace sci

#include "cli/locations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <filesystem>

namespace sci {

std::string ExecutableDir() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  const std::string exe(path, static_cast<std::size_t>(length));
  const auto slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

namespace {

std::string Beside(const std::string& exeDir, const std::string& relative) {
  return std::filesystem::path(exeDir + "/" + relative).lexically_normal().string();
}

}  // namespace

std::vector<std::string> PluginCandidates(const std::string& exeDir) {
  const std::string file = SCI_PLUGIN_FILE_NAME;
  std::vector<std::string> candidates;
  if (exeDir.empty()) return candidates;
  candidates.push_back(Beside(exeDir, SCI_PLUGIN_DIR_FROM_BIN "/" + file));
  candidates.push_back(Beside(exeDir, "../lib/" + file));
  return candidates;
}

std::string DemoScenePath(const std::string& exeDir) {
  const std::string installed = Beside(exeDir, SCI_DEMO_FROM_BIN);
  if (!exeDir.empty() && FileExists(installed)) return installed;
  if (FileExists(SCI_DEMO_SOURCE_PATH)) return SCI_DEMO_SOURCE_PATH;
  return {};
}

bool FileExists(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool IsDirectory(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace sci

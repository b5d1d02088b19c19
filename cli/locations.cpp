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

std::vector<std::string> PluginCandidates(const std::string& exeDir) {
  const std::string file = SCI_PLUGIN_FILE_NAME;
  std::vector<std::string> candidates;
  if (!exeDir.empty()) {
    candidates.push_back(exeDir + "/" + file);
    candidates.push_back(exeDir + "/../lib/" + file);
  }
  candidates.push_back(std::string(SCI_INSTALL_LIBDIR) + "/" + file);
  return candidates;
}

std::string DemoScenePath(const std::string& exeDir) {
  const std::string installed =
      std::filesystem::path(exeDir + "/../" SCI_DEMO_INSTALL_PATH).lexically_normal().string();
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

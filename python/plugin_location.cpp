#include "python/plugin_location.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <climits>

namespace sceneinfo {

namespace {

bool IsFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

std::string FindPlugin(std::string* error) {
  // The host library is already loaded (this module links it), so this
  // only finds it; the reference taken is given back at once.
  void* host = dlopen(SCI_HOST_LIBRARY_FILE_NAME, RTLD_LAZY | RTLD_NOLOAD);
  char origin[PATH_MAX] = "";
  const bool found = host != nullptr && dlinfo(host, RTLD_DI_ORIGIN, origin) == 0;
  if (host != nullptr) dlclose(host);
  if (!found) {
    *error = "cannot tell the folder of the host library " SCI_HOST_LIBRARY_FILE_NAME;
    return {};
  }
  const std::string folder(origin);
  const std::string candidates[] = {folder + "/" SCI_LIBDIR_TO_PLUGINDIR "/" SCI_PLUGIN_FILE_NAME,
                                    folder + "/" SCI_PLUGIN_FILE_NAME};
  for (const std::string& candidate : candidates)
    if (IsFile(candidate)) return candidate;
  *error = "cannot find the plug-in; looked for";
  for (const std::string& candidate : candidates) *error += "\n  " + candidate;
  return {};
}

}  // namespace sceneinfo

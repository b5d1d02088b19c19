#include "python/plugin_location.h"

#include <dlfcn.h>
#include <link.h>

#include <climits>

namespace sceneinfo {

std::string PluginBesideHostLibrary(std::string* error) {
  // The host library is already loaded (this module links it), so this
  // only finds it; the reference taken is given back at once.
  void* host = dlopen(SCI_HOST_LIBRARY_FILE_NAME, RTLD_LAZY | RTLD_NOLOAD);
  if (host == nullptr) {
    *error = std::string("cannot locate the loaded host library " SCI_HOST_LIBRARY_FILE_NAME ": ") + dlerror();
    return {};
  }
  char origin[PATH_MAX] = "";
  const bool found = dlinfo(host, RTLD_DI_ORIGIN, origin) == 0;
  dlclose(host);
  if (!found) {
    *error = "cannot tell the folder of the host library " SCI_HOST_LIBRARY_FILE_NAME;
    return {};
  }
  return std::string(origin) + "/" SCI_PLUGIN_FILE_NAME;
}

}  // namespace sceneinfo

#include "scene/import/import_helper.h"

#include <dlfcn.h>
#include <limits.h>
#include <stdlib.h>
#include <unistd.h>

#include "scene/import/build_id.h"
#include "scene/snapshot/snapshot.h"


namespace Importing::Import {
namespace {

// The file of the shared object or program holding `code`.
std::string ObjectPath(void* code) {
  Dl_info info{};
  char resolved[PATH_MAX];
  const bool found = ::dladdr(code, &info) != 0 && info.dli_fname != nullptr &&
                     ::realpath(info.dli_fname, resolved) != nullptr;
  std::string path = found ? resolved : "";
  if (path.empty()) {
    const ssize_t size = ::readlink("/proc/self/exe", resolved, sizeof resolved - 1);
    if (size <= 0) return {};
    path.assign(resolved, static_cast<std::size_t>(size));
  }
  return path;
}

// The folder of the shared object or program holding this code.
std::string OwnDir() {
  const std::string path = ObjectPath(reinterpret_cast<void*>(&OwnDir));
  return path.substr(0, path.rfind('/'));
}

}  // namespace

std::vector<std::string> ImportHelperCandidates() {
  std::vector<std::string> candidates;
  const std::string dir = OwnDir();
  if (!dir.empty()) {
    candidates.push_back(dir + "/sci-import");                          // build tree, or beside a program
    candidates.push_back(dir + "/" SCI_IMPORT_HELPER_LIBDIR_RELATIVE);  // from the library folder
    candidates.push_back(dir + "/" SCI_IMPORT_HELPER_BINDIR_RELATIVE);  // from the program folder
  }
  candidates.push_back(SCI_IMPORT_HELPER_BUILD_PATH);
  candidates.push_back(SCI_IMPORT_HELPER_INSTALL_PATH);
  return candidates;
}

std::string FindImportHelper() {
  for (const std::string& candidate : ImportHelperCandidates())
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  return {};
}

std::string ImportBuildId(const std::string& helper) {
  return ExecutableBuildId(helper) + "+" + ExecutableBuildId(ObjectPath(reinterpret_cast<void*>(&SaveSnapshot)));
}

}  // namespace Importing::Import

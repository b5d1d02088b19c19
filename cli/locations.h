#pragma once

#include <string>
#include <vector>

// Where sci finds the files it needs besides the scene: the plug-in library
// and the bundled demo scene.
namespace sci {

// The directory of the running executable ("" when it cannot be told).
std::string ExecutableDir();

// The plug-in paths to try, in order: the installed plug-in folder, then
// ../lib as in the build tree; both relative to sci, wherever it lies.
std::vector<std::string> PluginCandidates(const std::string& exeDir);

// The demo scene: installed relative to sci under share, else the one in the
// source tree sci was built from. Empty when neither exists.
std::string DemoScenePath(const std::string& exeDir);

bool FileExists(const std::string& path);
bool IsDirectory(const std::string& path);

}  // namespace sci

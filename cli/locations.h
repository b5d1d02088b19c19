#pragma once

#include <string>
#include <vector>

// Where sci finds the files it needs besides the scene: the plug-in library
// and the bundled demo scene.
namespace sci {

// The directory of the running executable ("" when it cannot be told).
std::string ExecutableDir();

// The plug-in paths to try, in order: beside sci, in ../lib, then in the
// install library directory.
std::vector<std::string> PluginCandidates(const std::string& exeDir);

// The demo scene: installed beside sci under ../share, else the one in the
// source tree sci was built from. Empty when neither exists.
std::string DemoScenePath(const std::string& exeDir);

bool FileExists(const std::string& path);
bool IsDirectory(const std::string& path);

}  // namespace sci

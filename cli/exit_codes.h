#pragma once

namespace sci {

// What the process tells its caller.
enum ExitCode : int {
  kExitOk = 0,
  kExitBadInput = 1,        // a query showed a debug message (an input out of range)
  kExitUsage = 2,           // the command line or a batch line was wrong
  kExitSceneUnreadable = 3, // the scene file could not be imported
  kExitPluginUnusable = 4,  // the plug-in library could not be loaded
  kExitServer = 5,          // sci --view could not serve (page not installed, port taken)
};

}  // namespace sci

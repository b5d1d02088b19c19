#include "cli/run_report.h"

#include <cstdio>

#include "cli/exit_codes.h"
#include "session/json_output.h"

namespace sci {

namespace {

// The message of a failure that came with none of its own.
const char* ExitMeaning(int exitCode) {
  switch (exitCode) {
    case kExitBadInput: return "a query reported a bad input";
    case kExitUsage: return "usage error";
    case kExitSceneUnreadable: return "the scene could not be read";
    case kExitPluginUnusable: return "the plug-in could not be loaded";
    case kExitServer: return "sci --view could not serve";
    default: return "failed";
  }
}

}  // namespace

void RunReport::Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  answered_ = true;
}

void RunReport::Fail(const std::string& message) {
  std::fprintf(stderr, "sci: %s\n", message.c_str());
  messages_.push_back(message);
}

void RunReport::Warn(const std::string& message) { std::fprintf(stderr, "sci: warning: %s\n", message.c_str()); }

int RunReport::Finish(int exitCode) {
  if (exitCode == kExitOk || !json_ || answered_) return exitCode;
  std::string message;
  for (const auto& line : messages_) message += (message.empty() ? "" : "\n") + line;
  const sci::Json error{{"exit", exitCode},
                        {"file", scene_.empty() ? sci::Json() : sci::Json(scene_)},
                        {"message", message.empty() ? ExitMeaning(exitCode) : message}};
  const std::string line = DumpLine(sci::Json{{"error", error}}) + '\n';
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
  return exitCode;
}

}  // namespace sci

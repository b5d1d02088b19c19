// sci: answers any of the channel's queries about a 3D file from the command
// line, through the real plug-in loaded into a small host.

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"
#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/locations.h"
#include "cli/options.h"
#include "cli/progress.h"
#include "cli/query_list.h"
#include "cli/query_session.h"
#include "cli/summary.h"
#include "cli/text_output.h"

namespace sci {
namespace {

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

void Fail(const std::string& message) { std::fprintf(stderr, "sci: %s\n", message.c_str()); }

// Loads the plug-in named on the command line, or the first one found in
// the usual places.
bool LoadPlugin(QuerySession& session, const std::string& requested, std::string* error) {
  if (!requested.empty()) return session.LoadPlugin(requested, error);
  const auto candidates = PluginCandidates(ExecutableDir());
  for (const auto& candidate : candidates)
    if (FileExists(candidate)) return session.LoadPlugin(candidate, error);
  *error = "cannot find the plug-in; looked for";
  for (const auto& candidate : candidates) *error += "\n  " + candidate;
  *error += "\n(use --plugin PATH to name it)";
  return false;
}

int Run(int argc, const char* const* argv) {
  int exitCode = kExitOk;
  const auto options = ParseCommandLine(argc, argv, &exitCode);
  if (!options) return exitCode;

  if (options->list) {
    if (!options->words.empty() || !options->batchFile.empty()) {
      Fail("--list takes no scene, query or batch file");
      return kExitUsage;
    }
    Print(options->output.json ? QueryListJson() : QueryListText());
    return kExitOk;
  }

  // Read the query before anything is loaded, so that a usage error costs nothing.
  std::string scenePath;
  std::vector<std::string> queryWords;
  SplitSceneAndQuery(options->words, &scenePath, &queryWords);
  if (!options->batchFile.empty() && !queryWords.empty()) {
    Fail("with --batch the queries come from the batch file; give at most a scene on the command line");
    return kExitUsage;
  }
  QueryRequest request;
  if (!queryWords.empty()) {
    std::string error;
    if (!ParseQuery(std::vector<std::string_view>(queryWords.begin(), queryWords.end()), &request, &error)) {
      Fail(error);
      return kExitUsage;
    }
  }
  std::FILE* batch = nullptr;
  if (!options->batchFile.empty()) {
    batch = options->batchFile == "-" ? stdin : std::fopen(options->batchFile.c_str(), "r");
    if (batch == nullptr) {
      Fail("cannot read batch file \"" + options->batchFile + "\"");
      return kExitUsage;
    }
  }

  QuerySession session;
  std::string error;
  if (!LoadPlugin(session, options->plugin, &error)) {
    Fail(error);
    return kExitPluginUnusable;
  }
  if (scenePath.empty()) {
    scenePath = DemoScenePath(ExecutableDir());
    if (scenePath.empty()) {
      Fail("no scene given and the demo scene is not installed");
      return kExitSceneUnreadable;
    }
  }
  {
    ProgressIndicator progress(scenePath.substr(scenePath.rfind('/') + 1));
    if (!session.LoadScene(scenePath, &error, progress.Callback(), options->import)) {
      progress.Finish();
      Fail(error.empty() ? "cannot read \"" + scenePath + "\"" : error);
      return kExitSceneUnreadable;
    }
  }
  for (const auto& warning : session.Scene().Source().warnings) Fail("warning: " + warning);

  if (batch != nullptr) {
    exitCode = RunBatch(session, batch, stdout, options->output);
    if (batch != stdin) std::fclose(batch);
    return exitCode;
  }

  if (request.info == nullptr) {
    const SceneSummary summary = Summarize(session, scenePath);
    Print(options->output.json ? SummaryJson(summary) : SummaryText(summary));
    for (const auto& message : summary.messages) Fail(message);
    return summary.messages.empty() ? kExitOk : kExitBadInput;
  }

  const QueryResult& result = session.Run(request);
  for (const auto& message : result.messages) Fail(ShortName(*request.info) + ": " + message);
  std::string text;
  if (options->output.json) {
    AppendResultJson(result, text);
    text += '\n';
  } else {
    AppendText(result, options->output.full, text);
  }
  Print(text);
  return result.messages.empty() ? kExitOk : kExitBadInput;
}

}  // namespace
}  // namespace sci

int main(int argc, char** argv) { return sci::Run(argc, argv); }

// sci: answers any of the channel's queries about a 3D file from the command
// line, through the real plug-in loaded into a small host.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/batch.h"
#include "cli/exit_codes.h"
#include "cli/format_list.h"
#include "cli/graphviz.h"
#include "cli/locations.h"
#include "cli/options.h"
#include "cli/progress.h"
#include "cli/run_report.h"
#include "cli/view/view_server.h"
#include "session/json_output.h"
#include "session/node_names.h"
#include "session/query_list.h"
#include "session/query_session.h"
#include "session/scene_tree.h"
#include "session/summary.h"
#include "session/table_output.h"
#include "session/text_output.h"
#include "session/tree_output.h"

namespace sci {
namespace {

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

// Writes the scene's tree in `format`; `dot` is Graphviz's dot for svg.
int PrintTree(QuerySession& session, const std::string& scenePath, const std::string& format, const std::string& dot,
              RunReport& report) {
  const SceneTree tree = BuildSceneTree(session);
  for (const auto& message : tree.messages) report.Fail(message);
  if (format == "json") {
    report.Print(SceneTreeJson(scenePath, tree) + '\n');
  } else if (format == "dot" || format == "svg") {
    std::string graph = TreeDot(tree, scenePath), error;
    if (format == "svg" && !DrawSvg(dot, graph, &graph, &error)) {
      report.Fail(error);
      return kExitUsage;
    }
    report.Print(graph);
  } else {
    report.Print(tree.nodes.empty() ? "(no root node)\n" : TreeText(tree));
  }
  return tree.messages.empty() ? kExitOk : kExitBadInput;
}

// Why --format, --output-dir, --all or --no-tree do not fit the rest of the
// command line; empty when they do. Queries and batches are text or --json.
std::string FormatMisuse(const Options& options) {
  const std::string& format = options.format;
  if (options.tree && options.summary) return "--summary and --tree show one thing each: give one of them";
  const bool summary = !options.tree && options.batchFile.empty() && !options.view.enabled;
  if (options.tree && (format == "csv" || format == "md"))
    return "--tree is written as text, json, dot or svg; csv and md are for the summary's tables";
  if (!options.tree && (format == "dot" || format == "svg")) return "--format " + format + " draws the node tree: add --tree";
  if (!summary && (!format.empty() || options.allRows || options.noTree) && !options.tree)
    return "--format, --all and --no-tree apply to the summary and --tree";
  if (!options.outputDir.empty() && (format != "csv" || !summary)) return "--output-dir applies to the summary in --format csv";
  return {};
}

void PrintCsv(const SummaryTable& table, RunReport& report) {
  report.Print(table.name + "\r\n" + TableCsv(table) + "\r\n");
}

// Writes the summary in the format asked; one CSV file per table into
// --output-dir, naming each file written on standard output.
int PrintSummary(QuerySession& session, const std::string& scenePath, const Options& options, RunReport& report) {
  const SceneSummary summary = Summarize(session, scenePath);
  const std::string format = !options.format.empty() ? options.format : options.output.json ? "json" : "text";
  const SummaryLayout layout{options.allRows, !options.noTree};
  if (format == "csv" && !options.outputDir.empty()) {
    std::error_code error;
    std::filesystem::create_directories(options.outputDir, error);
    for (const SummaryTable& table : SummaryCsvTables(summary)) {
      const std::string path = (std::filesystem::path(options.outputDir) / (table.name + ".csv")).string();
      std::ofstream file(path, std::ios::binary);
      file << TableCsv(table);
      if (!file.flush()) {
        report.Fail("cannot write \"" + path + "\"");
        return kExitUsage;
      }
      report.Print(path + '\n');
    }
  } else if (format == "csv") {
    for (const SummaryTable& table : SummaryCsvTables(summary)) PrintCsv(table, report);
  } else if (format == "md") {
    report.Print(SummaryMarkdown(summary, layout));
  } else {
    report.Print(format == "json" ? SummaryJson(summary, layout.tree) : SummaryText(summary, layout));
  }
  for (const auto& message : summary.messages) report.Fail(message);
  return summary.messages.empty() ? kExitOk : kExitBadInput;
}

int Run(int argc, const char* const* argv, RunReport& report) {
  int exitCode = kExitOk;
  std::string error;
  const auto options = ParseCommandLine(argc, argv, &exitCode, &error);
  if (!options) {
    report.SetJson(AsksForJson(argc, argv));
    if (!error.empty()) report.Fail(error);
    return exitCode;
  }
  report.SetJson(options->output.json);

  if (options->list || options->formats) {
    const char* option = options->list ? "--list" : "--formats";
    if (!options->words.empty() || !options->batchFile.empty() || (options->list && options->formats)) {
      report.Fail(std::string(option) + " takes no scene, query, batch file or other list");
      return kExitUsage;
    }
    if (options->list) {
      report.Print(options->output.json ? QueryListJson() : QueryListText());
      return kExitOk;
    }
    std::string error;
    const std::string formats = options->output.json ? FormatListJson(&error) : FormatListText(&error);
    if (formats.empty()) {
      report.Fail("the formats cannot be listed: " + error);
      return kExitSceneUnreadable;
    }
    report.Print(formats);
    return kExitOk;
  }

  if (const std::string why = FormatMisuse(*options); !why.empty()) {
    report.Fail(why);
    return kExitUsage;
  }
  // Read the query before anything is loaded, so that a usage error costs nothing.
  std::string scenePath;
  std::vector<std::string> queryWords;
  const bool split = SplitSceneAndQuery(options->words, &scenePath, &queryWords, &error);
  report.SetScene(scenePath);
  if (!split) {
    report.Fail(error);
    return kExitUsage;
  }
  if (options->view.enabled && (!queryWords.empty() || !options->batchFile.empty())) {
    report.Fail("--view takes at most a scene; the queries are asked in the browser");
    return kExitUsage;
  }
  if (!options->batchFile.empty() && !queryWords.empty()) {
    report.Fail("with --batch the queries come from the batch file; give at most a scene on the command line");
    return kExitUsage;
  }
  if (!queryWords.empty() && !options->tree &&
      (!options->format.empty() || options->allRows || options->noTree || !options->outputDir.empty())) {
    report.Fail("--format, --all, --no-tree and --output-dir apply to the summary and --tree; a query answers in text or --json");
    return kExitUsage;
  }
  if ((options->tree || options->summary) && (!queryWords.empty() || !options->batchFile.empty())) {
    report.Fail(std::string(options->tree ? "--tree" : "--summary") + " takes at most a scene, no query or batch file");
    return kExitUsage;
  }
  const std::string treeFormat = !options->format.empty() ? options->format : options->output.json ? "json" : "text";
  std::string dot;
  if (options->tree && treeFormat == "svg" && (dot = FindDot()).empty()) {
    report.Fail("--format svg needs Graphviz's 'dot', which is not on PATH (Debian: apt-get install graphviz); "
         "--format dot writes the graph for drawing elsewhere");
    return kExitUsage;
  }
  QueryRequest request;
  if (!queryWords.empty()) {
    if (!ParseQuery(std::vector<std::string_view>(queryWords.begin(), queryWords.end()), &request, &error)) {
      report.Fail(error);
      return kExitUsage;
    }
  }
  std::FILE* batch = nullptr;
  if (!options->batchFile.empty()) {
    if (IsDirectory(options->batchFile)) {
      report.Fail("batch file \"" + options->batchFile + "\" is a directory");
      return kExitUsage;
    }
    batch = options->batchFile == "-" ? stdin : std::fopen(options->batchFile.c_str(), "r");
    if (batch == nullptr) {
      report.Fail("cannot read batch file \"" + options->batchFile + "\"");
      return kExitUsage;
    }
  }

  // Kept until the process ends rather than destroyed on return: freeing a
  // scene of a million nodes record by record costs more than the answer.
  static QuerySession* const kept = new QuerySession;
  QuerySession& session = *kept;
  if (!LoadPlugin(session, options->plugin, &error)) {
    report.Fail(error);
    return kExitPluginUnusable;
  }
  if (scenePath.empty()) {
    scenePath = DemoScenePath(ExecutableDir());
    report.SetScene(scenePath);
    if (scenePath.empty()) {
      report.Fail("no scene given and the demo scene is not installed");
      return kExitSceneUnreadable;
    }
  }
  if (IsDirectory(scenePath)) {
    report.Fail("'" + scenePath + "' is a directory, not a scene file");
    return kExitSceneUnreadable;
  }
  {
    ProgressIndicator progress(scenePath.substr(scenePath.rfind('/') + 1));
    if (!session.LoadScene(scenePath, &error, progress.Callback(), options->import)) {
      progress.Finish();
      if (error.find("unknown file format") != std::string::npos) error += " ('sci --formats' lists the formats)";
      report.Fail(error.empty() ? "cannot read \"" + scenePath + "\"" : error);
      return kExitSceneUnreadable;
    }
  }
  if (!session.Load(Importing::kSourcePart, Importing::kNoGeometry, &error)) {
    report.Fail(error);
    return kExitSceneUnreadable;
  }
  for (const auto& warning : session.Scene().Source().warnings) RunReport::Warn(warning);

  if (options->view.enabled) return RunView(session, scenePath, options->view, options->import);

  if (batch != nullptr) {
    exitCode = RunBatch(session, batch, stdout, options->output);
    if (batch != stdin) std::fclose(batch);
    // Each failed line has had its JSON line.
    report.AnswerWritten();
    return exitCode;
  }

  if (options->tree) return PrintTree(session, scenePath, treeFormat, dot, report);

  if (request.info == nullptr) return PrintSummary(session, scenePath, *options, report);

  if (!ResolveNodeNames(session, request, &error)) {
    report.Fail(error);
    return kExitBadInput;
  }
  const Answer& result = session.Run(request);
  for (const auto& message : result.messages) report.Fail(ShortName(*request.info) + ": " + message);
  const int answered = result.messages.empty() ? kExitOk : kExitBadInput;
  TextSink sink(stdout);
  if (options->output.json) {
    WriteAnswerJson(result, sink);
    sink.text += '\n';
  } else {
    AppendText(result, options->output.full, sink.text);
  }
  sink.Write();
  report.AnswerWritten();
  // A name that finds no node answers -1; the hint goes beside the answer.
  std::vector<std::string> hints{MissingNodeHint(session, result)};
  const bool findsByName = request.info->value == Importing::SCI_NODE_ID;
  for (const QueryInput& input : request.inputs)
    if (input.nodeName || findsByName) hints.push_back(RepeatedNameHint(session, input.text));
  for (const auto& hint : hints)
    if (!hint.empty()) std::fprintf(stderr, "sci: %s: %s\n", ShortName(*request.info).c_str(), hint.c_str());
  return answered;
}

}  // namespace
}  // namespace sci

int main(int argc, char** argv) {
  sci::RunReport report;
  return report.Finish(sci::Run(argc, argv, report));
}

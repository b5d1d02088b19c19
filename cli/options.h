#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/output_options.h"
#include "cli/view/view_options.h"
#include "scene/import/guarded_import.h"

namespace sci {

// The command line, read but not yet interpreted: `words` holds SCENE,
// QUERY and INPUTs as given.
struct Options {
  OutputOptions output;
  bool list = false;
  bool formats = false;       // --formats: the file formats the importer reads
  bool tree = false;          // --tree: the node tree instead of an answer
  bool summary = false;       // --summary: the summary, as without a query
  bool allRows = false;       // --all: no summary table folds
  bool noTree = false;        // --no-tree: the summary without the node tree
  std::string format;         // --format: text, json, csv or md (summary); text, json, dot or svg (tree)
  std::string outputDir;      // --output-dir: one CSV file per summary table
  std::string batchFile;  // "-" for standard input; empty without --batch
  std::string plugin;     // empty: look beside sci
  Importing::GuardedImportOptions import;  // limits and cache of the scene's import
  std::vector<std::string> words;
  ViewOptions view;
};

// Parses the command line. Returns the options, or the exit code when sci
// should stop now: 0 after --help or --version (already written), 2 after a
// usage error, with the reason in `error` ("The following argument was not
// expected: --josn; did you mean --json? ...").
std::optional<Options> ParseCommandLine(int argc, const char* const* argv, int* exitCode, std::string* error);

// Whether the command line asks for JSON, read without parsing it, for
// reporting a command line that does not parse.
bool AsksForJson(int argc, const char* const* argv);

// Splits `words` into the scene (empty for the demo scene) and the query
// with its inputs. The first word is the scene when it is an existing file
// or directory, or when it does not name a query and looks like a path (has
// '.' or '/'). False with the reason when the first word is neither a file
// nor a query ("no such file or query 'nodee-count'; did you mean
// 'node-count'?"), or when the word where the query belongs is a second
// scene ("sci reads one scene per run ...").
bool SplitSceneAndQuery(const std::vector<std::string>& words, std::string* scene,
                        std::vector<std::string>* query, std::string* error);

}  // namespace sci

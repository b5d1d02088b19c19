#include "cli/options.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <string>

#include <CLI/CLI.hpp>

#include "cli/exit_codes.h"
#include "cli/locations.h"
#include "session/nearest_words.h"
#include "session/printable.h"
#include "session/query_table.h"
#include "session/value_text.h"

namespace sci {

namespace {

constexpr const char* kDescription =
    "sci answers questions about a 3D scene through the SceneContainerInfo plug-in.\n"
    "Without SCENE the bundled demo scene is used; without QUERY a summary of the scene is shown.";

constexpr const char* kFooter =
    "QUERY is a short name (node-child), a full name (SCI_NODE_CHILD) or a number (11);\n"
    "INPUTs fill the query's inputs in order. 'sci --list' shows every query and what\n"
    "its numbers mean (matrix layout, angle units, light types, times).\n"
    "\n"
    "A Node ID input may be given as the node's name, found as node-id finds it (the\n"
    "first node of that name). A word that reads as a number is always an ID; write\n"
    "name:WORD for a node whose name reads as a number (name:42). A name that no node\n"
    "has is a bad input (exit code 1).\n"
    "\n"
    "The summary: 'sci SCENE' (or --summary) shows the counts, then a table each of\n"
    "meshes, materials, textures, animations, cameras, lights and render figures\n"
    "(tables fold after 20 rows: --all), then the node tree (--no-tree leaves it out);\n"
    "-f csv|md writes the tables for spreadsheets or Markdown, --output-dir DIR one\n"
    "CSV file per table.\n"
    "\n"
    "The tree: 'sci --tree SCENE' shows the nodes with their surfaces, cameras, lights\n"
    "and animations; --format json gives {\"scene\", \"tree\"}, valid JSON whatever the\n"
    "names hold, the form for scripts. The scene-hierarchy and material-as-xml queries\n"
    "answer with the channel's XML text exactly as the channel writes it: names are not\n"
    "escaped, so it is not always well-formed XML.\n"
    "\n"
    "A SCENE whose extension no reader claims, or that has none, is read when a reader\n"
    "recognises its content; 'sci --formats' lists the extensions.\n"
    "\n"
    "With --batch, each line is answered as soon as it is read when the queries come\n"
    "through a pipe; a line longer than 1 MiB or a read error stops the batch (exit 2).\n"
    "\n"
    "Examples:\n"
    "  sci                                  summary of the demo scene\n"
    "  sci model.fbx node-child 0 1         child 1 of node 0\n"
    "  sci model.fbx node-global-tm torso   the global matrix of the node named torso\n"
    "  sci --json model.gltf geometry 0     geometry 0 as JSON\n"
    "  sci --tree -f svg model.dae > t.svg  the node tree, drawn\n"
    "  sci --batch queries.txt model.dae    one query per line of queries.txt\n"
    "  sci --view model.glb                 look at the scene in a browser\n"
    "\n"
    "Exit codes: 0 answered; 1 a query reported a bad input; 2 usage error;\n"
    "3 the scene could not be read; 4 the plug-in could not be loaded;\n"
    "5 sci --view could not serve.";

// The usage line names what the positional words stand for, so they get
// no section of their own.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_usage(const CLI::App*, std::string) const override {
    return "Usage: sci [OPTIONS] [SCENE] [QUERY [INPUT...]]\n";
  }
  std::string make_positionals(const CLI::App*) const override { return {}; }
};

// The option names of `app`, as typed: "--json", "-j".
std::vector<std::string> OptionNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const auto& name : option->get_lnames()) names.push_back("--" + name);
    for (const auto& name : option->get_snames()) names.push_back("-" + name);
  }
  return names;
}

// "; did you mean --json?" for the first word of `argv` that looks like an
// option and is none of `app`'s, or empty.
std::string NearestOption(const CLI::App& app, int argc, const char* const* argv) {
  const auto names = OptionNames(app);
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word == "--") break;
    if (word.size() < 3 || word.compare(0, 2, "--") != 0) continue;
    const std::string_view name = word.substr(0, word.find('='));
    if (std::find(names.begin(), names.end(), name) != names.end()) continue;
    const auto nearest = NearestWords(name, names, 2);
    if (nearest.empty()) return {};
    return "; did you mean " + nearest[0] + (nearest.size() > 1 ? " or " + nearest[1] : "") + "?";
  }
  return {};
}

}  // namespace

bool AsksForJson(int argc, const char* const* argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view word = argv[i];
    if (word == "--") return false;
    if (word == "--json") return true;
    // A cluster of the flags that take no value, such as -tj.
    if (word.size() > 1 && word[0] == '-' && word.find_first_not_of("ltj", 1) == std::string_view::npos &&
        word.find('j') != std::string_view::npos)
      return true;
  }
  return false;
}

std::optional<Options> ParseCommandLine(int argc, const char* const* argv, int* exitCode, std::string* error) {
  Options options;
  CLI::App app(kDescription, "sci");
  app.formatter(std::make_shared<HelpFormatter>());
  app.footer(kFooter);
  app.set_version_flag("--version", std::string("sci ") + SCI_VERSION);
  app.add_flag("-l,--list", options.list, "List the queries with their inputs and outputs");
  app.add_flag("--formats", options.formats, "List the file formats that scenes can be read from");
  app.add_flag("-j,--json", options.output.json, "Write results as JSON (one object per line)");
  app.add_flag("-t,--tree", options.tree, "Show the node tree with surfaces, cameras, lights and animations");
  app.add_flag("-s,--summary", options.summary,
               "Show the summary: counts, tables of meshes, materials, textures, animations, cameras, lights and "
               "render figures, and the node tree (the default without a query)");
  app.add_option("-f,--format", options.format,
                 "How the summary is written: text (default), json, csv or md; the tree (--tree): text, json, dot or svg")
      ->check(CLI::IsMember({"text", "json", "csv", "md", "dot", "svg"}))
      ->type_name("FORMAT");
  app.add_flag("--all", options.allRows, "Show every row of the summary's tables (they fold after 20 rows)");
  app.add_flag("--no-tree", options.noTree, "Leave the node tree out of the summary");
  app.add_option("--output-dir", options.outputDir, "With --format csv: write one CSV file per table into DIR")
      ->type_name("DIR");
  app.add_flag("--full", options.output.full, "Show whole meshes and key lists in plain text");
  app.add_option("-b,--batch", options.batchFile,
                 "Answer one query per line of FILE ('-' for standard input) against one loaded scene")
      ->type_name("FILE");
  app.add_option("-p,--plugin", options.plugin, "The plug-in library to load (default: the one beside sci)")
      ->type_name("PATH");
  bool noCache = false;
  app.add_option("--max-memory", options.import.maxMemoryBytes,
                 "Stop reading a scene that needs more memory than SIZE (K, M, G suffixes; default: half the "
                 "machine's memory, at most 16G)")
      ->type_name("SIZE")
      ->transform(CLI::AsSizeValue(false).description(""));
  app.add_option("--timeout", options.import.timeoutSeconds, "Stop reading a scene after SECONDS (default: 600)")
      ->type_name("SECONDS")
      ->check(CLI::Validator(
          [](const std::string& text) {
            double seconds = 0;
            return CLI::detail::lexical_cast(text, seconds) && seconds > 0 ? std::string()
                                                                            : "'" + text + "' is not a number of seconds above 0";
          },
          ""));
  app.add_option("--cache-dir", options.import.cacheDir,
                 "Keep snapshots of read scenes in DIR (default: $XDG_CACHE_HOME/sci or ~/.cache/sci)")
      ->type_name("DIR");
  app.add_flag("--no-cache", noCache, "Read the scene afresh and keep no snapshot (wins over --cache-dir)");
  app.add_option("--reader", options.import.gltfReader,
                 "Read glTF with READER: native (the default: quantized, meshopt and Draco geometry decoded) or "
                 "assimp")
      ->type_name("READER")
      ->transform(CLI::CheckedTransformer(std::map<std::string, Importing::GltfReader>{
          {"native", Importing::GltfReader::Native}, {"assimp", Importing::GltfReader::Assimp}}));
  app.add_flag("--view", options.view.enabled, "Inspect the scene in a web browser (a local server; Ctrl-C stops it)");
  app.add_option("--port", options.view.port, "With --view: the port to serve on (default 0: any free port)")
      ->type_name("N")->check(CLI::Range(0, 65535));
  app.add_flag("--no-browser", options.view.noBrowser, "With --view: print the address, open no browser");
  app.add_option("--texture-root", options.view.textureRoots,
                 "With --view: also serve texture files found under DIR (by default only the scene's folder); repeatable")
      ->type_name("DIR")
      ->check(CLI::ExistingDirectory);
  app.add_option("--allow-host", options.view.allowedHosts,
                 "With --view: also answer requests whose Host is NAME (a tunnel's or proxy's name); repeatable")
      ->type_name("NAME")
      ->transform([](std::string name) {
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return name;
      });
  app.add_option("words", options.words, "[SCENE] [QUERY [INPUT...]]")->type_name("");
  try {
    app.parse(argc, argv);
  } catch (const CLI::Success& success) {
    *exitCode = app.exit(success);
    return std::nullopt;
  } catch (const CLI::ExtrasError& extras) {
    *error = extras.what() + NearestOption(app, argc, argv) + " ('sci --help' lists the options)";
    *exitCode = kExitUsage;
    return std::nullopt;
  } catch (const CLI::ParseError& parseError) {
    *error = parseError.what() + std::string(" ('sci --help' lists the options)");
    *exitCode = kExitUsage;
    return std::nullopt;
  }
  options.import.useCache = !noCache;
  return options;
}

namespace {

// A word where the query belongs that names a file, or looks like a path
// and is neither a query nor a number.
bool LooksLikeSecondScene(const std::string& word) {
  if (FindQuery(word) != nullptr) return false;
  float number = 0;
  return FileExists(word) || IsDirectory(word) ||
         (word.find_first_of("./") != std::string::npos && !ParseFloat(word, &number));
}

}  // namespace

bool SplitSceneAndQuery(const std::vector<std::string>& words, std::string* scene,
                        std::vector<std::string>* query, std::string* error) {
  scene->clear();
  query->clear();
  std::size_t first = 0;
  if (!words.empty()) {
    const std::string& word = words[0];
    const bool looksLikePath = word.find_first_of("./") != std::string::npos;
    if (FileExists(word) || IsDirectory(word) || (FindQuery(word) == nullptr && looksLikePath)) {
      *scene = word;
      first = 1;
    } else if (FindQuery(word) == nullptr) {
      *error = "no such file or query '" + Printable(word) + "'" + DidYouMean(word);
      return false;
    }
  }
  query->assign(words.begin() + static_cast<std::ptrdiff_t>(first), words.end());
  if (!scene->empty() && !query->empty() && LooksLikeSecondScene(query->front())) {
    std::string rest;
    for (std::size_t i = 1; i < query->size(); ++i) rest += " " + (*query)[i];
    *error = "sci reads one scene per run, and '" + Printable(query->front()) +
             "' is no query; ask each scene in a run of its own: sci " + Printable(*scene) + rest + "; sci " +
             Printable(query->front()) + rest;
    return false;
  }
  return true;
}

}  // namespace sci

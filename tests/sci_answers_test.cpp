// sci as a new user meets it: answers that say what their numbers mean,
// node names for node IDs, mistakes explained, a batch on a pipe answered
// line by line, and the shell completion.

#include <poll.h>

#include <cmath>
#include <cstdlib>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sci_run.h"

namespace {

using namespace sci_test;

// A scene with nodes named like a number, like a query and not at all.
constexpr const char* kNamesGltf =
    R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],)"
    R"("nodes":[{"name":"root","children":[1,2,3]},{"name":"42"},{"name":"node-count"},{"name":"Cup"}]})";

// JSON keeps the raw values; the names of what they stand for come apart.
TEST(SciMeaning, JsonNamesNumbersApartFromTheirValues) {
  const std::vector<std::pair<std::vector<std::string>, Json>> named = {
      {{"light-type", "2"}, Json{{"OUT: Light type", "spot"}}},
      {{"node-id", "Nobody"}, Json{{"OUT: Node ID", "none"}}},
      {{"node-count"}, Json::object()},
  };
  for (const auto& [args, names] : named) {
    SCOPED_TRACE(args.front());
    std::vector<std::string> all{"--json"};
    all.insert(all.end(), args.begin(), args.end());
    const Json result = Json::parse(RunSci(all).out);
    EXPECT_EQ(result["names"], names);
    for (const auto& [label, name] : names.items()) EXPECT_TRUE(result["outputs"][label].is_number()) << result;
  }
}

TEST(SciNodeNames, ANameStandsForTheNodesID) {
  // Each query by name answers as the same query by ID.
  const std::vector<std::string> queries = {"node-global-tm", "node-name", "node-child-count", "parent-node",
                                            "node-surface-count"};
  std::string batch;
  for (const auto& query : queries) batch += query + " Cup\n" + query + " 2\n";
  batch += "node-child World 1\nnode-child 0 1\n";
  const SciRun run = RunSci({"--json", "--batch", "-", SCI_DEMO_SCENE}, batch);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto results = JsonLines(run.out);
  ASSERT_EQ(results.size(), 2 * queries.size() + 2);
  for (std::size_t i = 0; i < results.size(); i += 2) EXPECT_EQ(results[i], results[i + 1]);

  // A number is an ID; name: makes any word a name; a missing name is a bad
  // input. Collada nodes go by their name attribute, by their id without one;
  // a name that several nodes share finds the first, and sci names the others.
  const fs::path dir = ScratchDir();
  const std::string gltf = WriteFile(dir, "names.gltf", kNamesGltf).string();
  const std::string dae = WriteFile(dir, "names.dae", R"(<?xml version="1.0" encoding="utf-8"?>
<COLLADA xmlns="http://www.collada.org/2005/11/COLLADASchema" version="1.4.1">
  <library_visual_scenes><visual_scene id="Scene" name="Scene">
    <node id="Box" name="日本語"/><node id="Plain"/><node id="Twin1" name="Twin"/><node id="Twin2" name="Twin"/>
  </visual_scene></library_visual_scenes>
  <scene><instance_visual_scene url="#Scene"/></scene>
</COLLADA>)").string();
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string out, err;
  };
  const std::vector<Case> cases = {
      {{gltf, "node-name", "1"}, 0, "OUT: Node name: 42\n", ""},
      {{gltf, "node-name", "name:42"}, 0, "OUT: Node name: 42\n", ""},
      {{gltf, "node-name", "42"}, 1, "OUT: Node name: (none)\n", "sci: node-name: Object id out of range.\n"},
      {{gltf, "node-name", "name:Cup"}, 0, "OUT: Node name: Cup\n", ""},
      {{gltf, "parent-node", "Cup"}, 0, "OUT: Parent node ID: 0\n", ""},
      {{gltf, "node-name", "Mug"}, 1, "", "sci: node-name: no node named 'Mug'\n"},
      {{dae, "node-name", "1"}, 0, "OUT: Node name: 日本語\n", ""},
      {{dae, "node-name", "2"}, 0, "OUT: Node name: Plain\n", ""},
      {{dae, "node-id", "Box"}, 0, "OUT: Node ID: -1 (none)\n", "sci: node-id: no node named 'Box'\n"},
      {{dae, "node-id", "Twin"}, 0, "OUT: Node ID: 3\n",
       "sci: node-id: 2 nodes are named 'Twin' (IDs 3, 4); the first is taken\n"},
      {{dae, "parent-node", "twin"}, 1, "", "sci: parent-node: no node named 'twin'; nearest: 'Twin'\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    const SciRun one = RunSci(c.args);
    EXPECT_EQ(one.exitCode, c.exitCode) << one.err;
    EXPECT_EQ(one.out, c.out);
    EXPECT_EQ(one.err, c.err);
  }
  fs::remove_all(dir);
}

// Each mistake ends sci with its exit code, nothing on standard output and
// why on standard error. With --json it writes one JSON object, an error
// holding the exit code, the scene given ("file") and the message that
// standard error shows.
TEST(SciMistakes, EachIsExplainedInTextAndJson) {
  const std::string demo = SCI_DEMO_SCENE;
  const fs::path dir = ScratchDir();
  const fs::path noExtension = WriteFile(dir, "model", kNamesGltf);
  const fs::path oddExtension = WriteFile(dir, "model.scene", kNamesGltf);
  struct Case {
    std::vector<std::string> args;
    int exitCode;
    std::string said;
    const char* file;  // null for none
  };
  const std::vector<Case> cases = {
      {{"nodee-count"}, 2, "no such file or query 'nodee-count'; did you mean 'node-count'?", nullptr},
      {{"ndoe-name", "0"}, 2, "did you mean 'node-name'", nullptr},
      {{demo, "lihgt-type", "0"}, 2, "unknown query 'lihgt-type'; did you mean 'light-type'?", demo.c_str()},
      {{demo, "node-child", "0"}, 2,
       "node-child takes 2 inputs (Node ID, Child number), only 1 given; "
       "usage: sci [SCENE] node-child <Node ID> <Child number>",
       demo.c_str()},
      {{"node-count", "1"}, 2, "node-count takes 0 inputs (none), 1 given", nullptr},
      {{"node-child", "0", "first"}, 2, "Child number must be a number, not 'first'", nullptr},
      {{"node-child", "0", "nan"}, 2, "Child number must be a number", nullptr},
      {{"node-name", "0.9"}, 2, "Node ID must be a whole number, not '0.9'", nullptr},
      {{"animation-time", "0", "1.5"}, 2, "must be a whole number, not '1.5'", nullptr},
      {{"--frobnicate"}, 2, "--frobnicate", nullptr},
      {{"--no-cahce", demo}, 2, "not expected: --no-cahce; did you mean --no-cache?", nullptr},
      {{"--tre", demo}, 2, "did you mean --tree?", nullptr},
      {{demo, demo}, 2, "sci reads one scene per run", demo.c_str()},
      {{"--batch", "-", "node-count"}, 2, "with --batch", nullptr},
      {{"--list", "node-count"}, 2, "--list takes no scene", nullptr},
      {{"--batch", dir.string()}, 2, "is a directory", nullptr},
      {{"--format", "dot"}, 2, "--format dot draws the node tree: add --tree", nullptr},
      {{"--tree", "node-count"}, 2, "--tree takes at most a scene", nullptr},
      {{"/no/such/scene.glb", "node-count"}, 3, "/no/such/scene.glb", "/no/such/scene.glb"},
      // The loader's kinds of failure are the plug-in loader's tests; sci turns any of them into exit code 4.
      {{"--plugin", "/no/such/plugin.so", demo}, 4, "/no/such/plugin.so", demo.c_str()},
      {{demo, "node-child", "table", "0"}, 1, "no node named 'table'; nearest: 'Table'", demo.c_str()},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    const SciRun run = RunSci(c.args);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    std::vector<std::string> json{"-j"};
    json.insert(json.end(), c.args.begin(), c.args.end());
    const SciRun asJson = RunSci(json);
    EXPECT_EQ(asJson.exitCode, c.exitCode);
    const auto lines = JsonLines(asJson.out);
    ASSERT_EQ(lines.size(), 1u) << asJson.out;
    const Json& error = lines[0]["error"];
    EXPECT_EQ(error["exit"], c.exitCode);
    EXPECT_EQ(error["file"], c.file ? Json(c.file) : Json());
    EXPECT_NE(error["message"].get<std::string>().find(c.said), std::string::npos) << asJson.out;
    EXPECT_EQ(asJson.err, "sci: " + error["message"].get<std::string>() + "\n");
  }
  // A query that runs but fails is answered, its messages telling why; the hints go to standard error beside it.
  const SciRun outOfRange = RunSci({"--json", demo, "node-name", "99"});
  EXPECT_EQ(outOfRange.exitCode, 1);
  EXPECT_EQ(Json::parse(outOfRange.out)["messages"], Json::array({"Object id out of range."}));
  const SciRun nearest = RunSci({"--json", demo, "node-id", "table"});
  EXPECT_EQ(nearest.exitCode, 0);
  EXPECT_EQ(Json::parse(nearest.out)["messages"], Json::array());
  EXPECT_EQ(nearest.err, "sci: node-id: no node named 'table'; nearest: 'Table'\n");
  EXPECT_EQ(RunSci({"--plugin", SCI_PLUGIN_PATH, "node-count"}).exitCode, 0);
  // A file named as no reader names it is read by its content.
  for (const fs::path& path : {noExtension, oddExtension}) {
    const SciRun run = RunSci({path.string(), "node-count"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "OUT: Object count: 4\n");
  }
  fs::remove_all(dir);

  // Drawing needs Graphviz; without it the user is told what to install, before any scene is read.
  const std::string path = getenv("PATH");
  setenv("PATH", "/nonexistent", 1);
  const SciRun noDot = RunSci({"--tree", "--format", "svg"});
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(noDot.exitCode, 2);
  EXPECT_NE(noDot.err.find("apt-get install graphviz"), std::string::npos) << noDot.err;

  const SciRun formats = RunSci({"--formats"});
  EXPECT_EQ(formats.exitCode, 0);
  for (const char* extension : {" .gltf ", " .fbx ", " .dae ", " .obj "})
    EXPECT_NE(formats.out.find(extension), std::string::npos) << extension;
  std::istringstream lines(formats.out);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
}

// A program holding a pipe to sci gets each answer before it writes the next query.
TEST(SciBatch, APipeGetsEachAnswerAtOnce) {
  int toSci[2], fromSci[2];
  ASSERT_EQ(pipe(toSci), 0);
  ASSERT_EQ(pipe(fromSci), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(toSci[0], 0);
    dup2(fromSci[1], 1);
    close(toSci[1]);
    close(fromSci[0]);
    execl(SCI_EXECUTABLE, SCI_EXECUTABLE, "--json", "--batch", "-", SCI_DEMO_SCENE, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(toSci[0]);
  close(fromSci[1]);
  for (const std::string query : {"node-count\n", "node-name 2\n", "geometry 0\n"}) {
    SCOPED_TRACE(query);
    ASSERT_EQ(write(toSci[1], query.data(), query.size()), static_cast<ssize_t>(query.size()));
    std::string answer;
    char c;
    pollfd ready{fromSci[0], POLLIN, 0};
    while (answer.empty() || answer.back() != '\n') {
      ASSERT_EQ(poll(&ready, 1, 20000), 1) << "no answer within 20 s; got so far: " << answer;
      ASSERT_EQ(read(fromSci[0], &c, 1), 1);
      answer += c;
    }
    EXPECT_EQ(Json::parse(answer)["query"], query.substr(0, query.find(' ')).substr(0, query.find('\n')));
  }
  close(toSci[1]);
  int status = 0;
  waitpid(pid, &status, 0);
  close(fromSci[0]);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(SciBatch, OverlongLinesAndReadErrorsStopIt) {
  const fs::path dir = ScratchDir();
  std::ofstream(dir / "long") << "node-count\n" << std::string((1 << 20) + 1, 'a') << "\nnode-count\n";
  std::ofstream(dir / "edge") << "node-name " << std::string((1 << 20) - 11, '0') << "2\n";
  struct Case {
    fs::path input;
    int exitCode;
    std::size_t answers;
    std::string err;
  };
  // The answers, then the line that stopped the batch.
  const std::vector<Case> cases = {
      {dir / "long", 2, 2, "sci: line 2: longer than 1 MiB; the rest of the batch is not read\n"},
      {dir / "edge", 0, 1, ""},  // exactly 1 MiB is still read
      {"/dev/zero", 2, 1, "sci: line 1: longer than 1 MiB"},
      {dir, 2, 1, "sci: line 1: cannot read the batch file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const SciRun run = RunSciReading({"--json", "--batch", "-", SCI_DEMO_SCENE}, c.input);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_EQ(JsonLines(run.out).size(), c.answers);
    EXPECT_EQ(run.err.rfind(c.err, 0), 0u) << run.err;
  }
  fs::remove_all(dir);
}

// The bash completion, and the zsh one run outside zsh's completion system:
// compadd prints what it is given that matches the word, _files stands for
// the files.
TEST(SciCompletion, BashAndZshCompleteOptionsQueriesAndFiles) {
  const bool haveZsh = std::system("command -v zsh > /dev/null") == 0;
  const fs::path dir = ScratchDir();
  std::ofstream(dir / "scene.gltf") << "{}";
  struct Case {
    std::string words;  // the command line so far, the last word being completed
    std::string bash;
    const char* zsh;    // null where the zsh completion is not asked
  };
  const std::vector<Case> cases = {
      {"sci --tr", "--tree", "--tree"},
      {"sci --format ", "text json csv md dot svg", "text json csv md dot svg"},
      {"sci node-chi", "node-child-count node-child", "node-child-count node-child FILES"},
      {"sci sce", "scene-hierarchy scene-bounding-box scene.gltf", nullptr},
      {"sci scene.gltf light-t", "light-type light-theta", "light-type light-theta FILES"},
      {"sci node-name ", "", ""},
  };
  const std::string path = "PATH='" + fs::path(SCI_EXECUTABLE).parent_path().string() + "':$PATH\n";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.words);
    const std::string words = c.words + (c.words.back() == ' ' ? "''" : "");
    std::ofstream(dir / "complete.sh") << "cd '" << dir.string() << "'\n" << path << "source '" SCI_BASH_COMPLETION
                                       << "'\nCOMP_WORDS=(" << words << ")\nCOMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
                                       << "_sci\necho -n \"${COMPREPLY[*]}\"\n";
    int status = -1;
    EXPECT_EQ(CommandOutput("bash " + (dir / "complete.sh").string(), &status), c.bash);
    EXPECT_EQ(status, 0);
    if (!haveZsh || !c.zsh) continue;
    std::ofstream(dir / "complete.zsh") << path
                                        << "compadd() { local -a items; if [[ $1 == -a ]]; then items=(\"${(P@)2}\"); "
                                        << "else items=(\"$@\"); fi; print -rn -- ${(M)items:#${PREFIX}*} ''; }\n"
                                        << "_files() { print -rn -- 'FILES '; }\n_call_program() { shift; \"$@\"; }\n"
                                        << "words=(" << words << ")\nCURRENT=${#words}\nPREFIX=$words[CURRENT]\n"
                                        << "source '" SCI_ZSH_COMPLETION "'\n";
    std::string out = CommandOutput("zsh -f " + (dir / "complete.zsh").string(), &status);
    EXPECT_EQ(status, 0);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    EXPECT_EQ(out, c.zsh);
  }
  fs::remove_all(dir);
  if (!haveZsh) GTEST_SKIP() << "zsh not installed: only the bash completion was checked";
}

}  // namespace

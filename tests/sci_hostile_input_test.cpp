// sci given files that are missing, not files, damaged, lying about their
// sizes, or far larger or deeper than any real scene: each gives a clear
// error with exit code 3 or an answer, never a crash. The large files are
// written at test time into a temporary folder.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct SciRun {
  int exitCode = -1;  // -1: killed by a signal
  std::string out, err;
};

// A folder of this test process, removed with everything in it.
struct ScratchDir {
  fs::path path;
  ScratchDir() : path(fs::path(testing::TempDir()) / ("sci_hostile_" + std::to_string(getpid()))) {
    fs::create_directories(path);
  }
  ~ScratchDir() { fs::remove_all(path); }
  fs::path Write(const std::string& name, const std::string& content) const {
    std::ofstream(path / name, std::ios::binary) << content;
    return path / name;
  }
};

std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Runs sci with `args` and `input` on standard input.
SciRun RunSci(const ScratchDir& dir, const std::vector<std::string>& args, const std::string& input = "") {
  const fs::path in = dir.Write("stdin", input), out = dir.path / "stdout", err = dir.path / "stderr";
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_addopen(&files, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&files, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&files, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv{const_cast<char*>(SCI_EXECUTABLE)};
  for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  // Under LeakSanitizer, leaks that Assimp makes on its own when it gives up
  // on a file are not sci's (see .ci/lsan.supp).
  std::vector<std::string> variables{"LSAN_OPTIONS=suppressions=" SCI_LSAN_SUPPRESSIONS ":print_suppressions=0"};
  for (char** variable = environ; *variable != nullptr; ++variable)
    if (std::string(*variable).rfind("LSAN_OPTIONS=", 0) != 0) variables.emplace_back(*variable);
  std::vector<char*> environment;
  for (auto& variable : variables) environment.push_back(variable.data());
  environment.push_back(nullptr);
  pid_t pid;
  SciRun run;
  if (posix_spawn(&pid, SCI_EXECUTABLE, &files, nullptr, argv.data(), environment.data()) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&files);
  run.out = ReadFile(out);
  run.err = ReadFile(err);
  return run;
}

// A glTF of nodes without meshes: node 0 is the scene's root, and node i
// lists the children that `children(i)` gives.
template <class Children>
std::string NodesGltf(int count, Children children) {
  std::string text = R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[)";
  for (int i = 0; i < count; ++i) {
    text += i == 0 ? "{" : ",{";
    text += R"("name":"n)" + std::to_string(i) + '"';
    const std::vector<int> list = children(i);
    if (!list.empty()) {
      text += R"(,"children":[)";
      for (std::size_t k = 0; k < list.size(); ++k) text += (k ? "," : "") + std::to_string(list[k]);
      text += ']';
    }
    text += '}';
  }
  return text + "]}";
}

// A glTF with one triangle whose buffer lies in `bin`, declared `byteLength` long.
std::string TriangleGltf(const std::string& byteLength, const std::string& uri) {
  return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],)"
         R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"buffers":[{"byteLength":)" +
         byteLength + R"(,"uri":")" + uri + R"("}],"bufferViews":[{"buffer":0,"byteLength":36}],)"
         R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3",)"
         R"("min":[0,0,0],"max":[1,1,0]}]})";
}

std::string Le32(std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
  return bytes;
}

TEST(SciHostileInput, UnreadableFilesExitThreeNamingTheFile) {
  ScratchDir dir;
  fs::create_directories(dir.path / "folder.gltf");
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) >> 3));
  std::string json = R"({"asset":{"version":"2.0"}})";
  const std::vector<std::pair<const char*, fs::path>> cases = {
      {"a missing file", dir.path / "missing.gltf"},
      {"a directory", dir.path / "folder.gltf"},
      {"an empty file", dir.Write("empty.gltf", "")},
      {"binary garbage named .gltf", dir.Write("garbage.gltf", garbage)},
      {"a PLY property without a type",
       dir.Write("untyped.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty  vertex_indices\nend_header\n")},
      {"a GLB whose JSON chunk claims 2 GB",
       dir.Write("claims.glb", "glTF" + Le32(2) + Le32(28) + Le32(0x80000000u) + "JSON" + json)},
  };
  for (const auto& [what, path] : cases) {
    SCOPED_TRACE(what);
    const SciRun run = RunSci(dir, {path.string(), "node-count"});
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(path.string()), std::string::npos) << run.err;
  }
}

TEST(SciHostileInput, ABufferClaimingTwoGigabytesIsRefusedOrIgnored) {
  ScratchDir dir;
  dir.Write("small.bin", std::string(36, '\0'));
  for (const std::string& uri : {std::string("small.bin"), std::string("data:application/octet-stream;base64,AAAA")}) {
    SCOPED_TRACE(uri);
    const fs::path scene = dir.Write("claims.gltf", TriangleGltf("2147483648", uri));
    const SciRun run = RunSci(dir, {scene.string(), "node-count"});
    if (run.exitCode == 3) {
      EXPECT_NE(run.err.find(scene.string()), std::string::npos) << run.err;
    } else {
      EXPECT_EQ(run.exitCode, 0) << run.err;
      EXPECT_EQ(run.out, "1\n");
    }
  }
}

TEST(SciHostileInput, NamesThatAreNotUtf8AreAnsweredAsValidJson) {
  ScratchDir dir;
  const std::string name = "bad \xff\xfe \xc3( end";
  const fs::path scene = dir.Write(
      "names.gltf",
      R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"name":")" + name + R"("}]})");
  const SciRun text = RunSci(dir, {scene.string(), "node-name", "0"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("bad "), std::string::npos) << text.out;
  const SciRun json = RunSci(dir, {"--json", scene.string(), "node-name", "0"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const auto parsed = nlohmann::json::parse(json.out, nullptr, false);
  ASSERT_FALSE(parsed.is_discarded()) << json.out;
  EXPECT_NE(json.out.find("\xef\xbf\xbd"), std::string::npos) << "bytes that are not UTF-8 become U+FFFD";
}

TEST(SciHostileInput, AMillionNodesAreCountedAndAnswered) {
  constexpr int kNodes = 1000000;
  ScratchDir dir;
  const fs::path scene = dir.Write("wide.gltf", NodesGltf(kNodes, [](int i) {
                                     std::vector<int> children;
                                     if (i == 0)
                                       for (int c = 1; c < kNodes; ++c) children.push_back(c);
                                     return children;
                                   }));
  const SciRun run = RunSci(dir, {"--json", "--batch", "-", scene.string()},
                            "node-count\nnode-child-count 0\nnode-name 999999\nparent-node 999999\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("1000000"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("999999"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("n999999"), std::string::npos) << run.out;
}

TEST(SciHostileInput, AChainOfAHundredThousandNodesIsAnswered) {
  constexpr int kDepth = 100000;
  ScratchDir dir;
  const fs::path scene = dir.Write("deep.gltf", NodesGltf(kDepth, [](int i) {
                                     return i + 1 < kDepth ? std::vector<int>{i + 1} : std::vector<int>{};
                                   }));
  const SciRun run = RunSci(dir, {"--json", "--batch", "-", scene.string()},
                            "node-count\nparent-node 99999\nnode-global-tm 99999\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  std::istringstream lines(run.out);
  std::vector<nlohmann::json> results;
  for (std::string line; std::getline(lines, line);) results.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(results.size(), 3u) << run.out.substr(0, 2000);
  EXPECT_NE(results[0].dump().find("100000"), std::string::npos) << results[0];
  EXPECT_NE(results[1].dump().find("99998"), std::string::npos) << results[1];
}

}  // namespace

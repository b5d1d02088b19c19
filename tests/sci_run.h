#pragma once

// Runs the built sci as a process and collects what it writes, for the
// tests of sci's command line.

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace sci_test {

namespace fs = std::filesystem;

// Floats read as 32-bit floats, as sci writes them.
using Json = nlohmann::basic_json<nlohmann::ordered_map, std::vector, std::string, bool, std::int64_t,
                                  std::uint64_t, float>;

struct SciRun {
  int exitCode = -1;
  std::string out, err;
};

inline std::string ReadFile(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

inline fs::path ScratchDir() {
  static int counter = 0;
  const fs::path dir =
      fs::path(testing::TempDir()) / ("sci_cli_" + std::to_string(getpid()) + "_" + std::to_string(counter++));
  fs::create_directories(dir);
  return dir;
}

// Writes `content` into `dir`/`name` and returns the path.
inline fs::path WriteFile(const fs::path& dir, const std::string& name, const std::string& content) {
  std::ofstream(dir / name, std::ios::binary) << content;
  return dir / name;
}


// Starts sci with `args` and the file at `stdinPath` (which may be a
// directory) on standard input; what it writes goes to files in `dir`.
inline pid_t StartSci(const std::vector<std::string>& args, const fs::path& stdinPath, const fs::path& dir) {
  const pid_t pid = fork();
  if (pid == 0) {
    const int in = open(stdinPath.c_str(), O_RDONLY);
    const int out = open((dir / "out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open((dir / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
#ifdef SCI_LSAN_SUPPRESSIONS
    // Leaks that Assimp makes on its own when it gives up on a file are not sci's.
    setenv("LSAN_OPTIONS", "suppressions=" SCI_LSAN_SUPPRESSIONS ":print_suppressions=0", 1);
#endif
    std::vector<char*> argv{const_cast<char*>(SCI_EXECUTABLE)};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(SCI_EXECUTABLE, argv.data());
    _exit(127);
  }
  return pid;
}

// Waits for the sci started as `pid` to end and collects what it wrote into `dir`.
inline SciRun WaitForSci(pid_t pid, const fs::path& dir) {
  int status = 0;
  waitpid(pid, &status, 0);
  SciRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadFile(dir / "out");
  run.err = ReadFile(dir / "err");
  return run;
}

// Runs sci with `args` and the file at `stdinPath` (which may be a
// directory) on standard input.
inline SciRun RunSciReading(const std::vector<std::string>& args, const fs::path& stdinPath) {
  const fs::path dir = ScratchDir();
  SciRun run = WaitForSci(StartSci(args, stdinPath, dir), dir);
  fs::remove_all(dir);
  return run;
}

// Runs sci with `args` and `input` on standard input.
inline SciRun RunSci(const std::vector<std::string>& args, const std::string& input = "") {
  const fs::path dir = ScratchDir();
  SciRun run = WaitForSci(StartSci(args, WriteFile(dir, "in", input), dir), dir);
  fs::remove_all(dir);
  return run;
}

inline std::vector<Json> JsonLines(const std::string& text) {
  std::vector<Json> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(Json::parse(line));
  return lines;
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

// What `command` writes on standard output, empty when it cannot run; its
// exit status in `status` when given.
inline std::string CommandOutput(const std::string& command, int* status = nullptr) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[4096];
  for (std::size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int ended = pipe ? pclose(pipe) : -1;
  if (status) *status = ended;
  return out;
}

}  // namespace sci_test

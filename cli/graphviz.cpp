#include "cli/graphviz.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>
#include <system_error>

namespace sci {

std::string FindDot() {
  const char* path = std::getenv("PATH");
  std::string_view rest = path ? path : "/usr/bin:/bin";
  while (true) {
    const std::size_t colon = rest.find(':');
    const std::string dir(rest.substr(0, colon));
    const std::string candidate = (dir.empty() ? "." : dir) + "/dot";
    if (access(candidate.c_str(), X_OK) == 0 && std::filesystem::is_regular_file(candidate)) return candidate;
    if (colon == std::string_view::npos) return {};
    rest.remove_prefix(colon + 1);
  }
}

bool DrawSvg(const std::string& dotPath, const std::string& graph, std::string* svg, std::string* error) {
  // The graph goes through a file, so that dot's output can be read whole
  // without either side waiting on a full pipe.
  std::error_code ec;
  std::string inputPath = (std::filesystem::temp_directory_path(ec) / "sci-graph-XXXXXX").string();
  char* input = inputPath.data();
  const int inputFd = mkstemp(input);
  if (inputFd < 0) {
    *error = "cannot make a temporary file for the graph";
    return false;
  }
  const bool written = write(inputFd, graph.data(), graph.size()) == static_cast<ssize_t>(graph.size());
  int output[2];
  if (!written || lseek(inputFd, 0, SEEK_SET) != 0 || pipe(output) != 0) {
    close(inputFd);
    unlink(input);
    *error = "cannot write the graph to " + std::string(input);
    return false;
  }
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(inputFd, 0);
    dup2(output[1], 1);
    close(output[0]);
    execl(dotPath.c_str(), "dot", "-Tsvg", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(inputFd);
  unlink(input);
  close(output[1]);
  if (pid < 0) {
    close(output[0]);
    *error = "cannot start Graphviz (" + dotPath + ")";
    return false;
  }
  std::string result;
  char buffer[1 << 16];
  for (ssize_t n; (n = read(output[0], buffer, sizeof buffer)) != 0;) {
    if (n > 0) result.append(buffer, static_cast<std::size_t>(n));
    else if (errno != EINTR) break;
  }
  close(output[0]);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    *error = "Graphviz (" + dotPath + " -Tsvg) failed" +
             (WIFEXITED(status) ? " with exit code " + std::to_string(WEXITSTATUS(status)) : std::string());
    return false;
  }
  *svg = std::move(result);
  return true;
}

}  // namespace sci

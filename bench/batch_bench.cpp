// sci --batch: mixed queries against one loaded scene, in queries per
// second, timed inside one run: from the first block of answers sci writes
// to the last, so that starting, loading the plug-in and reading the scene
// stay out of the figure. sci reads the scene afresh and keeps no snapshot,
// so the user's own cache is never touched.
#include <benchmark/benchmark.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "generated_files.h"

namespace {

constexpr int kQueries = 400000;
constexpr double kTargetQueriesPerSecond = 200000;

struct BatchTiming {
  long answered = 0;  // queries answered after the first block arrived
  double seconds = 0;  // from the first block to the end of the output
  bool ok = false;
};

// Runs sci --batch on `batch` and `scene`, reading its answers from a pipe.
// Each answer starts with a line "> QUERY", which is how they are counted.
BatchTiming RunSci(const std::string& batch, const std::string& scene) {
  BatchTiming timing;
  int out[2];
  if (pipe(out) != 0) return timing;
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    execl(SCI_EXECUTABLE, SCI_EXECUTABLE, "--no-cache", "--batch", batch.c_str(), scene.c_str(),
          static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  using Clock = std::chrono::steady_clock;
  Clock::time_point first, last;
  long beforeFirst = -1, answers = 0;
  char previous = '\n';
  char buffer[1 << 16];
  for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;) {
    last = Clock::now();
    for (ssize_t i = 0; i < n; previous = buffer[i++])
      if (previous == '\n' && buffer[i] == '>') ++answers;
    if (beforeFirst < 0) {
      first = last;
      beforeFirst = answers;
    }
  }
  close(out[0]);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      answers != kQueries)
    return timing;
  timing.answered = answers - beforeFirst;
  timing.seconds = std::chrono::duration<double>(last - first).count();
  timing.ok = timing.answered > 0 && timing.seconds > 0;
  return timing;
}

// Node, surface, geometry and material queries in turn, on varying IDs.
void WriteMixedBatch(const std::string& path, int count) {
  std::ofstream out(path);
  const int nodes = bench::kGeneratedNodes, meshes = bench::kGeneratedMeshes;
  for (int i = 0; i < count; ++i) {
    const int node = static_cast<int>(i * 7919LL % nodes), mesh = static_cast<int>(i * 31LL % meshes);
    switch (i % 10) {
      case 0: out << "node-count\n"; break;
      case 1: out << "node-name " << node << '\n'; break;
      case 2: out << "node-child 0 " << (node % 8) << '\n'; break;  // the root has 8 children
      case 3: out << "node-id node" << node << '\n'; break;
      case 4: out << "node-global-tm " << node << '\n'; break;
      case 5: out << "parent-node " << node << '\n'; break;
      case 6: out << "surface-material-id " << mesh << '\n'; break;
      case 7: out << "geometry-vertex-count " << mesh << '\n'; break;
      case 8: out << "node-child-count " << node << '\n'; break;
      default: out << "material-name 0\n"; break;
    }
  }
}

void BM_SciBatch(benchmark::State& state) {
  bench::TempFolder folder;
  const std::string scene = (folder.Path() / "scene.glb").string();
  const std::string batch = (folder.Path() / "mixed.txt").string();
  if (!bench::WriteGridTreeGlb(scene, bench::kGeneratedNodes, bench::kGeneratedMeshes, 2)) {
    state.SkipWithError("cannot write the scene");
    return;
  }
  WriteMixedBatch(batch, kQueries);

  long answered = 0;
  double seconds = 0;
  for (auto _ : state) {
    const BatchTiming timing = RunSci(batch, scene);
    if (!timing.ok) {
      state.SkipWithError("sci --batch failed or answered too few queries");
      return;
    }
    state.SetIterationTime(timing.seconds);
    answered += timing.answered;
    seconds += timing.seconds;
  }
  state.counters["queries_per_s"] = static_cast<double>(answered) / seconds;
  state.counters["target_queries_per_s"] = kTargetQueriesPerSecond;
}
BENCHMARK(BM_SciBatch)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

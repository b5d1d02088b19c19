// sci --batch: 100,000 mixed queries against one loaded scene, in queries
// per second. The baseline is the same sci run with one query, which costs
// the start, the plug-in load and the import; the difference is the
// queries' own cost. Times are the child process's CPU time.
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

#include "bench_support.h"
#include "generated_files.h"

namespace {

constexpr int kQueries = 100000;
constexpr double kTargetQueriesPerSecond = 200000;

// Runs sci --batch on `batch` and `scene` with its output thrown away;
// returns its CPU seconds, or a negative number when it did not exit with 0.
double RunSci(const std::string& batch, const std::string& scene) {
  const pid_t child = fork();
  if (child == 0) {
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    execl(SCI_EXECUTABLE, SCI_EXECUTABLE, "--batch", batch.c_str(), scene.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child) return -1;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Node, surface, geometry and material queries in turn, on varying IDs.
void WriteMixedBatch(const std::string& path, int count) {
  std::ofstream out(path);
  const int nodes = bench::kGeneratedNodes, meshes = bench::kGeneratedMeshes;
  for (int i = 0; i < count; ++i) {
    const int node = (i * 7919) % nodes, mesh = (i * 31) % meshes;
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
  const std::string single = (folder.Path() / "single.txt").string();
  if (!bench::WriteGridTreeGlb(scene, bench::kGeneratedNodes, bench::kGeneratedMeshes, 2)) {
    state.SkipWithError("cannot write the scene");
    return;
  }
  WriteMixedBatch(batch, kQueries);
  WriteMixedBatch(single, 1);

  double full = 0, base = 0;
  for (auto _ : state) {
    const double b = RunSci(single, scene);
    const double f = RunSci(batch, scene);
    if (b < 0 || f < 0) {
      state.SkipWithError("sci --batch failed");
      return;
    }
    base += b;
    full += f;
  }
  const double n = static_cast<double>(state.iterations());
  const double queriesSeconds = (full - base) / n;
  state.counters["queries_per_s"] = kQueries / queriesSeconds;
  state.counters["target_queries_per_s"] = kTargetQueriesPerSecond;
  state.counters["one_query_run_ms"] = base / n * 1e3;
  state.counters["batch_run_ms"] = full / n * 1e3;
  state.counters["ratio_to_one_query_run"] = full / base;
}
BENCHMARK(BM_SciBatch)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

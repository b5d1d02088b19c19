// What one CallChannel costs for the common kinds of query, on a large
// scene, and whether the name lookup stays flat as the scene grows.
#include <benchmark/benchmark.h>

#include "bench_support.h"
#include "generated_scenes.h"
#include "query_harness.h"

using namespace Importing;

namespace {

constexpr int kNodes = 100000;

struct Prepared {
  QueryHarness harness;
  explicit Prepared(SCI_INFO_TYPE type, int nodes) : harness(type) { harness.Fill(GeneratedTree(nodes)); }
};

// The host's own cost of writing one value, with nothing asked of the scene.
double BaselineSecondsPerSetValue() {
  ValueChannel value;
  float x = 0;
  constexpr int kBatch = 1000;
  return bench::SecondsPerCall([&] {
           for (int i = 0; i < kBatch; ++i) {
             value.SetValue(x += 1.0f);
             benchmark::DoNotOptimize(value);
           }
         }) /
         kBatch;
}

void RunCalls(benchmark::State& state, Prepared& prepared) {
  SceneContainerInfo& channel = *prepared.harness.channel;
  bench::CpuStopwatch work;
  work.Start();
  for (auto _ : state) channel.CallChannel();
  work.Stop();
  const double perCall = work.Seconds() / static_cast<double>(state.iterations());
  const double baseline = BaselineSecondsPerSetValue();
  state.counters["ns_per_call"] = perCall * 1e9;
  state.counters["baseline_set_value_ns"] = baseline * 1e9;
  state.counters["ratio_to_baseline"] = perCall / baseline;
  state.counters["target_ns"] = 100;
}

// Baseline: the host's own cost of writing one value, with nothing asked of the scene.
void BM_BaselineSetValue(benchmark::State& state) {
  ValueChannel value;
  float x = 0;
  for (auto _ : state) {
    value.SetValue(x += 1.0f);
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_BaselineSetValue);

void BM_NodeCount(benchmark::State& state) {
  Prepared p(SCI_NODE_COUNT, kNodes);
  RunCalls(state, p);
}
BENCHMARK(BM_NodeCount);

void BM_NodeChild(benchmark::State& state) {
  Prepared p(SCI_NODE_CHILD, kNodes);
  p.harness.SetInput(1, 1234);
  p.harness.SetInput(2, 3);
  RunCalls(state, p);
}
BENCHMARK(BM_NodeChild);

void BM_NodeName(benchmark::State& state) {
  Prepared p(SCI_NODE_NAME, kNodes);
  p.harness.SetInput(1, 54321);
  RunCalls(state, p);
}
BENCHMARK(BM_NodeName);

// The name lookup across scene sizes: the time per call should not grow.
void BM_NodeIdByName(benchmark::State& state) {
  const int nodes = static_cast<int>(state.range(0));
  Prepared p(SCI_NODE_ID, nodes);
  p.harness.Child<TextChannel>(1).SetText(("node" + std::to_string(nodes / 2 + 7)).c_str());
  RunCalls(state, p);
}
BENCHMARK(BM_NodeIdByName)->Arg(1000)->Arg(100000)->Arg(1000000);

}  // namespace

BENCHMARK_MAIN();

// The Python module's geometry path: the geometry query into the host mesh
// followed by the copy into flat arrays (what scene.geometry(i) does before
// NumPy takes the arrays over without copying), against the query into the
// host mesh alone as sci runs it, on a generated 1,050,021-vertex mesh.
//
// `sceneinfo_bench --write-mesh=FILE.glb` only writes that scene, for
// bench/sceneinfo_bench.py to time the same bytes from Python.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench_support.h"
#include "generated_files.h"
#include "python/scene_handle.h"

namespace {

// One mesh of 2,000,000 triangles on a grid 20 quads wide: 1,050,021
// vertices with positions, normals and one UV set.
constexpr int kMeshTriangles = 2000000;
constexpr double kTargetRatio = 0.8;

bool WriteMesh(const std::string& path) { return bench::WriteGridTreeGlb(path, 1, 1, kMeshTriangles); }

void BM_GeometryIntoArrays(benchmark::State& state) {
  bench::TempFolder folder;
  const std::string scene = (folder.Path() / "mesh.glb").string();
  std::string error;
  auto failure = sceneinfo::OpenFailure::None;
  Importing::GuardedImportOptions options;
  options.useCache = false;  // read once per run, and no snapshot left behind
  sci::QuerySession session;
  if (!WriteMesh(scene) || !session.LoadPlugin(SCI_PLUGIN_PATH, &error) ||
      !session.LoadScene(scene, &error, {}, options)) {
    state.SkipWithError(("cannot set up the scene: " + error).c_str());
    return;
  }
  const auto handle = sceneinfo::SceneHandle::Open(scene, SCI_PLUGIN_PATH, options, &error, &failure);
  if (!handle) {
    state.SkipWithError(error.c_str());
    return;
  }
  sci::QueryRequest request;
  request.info = Importing::FindInfoType(Importing::SCI_GEOMETRY);
  request.inputs.push_back({sci::Inputs(*request.info).at(0), 0, {}});

  sceneinfo::GeometryArrays arrays;
  std::vector<std::string> messages;
  bench::CpuStopwatch channel, copied;
  for (auto _ : state) {
    channel.Start();
    benchmark::DoNotOptimize(session.Run(request).outputs.data());
    channel.Stop();
    arrays = {};  // NumPy frees the arrays when they are dropped, not in the next call
    copied.Start();
    const bool answered = handle->Geometry(0, &arrays, &messages);
    copied.Stop();
    if (!answered) state.SkipWithError("the geometry query failed");
  }
  const double vertices = static_cast<double>(arrays.vertexCount) * static_cast<double>(state.iterations());
  state.counters["vertices"] = static_cast<double>(arrays.vertexCount);
  state.counters["vertices_per_s"] = vertices / copied.Seconds();
  state.counters["baseline_vertices_per_s"] = vertices / channel.Seconds();
  state.counters["ratio_to_baseline"] = channel.Seconds() / copied.Seconds();
  state.counters["target_ratio"] = kTargetRatio;
}
BENCHMARK(BM_GeometryIntoArrays)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  constexpr const char kWrite[] = "--write-mesh=";
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], kWrite, sizeof kWrite - 1) == 0) return WriteMesh(argv[i] + sizeof kWrite - 1) ? 0 : 1;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

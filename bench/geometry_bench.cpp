// GetGeometry into the host's mesh for a large geometry with two UV sets, in
// vertices per second, against copying the same vertex data.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench_support.h"
#include "host/mesh_channel.h"
#include "query_harness.h"

using namespace Importing;

namespace {

constexpr int kVertices = 1000000;
constexpr double kTargetVerticesPerSecond = 50e6;

// A triangle list over kVertices vertices with positions, normals and two UV sets.
Geometry LargeGeometry() {
  Geometry geometry(3);
  geometry.Vertices.reserve(kVertices);
  for (int i = 0; i < kVertices; ++i) {
    const float x = static_cast<float>(i % 1000), y = static_cast<float>(i / 1000);
    Vertex vertex(D3DXVECTOR3{x, y, 0.5f}, D3DXVECTOR3{0, 0, 1});
    vertex.AddUV(D3DXVECTOR2{x / 1000, y / 1000});
    vertex.AddUV(D3DXVECTOR2{y / 1000, x / 1000});
    geometry.Vertices.push_back(vertex);
  }
  for (int i = 0; i + 2 < kVertices; i += 3)
    for (int k = 0; k < 3; ++k) geometry.Indices.push_back(static_cast<std::uint32_t>(i + k));
  geometry.UpdateBoundingBox();
  return geometry;
}

void BM_GetGeometry(benchmark::State& state) {
  QueryHarness harness(SCI_GEOMETRY);
  SceneBuilder builder;
  builder.AddGeometry(LargeGeometry());
  harness.Fill(builder);
  harness.SetInput(1, 0);
  auto& mesh = harness.Child<MeshChannel>(2);

  // Arg 0: a mesh that already held this geometry, whose storage is reused;
  // arg 1: a mesh emptied before each call, which allocates every vertex anew.
  const bool emptied = state.range(0) == 1;
  bench::CpuStopwatch work;
  for (auto _ : state) {
    if (emptied) mesh.SetVertexCount(0);
    work.Start();
    harness.channel->CallChannel();
    work.Stop();
  }
  if (mesh.GetVertices().size() != kVertices) state.SkipWithError("the mesh did not receive the geometry");

  // Baseline: the vertex data (position, normal, two UV pairs) copied once.
  constexpr std::size_t kBytesPerVertex = sizeof(float) * (3 + 3 + 2 + 2);
  std::vector<char> from(kVertices * kBytesPerVertex, 1), to(from.size());
  const double copy = bench::SecondsPerCall([&] {
    std::memcpy(to.data(), from.data(), from.size());
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  });
  bench::ReportRates(state, "vertices_per_s", kVertices, work.Seconds() / static_cast<double>(state.iterations()),
                     copy, kTargetVerticesPerSecond);
}
BENCHMARK(BM_GetGeometry)->ArgName("emptied")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

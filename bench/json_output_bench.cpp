// sci --json for a whole mesh: the answer written as a stream through a
// sink on /dev/null, in vertices per second, against the cost of writing
// the same floats as text alone (the floor of any JSON writer). The peak
// of the sink's buffer shows that memory stays flat in the mesh size.
#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <vector>

#include "bench_support.h"
#include "host/mesh_channel.h"
#include "session/json_output.h"

namespace {

constexpr double kTargetVerticesPerSecond = 2e6;
constexpr int kFloatsPerVertex = 3 + 3 + 2;  // position, normal, one UV set

// A triangle list of `count` vertices with varied, non-integral values.
void FillMesh(MeshChannel& mesh, int count) {
  mesh.BeginMeshUpdate();
  mesh.SetPrimitiveType(4);
  mesh.SetVertexCount(count);
  for (int i = 0; i < count; ++i) {
    const float x = static_cast<float>(i % 1000) * 0.37f, y = static_cast<float>(i / 1000) * 0.113f;
    mesh.SetVertexPosition({x, y, x * y * 0.001f}, i);
    mesh.SetVertexNormal({0.267f, 0.535f, 0.802f}, i);
    mesh.SetVertexUV(0, {x / 371.0f, y / 113.0f}, i);
  }
  mesh.SetIndexCount(count);
  for (int i = 0; i < count; ++i) mesh.SetIndex(static_cast<std::uint32_t>(i), i);
  mesh.EndMeshUpdate();
}

void BM_JsonMesh(benchmark::State& state) {
  const int vertices = static_cast<int>(state.range(0));
  MeshChannel mesh;
  FillMesh(mesh, vertices);
  sci::QueryRequest request;
  request.info = Importing::FindInfoType(Importing::SCI_GEOMETRY);
  request.inputs.push_back({sci::Inputs(*request.info).at(0), 0, {}});
  sci::Answer answer;
  answer.request = &request;
  answer.outputs.push_back({sci::Outputs(*request.info).at(0), sci::ReadOutput(ChildKind::Mesh, &mesh)});

  std::FILE* null = std::fopen("/dev/null", "w");
  std::size_t peakBuffer = 0;
  bench::CpuStopwatch work;
  for (auto _ : state) {
    sci::TextSink sink(null);
    work.Start();
    sci::WriteAnswerJson(answer, sink);
    peakBuffer = std::max(peakBuffer, sink.text.capacity());
    sink.Write();
    work.Stop();
  }
  std::fclose(null);

  // Baseline: the same floats as shortest text, nothing else.
  std::vector<float> floats;
  for (const auto& vertex : mesh.GetVertices())
    floats.insert(floats.end(), {vertex.position.x, vertex.position.y, vertex.position.z, vertex.normal.x,
                                 vertex.normal.y, vertex.normal.z, vertex.uvs[0].x, vertex.uvs[0].y});
  char text[32];
  const double floatsAlone = bench::SecondsPerCall([&] {
    for (float value : floats) benchmark::DoNotOptimize(std::to_chars(text, text + sizeof text, value).ptr);
  });
  const double seconds = work.Seconds() / static_cast<double>(state.iterations());
  bench::ReportRates(state, "vertices_per_s", vertices, seconds, floatsAlone, kTargetVerticesPerSecond);
  state.counters["ns_per_float"] = seconds * 1e9 / (static_cast<double>(vertices) * kFloatsPerVertex);
  state.counters["baseline_ns_per_float"] = floatsAlone * 1e9 / static_cast<double>(floats.size());
  state.counters["peak_buffer_bytes"] = static_cast<double>(peakBuffer);
}
BENCHMARK(BM_JsonMesh)->ArgName("vertices")->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The glTF reader of this project against Assimp's ReadFile, both in this
// process and into the records' container, on the generated 31 MB GLB:
// time and peak memory, each side run in a child process of its own, in
// interleaved pairs, medians reported with each side's own figure. And the
// decoding rate of a 1M-vertex quantized mesh (and of its meshopt twin when
// gltfpack is installed) into the container, on one core.
#include <benchmark/benchmark.h>

#include <assimp/Importer.hpp>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "generated_files.h"
#include "scene/import/assimp/assimp_reading.h"
#include "scene/import/scene_importer.h"

namespace {

constexpr double kTimeTarget = 0.15, kPeakTarget = 0.5;  // of Assimp's
constexpr double kVerticesPerSecondTarget = 30e6;
constexpr int kQuantizedVertices = 1 << 20;

struct Run {
  double seconds = 0;
  double peakMiB = 0;
};

// Runs `work` in a child process: its wall time and its peak resident size.
template <typename Work>
Run InChild(Work work) {
  int pipes[2];
  if (::pipe(pipes) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = work();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double sent = ok ? seconds : -1;
    (void)!::write(pipes[1], &sent, sizeof sent);
    std::_Exit(0);
  }
  ::close(pipes[1]);
  Run run;
  if (::read(pipes[0], &run.seconds, sizeof run.seconds) != sizeof run.seconds) run.seconds = -1;
  ::close(pipes[0]);
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  run.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
  return run;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

bool AssimpRead(const std::string& path) {
  Assimp::Importer importer;
  Importing::Import::ConfigureImporter(importer);
  return Importing::Import::ReadFile(importer, path, {}).scene != nullptr;
}

bool NativeRead(const std::string& path) {
  Importing::SceneContainer container;
  return Importing::ImportScene(path, container, nullptr);
}

// Pairs of (Assimp, ours) then (ours, Assimp), so that neither side always
// runs first; medians over all pairs.
void BM_ReaderAgainstAssimp(benchmark::State& state, const std::string& path) {
  std::vector<double> assimpSeconds, nativeSeconds, assimpPeak, nativePeak;
  bool flip = false;
  for (auto _ : state) {
    const auto one = [&](bool native) {
      const Run run = InChild([&] { return native ? NativeRead(path) : AssimpRead(path); });
      (native ? nativeSeconds : assimpSeconds).push_back(run.seconds);
      (native ? nativePeak : assimpPeak).push_back(run.peakMiB);
      return run.seconds >= 0;
    };
    const bool ok = flip ? one(true) && one(false) : one(false) && one(true);
    flip = !flip;
    if (!ok) {
      state.SkipWithError(("cannot read " + path).c_str());
      return;
    }
    state.SetIterationTime(nativeSeconds.back());
  }
  const double assimp = Median(assimpSeconds), native = Median(nativeSeconds);
  state.counters["assimp_ms"] = assimp * 1e3;
  state.counters["native_ms"] = native * 1e3;
  state.counters["time_ratio"] = native / assimp;
  state.counters["time_target"] = kTimeTarget;
  state.counters["assimp_peak_MiB"] = Median(assimpPeak);
  state.counters["native_peak_MiB"] = Median(nativePeak);
  state.counters["peak_ratio"] = Median(nativePeak) / Median(assimpPeak);
  state.counters["peak_target"] = kPeakTarget;
}

// A GLB of one mesh of `vertices` vertices on a grid: positions as shorts,
// normals as normalized bytes, UVs as normalized unsigned shorts, as
// KHR_mesh_quantization allows and gltfpack writes.
std::string QuantizedGridGlb(int vertices) {
  const int columns = 1024, rows = vertices / columns;
  std::string bin;
  const auto put = [&bin](const void* data, std::size_t size) { bin.append(static_cast<const char*>(data), size); };
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      const std::int16_t p[4] = {static_cast<std::int16_t>(c), static_cast<std::int16_t>(r), static_cast<std::int16_t>((c * r) % 7), 0};
      put(p, sizeof p);
    }
  const std::size_t normals = bin.size();
  for (int v = 0; v < rows * columns; ++v) {
    const std::int8_t n[4] = {0, 0, 127, 0};
    put(n, sizeof n);
  }
  const std::size_t uvs = bin.size();
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < columns; ++c) {
      const std::uint16_t t[2] = {static_cast<std::uint16_t>(c * 64), static_cast<std::uint16_t>(r * 64)};
      put(t, sizeof t);
    }
  const std::size_t indices = bin.size();
  std::size_t indexCount = 0;
  for (int r = 0; r + 1 < rows; ++r)
    for (int c = 0; c + 1 < columns; ++c) {
      const std::uint32_t a = static_cast<std::uint32_t>(r * columns + c), b = a + 1,
                          d = a + static_cast<std::uint32_t>(columns), e = d + 1;
      const std::uint32_t quad[6] = {a, b, d, b, e, d};
      put(quad, sizeof quad);
      indexCount += 6;
    }
  const int count = rows * columns;
  const std::string json =
      R"({"asset":{"version":"2.0"},"extensionsUsed":["KHR_mesh_quantization"],"extensionsRequired":["KHR_mesh_quantization"],)"
      R"("scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0,"scale":[0.01,0.01,0.01]}],)"
      R"("meshes":[{"primitives":[{"attributes":{"POSITION":0,"NORMAL":1,"TEXCOORD_0":2},"indices":3}]}],)"
      R"("accessors":[{"bufferView":0,"componentType":5122,"count":)" + std::to_string(count) +
      R"(,"type":"VEC3","min":[0,0,0],"max":[)" + std::to_string(columns - 1) + "," + std::to_string(rows - 1) + R"(,6]},)"
      R"({"bufferView":1,"componentType":5120,"normalized":true,"count":)" + std::to_string(count) + R"(,"type":"VEC3"},)"
      R"({"bufferView":2,"componentType":5123,"normalized":true,"count":)" + std::to_string(count) + R"(,"type":"VEC2"},)"
      R"({"bufferView":3,"componentType":5125,"count":)" + std::to_string(indexCount) + R"(,"type":"SCALAR"}],)"
      R"("bufferViews":[{"buffer":0,"byteLength":)" + std::to_string(normals) + R"(,"byteStride":8},)"
      R"({"buffer":0,"byteOffset":)" + std::to_string(normals) + R"(,"byteLength":)" + std::to_string(uvs - normals) + R"(,"byteStride":4},)"
      R"({"buffer":0,"byteOffset":)" + std::to_string(uvs) + R"(,"byteLength":)" + std::to_string(indices - uvs) + R"(},)"
      R"({"buffer":0,"byteOffset":)" + std::to_string(indices) + R"(,"byteLength":)" + std::to_string(bin.size() - indices) + R"(}],)"
      R"("buffers":[{"byteLength":)" + std::to_string(bin.size()) + "}]}";
  std::string padded = json;
  while (padded.size() % 4) padded.push_back(' ');
  while (bin.size() % 4) bin.push_back('\0');
  const auto word = [](std::uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  return word(0x46546C67) + word(2) + word(static_cast<std::uint32_t>(12 + 8 + padded.size() + 8 + bin.size())) +
         word(static_cast<std::uint32_t>(padded.size())) + word(0x4E4F534A) + padded +
         word(static_cast<std::uint32_t>(bin.size())) + word(0x004E4942) + bin;
}

// Vertices decoded into the container a second, on the process's CPU clock
// (the import runs on a large-stack thread of its own).
void BM_DecodeIntoContainer(benchmark::State& state, const std::string& path) {
  bench::CpuStopwatch clock(bench::ProcessCpuSeconds);
  std::size_t vertices = 0;
  for (auto _ : state) {
    Importing::SceneContainer container;
    std::string error;
    clock.Start();
    const bool ok = Importing::ImportScene(path, container, &error);
    state.SetIterationTime(clock.Stop());
    if (!ok) {
      state.SkipWithError(error.c_str());
      return;
    }
    vertices = 0;
    for (const auto& geometry : container.Geometries()) vertices += geometry.Vertices.size();
    state.PauseTiming();
    container.Fill({});
    state.ResumeTiming();
  }
  state.counters["vertices"] = static_cast<double>(vertices);
  state.counters["vertices_per_s"] = static_cast<double>(vertices) * static_cast<double>(state.iterations()) / clock.Seconds();
  state.counters["target_per_s"] = kVerticesPerSecondTarget;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::TempFolder folder;
  const std::string generated = (folder.Path() / "grid-tree-1M-triangles-20k-nodes.glb").string();
  const std::string quantized = (folder.Path() / "quantized-1M-vertices.glb").string();
  const std::string meshopt = (folder.Path() / "meshopt-1M-vertices.glb").string();
  if (!bench::WriteGridTreeGlb(generated, bench::kGeneratedNodes, bench::kGeneratedMeshes,
                               bench::kGeneratedTrianglesPerMesh)) {
    std::fprintf(stderr, "cannot write %s\n", generated.c_str());
    return 1;
  }
  std::ofstream(quantized, std::ios::binary) << QuantizedGridGlb(kQuantizedVertices);
  benchmark::RegisterBenchmark("BM_ReaderAgainstAssimp/generated-1M-triangles-20k-nodes", BM_ReaderAgainstAssimp, generated)
      ->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
  benchmark::RegisterBenchmark("BM_DecodeIntoContainer/quantized-1M-vertices", BM_DecodeIntoContainer, quantized)
      ->UseManualTime()->Unit(benchmark::kMillisecond);
  const std::string pack = "gltfpack -i '" + quantized + "' -o '" + meshopt + "' -c -noq >/dev/null 2>&1";
  if (std::system(pack.c_str()) == 0)
    benchmark::RegisterBenchmark("BM_DecodeIntoContainer/meshopt-1M-vertices", BM_DecodeIntoContainer, meshopt)
        ->UseManualTime()->Unit(benchmark::kMillisecond);
  else
    std::fprintf(stderr, "gltfpack not installed: the meshopt mesh is not measured\n");
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

// Snapshot load speed against memcpy of the same bytes, and snapshot size
// against the bytes the records themselves hold, on a generated scene and on
// the largest sample scenes (where present).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "generated_files.h"
#include "scene/import/scene_importer.h"
#include "scene/snapshot/snapshot.h"

namespace {

using namespace Importing;

// Loading should stay in memcpy's class: within a tenth of its speed.
constexpr double kTargetRatio = 0.1;

const char* const kSampleFiles[] = {
    "gltf-large-32bit-indices/01_vertex_count_32bit.gltf",
    "obj-stanford-bunny/stanford-bunny.obj",
    "ply-point-cloud/pond.0.ply",
    "glb-2CylinderEngine/2CylinderEngine.glb",
    "dae-deep-hierarchy-anim/anims_with_full_rotations_between_keys.DAE",
};

std::size_t TextBytes(const std::vector<std::string>& texts) {
  std::size_t bytes = 0;
  for (const std::string& text : texts) bytes += text.size();
  return bytes;
}

// The bytes of every value the records hold (texts, numbers, ID lists), with no framing.
std::size_t PayloadBytes(const SceneContainer& scene) {
  std::size_t bytes = 4 + TextBytes(scene.TexturePaths()) + TextBytes(scene.Source().embeddedImages) +
                      TextBytes(scene.Source().warnings) + scene.Source().path.size() + scene.Source().format.size();
  for (const Node& n : scene.Nodes())
    bytes += n.GetName().size() + n.GetNote().size() + 64 + 4 +
             4 * (n.SurfaceIDs.size() + n.ChildIDs.size() + n.CameraIDs.size() + n.LightIDs.size());
  for (const Geometry& g : scene.Geometries()) {
    bytes += 8 + 24 + 4 * g.Indices.size();
    for (const Vertex& v : g.Vertices) bytes += 24 + 8 * v.GetUVSetCount();
  }
  for (const Surface& s : scene.Surfaces()) {
    bytes += 8;
    for (const SurfaceTexture& t : s.Textures) bytes += t.GetTextureType().size() + 12 + 64;
  }
  for (const Material& m : scene.Materials()) bytes += m.GetName().size() + 56;
  for (const Animation& a : scene.Animations()) bytes += 44 * a.size();
  for (const Camera& c : scene.Cameras()) bytes += c.GetName().size() + 80;
  for (const Light& l : scene.Lights()) bytes += l.GetName().size() + 145;
  return bytes;
}

// The container's own share of a load: Fill rebuilding its derived data
// (name index, parents, global matrices, scene box) from records made outside the time.
double FillSeconds(const SceneContainer& scene) {
  SceneData data{scene.Animations(), scene.Cameras(),    scene.Lights(), scene.Geometries(), scene.Source(),
                 scene.TexturePaths(), scene.Materials(), scene.Nodes(),  scene.Surfaces(),   scene.GetRootNodeID()};
  SceneContainer filled;
  bench::CpuStopwatch fill;
  fill.Start();
  filled.Fill(std::move(data));
  return fill.Stop();
}

// Each iteration loads the snapshot into a fresh container and copies its
// bytes with memcpy, both on this thread's CPU clock; containers are
// released outside the time.
void BM_SnapshotLoad(benchmark::State& state, const std::string& path) {
  SceneContainer imported;
  std::string error;
  std::vector<std::uint8_t> bytes;
  if (!ImportScene(path, imported, &error) || !SaveSnapshotToBytes(imported, {}, bytes, &error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::vector<std::uint8_t> copy(bytes.size(), 1);
  bench::CpuStopwatch load, memcpyTime;
  for (auto _ : state) {
    auto container = std::make_unique<SceneContainer>();
    load.Start();
    const bool ok = LoadSnapshotFromBytes(bytes.data(), bytes.size(), *container, nullptr, &error);
    load.Stop();
    memcpyTime.Start();
    std::memcpy(copy.data(), bytes.data(), bytes.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
    memcpyTime.Stop();
    state.PauseTiming();
    container.reset();
    state.ResumeTiming();
    if (!ok) return state.SkipWithError(error.c_str());
  }
  const double loaded = static_cast<double>(bytes.size()) * static_cast<double>(state.iterations());
  bench::ReportRates(state, "GB_per_s", loaded / 1e9, load.Seconds(), memcpyTime.Seconds(),
                     kTargetRatio * loaded / 1e9 / memcpyTime.Seconds());
  state.counters["fill_share"] = FillSeconds(imported) * static_cast<double>(state.iterations()) / load.Seconds();
  state.counters["snapshot_MB"] = static_cast<double>(bytes.size()) / 1e6;
  state.counters["payload_MB"] = static_cast<double>(PayloadBytes(imported)) / 1e6;
  state.counters["size_to_payload"] = static_cast<double>(bytes.size()) / static_cast<double>(PayloadBytes(imported));
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  bench::TempFolder folder;
  const std::string generated = (folder.Path() / "grid-tree-1M-triangles-20k-nodes.glb").string();
  if (!bench::WriteGridTreeGlb(generated, bench::kGeneratedNodes, bench::kGeneratedMeshes,
                               bench::kGeneratedTrianglesPerMesh)) {
    std::fprintf(stderr, "cannot write %s\n", generated.c_str());
    return 1;
  }
  benchmark::RegisterBenchmark("BM_SnapshotLoad/generated-1M-triangles-20k-nodes", BM_SnapshotLoad, generated)
      ->Unit(benchmark::kMillisecond);
  const std::filesystem::path samples = SCI_SAMPLE_SCENES_DIR;
  if (!std::filesystem::is_directory(samples))
    std::fprintf(stderr, "sample scenes not found at %s: only the generated scene is measured\n",
                 samples.string().c_str());
  for (const char* file : kSampleFiles) {
    const std::filesystem::path path = samples / file;
    if (std::filesystem::is_regular_file(path))
      benchmark::RegisterBenchmark(("BM_SnapshotLoad/" + path.filename().string()).c_str(), BM_SnapshotLoad,
                                   path.string())
          ->Unit(benchmark::kMillisecond);
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

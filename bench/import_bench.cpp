// Import cost: Assimp's ReadFile alone with this library's settings, and
// with Assimp joining identical vertices as well, against the whole import
// (read, convert and weld, build the derived data, release Assimp's scene),
// on the largest sample scenes and on a generated large scene.
//
// `import_bench --write-generated=FILE.glb` only writes the generated scene,
// for comparisons with other programs that must read the same file.
#include <benchmark/benchmark.h>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_support.h"
#include "generated_files.h"
#include "scene/import/assimp/assimp_reading.h"
#include "scene/import/large_stack.h"
#include "scene/import/scene_importer.h"

namespace {

// Conversion may add at most 10% to Assimp's own time.
constexpr double kTargetRatio = 1.10;

// The largest files of the sample scenes, where present.
const char* const kSampleFiles[] = {
    "gltf-large-32bit-indices/01_vertex_count_32bit.gltf",
    "obj-stanford-bunny/stanford-bunny.obj",
    "ply-point-cloud/pond.0.ply",
    "glb-2CylinderEngine/2CylinderEngine.glb",
    "gltf-AnimateAllTheThings/24_animation_pointer.gltf",
    "fbx-skeleton-anim/maya_kenney_character_7700_binary.fbx",
    "x-skeleton-anim/BCN_Epileptic.X",
    "fbx-barbarian/blender_293_barbarian_7400_binary.fbx",
};

// Assimp's part: an importer with our settings reads the file with our
// post-processing, and releases its scene when it goes. It runs on a
// large-stack thread as the import does, so that both pay for the thread
// and for its fresh heap arena alike. With `join`, Assimp also joins
// identical vertices, as the importer once asked it to on every file.
bool AssimpReadAlone(const std::string& path, bool join) {
  bool read = false;
  Importing::Import::RunOnLargeStack([&] {
    Assimp::Importer importer;
    Importing::Import::ConfigureImporter(importer);
    const auto outcome = Importing::Import::ReadFile(importer, path, {});
    const aiScene* scene = outcome.scene && join ? importer.ApplyPostProcessing(aiProcess_JoinIdenticalVertices)
                                                 : outcome.scene;
    benchmark::DoNotOptimize(scene);
    read = scene != nullptr;
  });
  return read;
}

// Each iteration times each side twice, in the order read, joined read,
// import, import, joined read, read, so that the ratios compare runs made
// under the same load and no side always meets a heap another has just
// grown. The container is emptied outside the time. Every side runs on a
// thread of its own, so all read the process's CPU clock; the import's time
// is the reported time.
void BM_Import(benchmark::State& state, const std::string& path) {
  bench::CpuStopwatch assimp(bench::ProcessCpuSeconds), joined(bench::ProcessCpuSeconds),
      whole(bench::ProcessCpuSeconds);
  double iterationSeconds = 0;
  std::string error;
  auto read = [&](bench::CpuStopwatch& stopwatch, bool join) {
    state.PauseTiming();
    stopwatch.Start();
    const bool ok = AssimpReadAlone(path, join);
    stopwatch.Stop();
    state.ResumeTiming();
    return ok;
  };
  auto import = [&] {
    auto container = std::make_unique<Importing::SceneContainer>();
    whole.Start();
    const bool ok = Importing::ImportScene(path, *container, &error);
    iterationSeconds += whole.Stop();
    state.PauseTiming();
    container.reset();
    state.ResumeTiming();
    return ok;
  };
  for (auto _ : state) {
    iterationSeconds = 0;
    if (!read(assimp, false) || !read(joined, true) || !import() || !import() || !read(joined, true) ||
        !read(assimp, false)) {
      state.SkipWithError(("cannot import: " + error).c_str());
      return;
    }
    state.SetIterationTime(iterationSeconds);
  }
  state.SetItemsProcessed(2 * state.iterations());
  const double n = 2.0 * static_cast<double>(state.iterations());
  state.counters["assimp_ms"] = assimp.Seconds() / n * 1e3;
  state.counters["import_ms"] = whole.Seconds() / n * 1e3;
  state.counters["ratio_to_assimp"] = whole.Seconds() / assimp.Seconds();
  state.counters["joined_read_ms"] = joined.Seconds() / n * 1e3;
  state.counters["ratio_to_joined_read"] = whole.Seconds() / joined.Seconds();
  state.counters["target_ratio"] = kTargetRatio;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    constexpr const char kWrite[] = "--write-generated=";
    if (std::strncmp(argv[i], kWrite, sizeof kWrite - 1) == 0) {
      const bool written = bench::WriteGridTreeGlb(argv[i] + sizeof kWrite - 1, bench::kGeneratedNodes,
                                                   bench::kGeneratedMeshes, bench::kGeneratedTrianglesPerMesh);
      return written ? 0 : 1;
    }
  }
  benchmark::Initialize(&argc, argv);

  bench::TempFolder folder;
  const std::string generated = (folder.Path() / "grid-tree-1M-triangles-20k-nodes.glb").string();
  if (!bench::WriteGridTreeGlb(generated, bench::kGeneratedNodes, bench::kGeneratedMeshes,
                               bench::kGeneratedTrianglesPerMesh)) {
    std::fprintf(stderr, "cannot write %s\n", generated.c_str());
    return 1;
  }
  benchmark::RegisterBenchmark("BM_Import/generated-1M-triangles-20k-nodes", BM_Import, generated)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond);

  const std::filesystem::path samples = SCI_SAMPLE_SCENES_DIR;
  if (!std::filesystem::is_directory(samples)) {
    std::fprintf(stderr, "sample scenes not found at %s: only the generated scene is measured\n",
                 samples.string().c_str());
  } else {
    for (const char* file : kSampleFiles) {
      const std::filesystem::path path = samples / file;
      if (!std::filesystem::is_regular_file(path)) continue;
      benchmark::RegisterBenchmark(("BM_Import/" + path.filename().string()).c_str(), BM_Import, path.string())
          ->UseManualTime()
          ->Unit(benchmark::kMillisecond);
    }
  }
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

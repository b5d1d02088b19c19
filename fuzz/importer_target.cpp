#include <string>

#include "fuzz/channel_rig.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/query_sweep.h"
#include "scene/import/scene_importer.h"

namespace sci_fuzz {

namespace {

// The first byte picks the format; the rest is the file. Text formats and
// binary ones, each read by a different Assimp loader; glTF, the format the
// project is used with most, twice. Collada is left out: Assimp 5.2.5's
// reader dereferences null on some damaged files, which no caller can catch
// (see FUZZING.md).
constexpr const char* kExtensions[] = {"gltf", "glb", "obj", "stl", "ply", "gltf", "3ds", "off"};

}  // namespace

int Importer(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char* extension = kExtensions[data[0] % (sizeof kExtensions / sizeof *kExtensions)];

  ChannelRig rig;
  std::string error;
  if (!Importing::ImportSceneFromMemory(data + 1, size - 1, extension, *rig.scene, &error)) {
    SCI_FUZZ_CHECK(error.rfind("Cannot import '<memory>.", 0) == 0, "a failed import explains itself");
    SCI_FUZZ_CHECK(rig.scene->Nodes().empty() && rig.scene->GetRootNodeID() == -1,
                   "a failed import leaves the container alone");
    return 0;
  }
  const std::string defect = FirstDefect(*rig.scene);
  if (!defect.empty()) std::fprintf(stderr, "imported scene: %s\n", defect.c_str());
  SCI_FUZZ_CHECK(defect.empty(), "an imported scene is one tree with valid cross-references");
  SweepQueries(rig, true);
  return 0;
}

}  // namespace sci_fuzz

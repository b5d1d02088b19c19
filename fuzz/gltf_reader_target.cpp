#include <string>

#include "fuzz/channel_rig.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/query_sweep.h"
#include "scene/import/scene_importer.h"

namespace sci_fuzz {

int GltfReader(const std::uint8_t* data, std::size_t size) {
  ChannelRig rig;
  std::string error;
  // The reader tells GLB from JSON by the bytes, whatever the extension.
  if (!Importing::ImportSceneFromMemory(data, size, "glb", *rig.scene, &error)) {
    SCI_FUZZ_CHECK(error.rfind("Cannot import '<memory>.glb': ", 0) == 0, "a refused file explains itself");
    SCI_FUZZ_CHECK(rig.scene->Nodes().empty() && rig.scene->GetRootNodeID() == -1,
                   "a refused file leaves the container alone");
    return 0;
  }
  const std::string defect = FirstDefect(*rig.scene);
  if (!defect.empty()) std::fprintf(stderr, "read scene: %s\n", defect.c_str());
  SCI_FUZZ_CHECK(defect.empty(), "a read scene is one tree with valid cross-references");
  for (const Importing::Geometry& geometry : rig.scene->Geometries())
    for (const std::uint32_t index : geometry.Indices)
      SCI_FUZZ_CHECK(index < geometry.Vertices.size(), "every index names a vertex of its geometry");
  SweepQueries(rig, true);
  return 0;
}

}  // namespace sci_fuzz

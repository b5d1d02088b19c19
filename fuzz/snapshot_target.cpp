#include <string>
#include <vector>

#include "fuzz/channel_rig.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/query_sweep.h"
#include "scene/snapshot/snapshot.h"
#include "scene/snapshot/snapshot_format.h"

namespace sci_fuzz {

int Snapshot(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<std::uint8_t> bytes(data + 1, data + size);
  if (data[0] & 1) Importing::snapshot::Reseal(bytes);

  ChannelRig rig;
  Importing::SnapshotProvenance provenance;
  provenance.importerBuildId = "before";
  std::string error;
  if (!Importing::LoadSnapshotFromBytes(bytes.data(), bytes.size(), *rig.scene, &provenance, &error)) {
    SCI_FUZZ_CHECK(error.rfind("Cannot load snapshot: ", 0) == 0 && error.size() > 22, "a refusal explains itself");
    SCI_FUZZ_CHECK(rig.scene->Nodes().empty() && rig.scene->GetRootNodeID() == -1 &&
                       provenance.importerBuildId == "before",
                   "a refused snapshot leaves the container and the provenance alone");
    return 0;
  }
  // Each scene has one encoding, and what loads is a scene the writer accepts.
  std::vector<std::uint8_t> again;
  SCI_FUZZ_CHECK(Importing::SaveSnapshotToBytes(*rig.scene, provenance, again, &error), "a loaded scene saves");
  SCI_FUZZ_CHECK(again == bytes, "a loaded snapshot saves to the same bytes");
  SweepQueries(rig, false);
  return 0;
}

}  // namespace sci_fuzz

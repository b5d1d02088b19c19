#include <string>
#include <vector>

#include "fuzz/channel_rig.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/query_sweep.h"
#include "scene/snapshot/snapshot.h"
#include "scene/snapshot/snapshot_format.h"
#include "scene/snapshot/snapshot_reader.h"

namespace sci_fuzz {

namespace {

// Reads the snapshot in parts, in an order the input's first bytes choose:
// no part may crash the reader, a failed part leaves nothing of it behind,
// and a snapshot that loads whole loads part by part into the same scene.
void LoadInParts(const std::vector<std::uint8_t>& bytes, bool loadsWhole, const std::uint8_t* order,
                 std::size_t orderSize) {
  Importing::SnapshotReader reader;
  std::string error;
  const bool opened = reader.OpenBytes(bytes.data(), bytes.size(), &error);
  SCI_FUZZ_CHECK(opened || !loadsWhole, "a snapshot that loads whole opens");
  if (!opened) return;
  Importing::SceneContainer scene;
  bool allLoaded = true;
  for (std::size_t i = 0; i < orderSize; ++i) {
    const Importing::ScenePartSet parts = 1u << (order[i] % 12);
    const std::int64_t geometry = order[i] >= 240 ? Importing::kEveryGeometry : (order[i] >> 4) - 1;
    const std::size_t nodesBefore = scene.Nodes().size();
    const bool loaded = reader.Load(parts, geometry, scene, &error);
    SCI_FUZZ_CHECK(loaded || !loadsWhole, "every part of a sound snapshot loads");
    SCI_FUZZ_CHECK(loaded || scene.Nodes().size() == nodesBefore, "a failed part leaves the nodes as they were");
    allLoaded = allLoaded && loaded;
  }
  if (!loadsWhole || !allLoaded) return;
  SCI_FUZZ_CHECK(reader.Load(Importing::kEveryPart, Importing::kEveryGeometry, scene, &error), "the rest loads");
  std::vector<std::uint8_t> again;
  SCI_FUZZ_CHECK(Importing::SaveSnapshotToBytes(scene, reader.Provenance(), again, &error), "a loaded scene saves");
  std::vector<std::uint8_t> whole;
  Importing::SceneContainer loaded;
  SCI_FUZZ_CHECK(Importing::LoadSnapshotFromBytes(bytes.data(), bytes.size(), loaded, nullptr, &error) &&
                     Importing::SaveSnapshotToBytes(loaded, reader.Provenance(), whole, &error) && again == whole,
                 "a snapshot loaded in parts saves as it does loaded whole");
}

}  // namespace

int Snapshot(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::vector<std::uint8_t> bytes(data + 1, data + size);
  if (data[0] & 1) Importing::snapshot::Reseal(bytes);
  // The first byte's other bits choose the order of a read in parts.
  std::uint8_t order[8];
  std::uint32_t state = data[0] >> 1;
  for (std::uint8_t& step : order) step = static_cast<std::uint8_t>((state = state * 1103515245u + 12345u) >> 16);
  const std::size_t orderSize = sizeof order;

  ChannelRig rig;
  Importing::SnapshotProvenance provenance;
  provenance.importerBuildId = "before";
  std::string error;
  if (!Importing::LoadSnapshotFromBytes(bytes.data(), bytes.size(), *rig.scene, &provenance, &error)) {
    SCI_FUZZ_CHECK(error.rfind("Cannot load snapshot: ", 0) == 0 && error.size() > 22, "a refusal explains itself");
    SCI_FUZZ_CHECK(rig.scene->Nodes().empty() && rig.scene->GetRootNodeID() == -1 &&
                       provenance.importerBuildId == "before",
                   "a refused snapshot leaves the container and the provenance alone");
    LoadInParts(bytes, false, order, orderSize);
    return 0;
  }
  // Each scene has one encoding, and what loads is a scene the writer accepts.
  std::vector<std::uint8_t> again;
  SCI_FUZZ_CHECK(Importing::SaveSnapshotToBytes(*rig.scene, provenance, again, &error), "a loaded scene saves");
  // Sections of tags this build does not know are skipped, and not written again.
  const bool onlyKnownSections = bytes[12] == Importing::snapshot::kSectionCount && bytes[13] == 0;
  SCI_FUZZ_CHECK(again == bytes || !onlyKnownSections, "a loaded snapshot saves to the same bytes");
  LoadInParts(bytes, true, order, orderSize);
  SweepQueries(rig, false);
  return 0;
}

}  // namespace sci_fuzz

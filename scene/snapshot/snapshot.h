#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scene/export.h"
#include "scene/scene_container.h"

// Snapshots: a versioned, little-endian binary image of a scene container,
// headed by where the scene came from, so that a later run can load the
// records instead of importing the file again.
namespace Importing {

// One file the reader opened, as the file system described it then.
struct SnapshotFileIdentity {
  std::string path;
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;
  std::int64_t ctimeNs = 0;
  std::uint64_t inode = 0;
};

// What decides whether a snapshot still answers for its scene file.
struct SnapshotProvenance {
  std::string importerBuildId;  // changes with every build of the importer's code
  std::string readerLibraries;  // the reader libraries the helper ran on (path, size, time, inode each)
  std::string importSettings;   // the import settings, as text
  std::vector<SnapshotFileIdentity> files;  // the scene file first, then every companion file the reader opened
  std::vector<std::string> missingPaths;    // paths the reader looked for and did not find
};

// Writes the container's records and the provenance to `path`, through a temporary file renamed into place.
SCENE_API bool SaveSnapshot(const SceneContainer& container, const SnapshotProvenance& provenance,
                            const std::string& path, std::string* error);
// Reads a snapshot: on success fills `container` (one Fill) and `provenance` (may be null);
// on failure leaves `container` as it was and says why in `error`.
SCENE_API bool LoadSnapshot(const std::string& path, SceneContainer& container, SnapshotProvenance* provenance,
                            std::string* error);
// Reads the header only (for a cache's freshness check), without the records.
SCENE_API bool ReadSnapshotProvenance(const std::string& path, SnapshotProvenance& provenance, std::string* error);

// The same image in memory: `out` is replaced by the snapshot's bytes (on
// failure its content is unspecified).
SCENE_API bool SaveSnapshotToBytes(const SceneContainer& container, const SnapshotProvenance& provenance,
                                   std::vector<std::uint8_t>& out, std::string* error);
// Reads a snapshot from `size` bytes at `data`, with LoadSnapshot's guarantees.
SCENE_API bool LoadSnapshotFromBytes(const std::uint8_t* data, std::size_t size, SceneContainer& container,
                                     SnapshotProvenance* provenance, std::string* error);

}  // namespace Importing

#pragma once

// The way every host of ours opens a scene file: the import runs in a
// helper process (sci-import, installed beside the libraries) under a memory
// and a time limit, so that no file can crash, exhaust or hang the host, and
// its result is kept as a snapshot so that the next look at an unchanged
// file loads in the time it takes to copy it.

#include <cstdint>
#include <functional>
#include <string>

#include "scene/import/scene_importer.h"
#include "scene/scene_container.h"
#include "scene/snapshot/snapshot_reader.h"

namespace Importing {

struct GuardedImportOptions {
  // The most resident memory the reader may use; 0: DefaultImportMemoryLimit().
  std::uint64_t maxMemoryBytes = 0;
  // The longest the reader may take; 0: no limit.
  double timeoutSeconds = 600;
  // Where snapshots are kept; empty: $XDG_CACHE_HOME/sci (~/.cache/sci).
  std::string cacheDir;
  // False: import afresh and keep nothing.
  bool useCache = true;
  // The most bytes of snapshots the cache folder keeps.
  std::uint64_t cacheCapBytes = std::uint64_t{2} << 30;
  // Called with the fraction done (0 to 1) while a file is read; may be empty.
  std::function<void(float)> progress;
  // Which reader reads glTF files.
  GltfReader gltfReader = GltfReader::Native;
  // Called once with why the cache folder is not used; may be empty.
  std::function<void(const std::string&)> warning;
};

// How an import failed.
enum class ImportFailure {
  None,
  Unreadable,   // the reader refused the file, with its reason
  Crashed,      // the reader died by a signal
  OutOfMemory,  // the reader went over the memory limit
  TimedOut,     // the reader went over the time limit
  NoHelper,     // the helper program is missing or could not run
};

// The smaller of half the machine's memory and 16 GiB.
std::uint64_t DefaultImportMemoryLimit();

// "12 GiB", "512 MiB", "100 KiB" or "100 bytes".
std::string MemorySizeText(std::uint64_t bytes);

// Opens `path` as ImportSceneGuarded does, without loading a record: on
// success `reader` is open on the snapshot (the cache entry, or the one the
// helper has just written), from which the host loads what each question
// reads; `entry` (may be null) names the cache entry, empty when nothing is kept.
bool OpenSceneGuarded(const std::string& path, SnapshotReader& reader, std::string* entry, std::string* error,
                      const GuardedImportOptions& options = {}, ImportFailure* failure = nullptr);

// Reads `path` into `container` as ImportScene does, guarded and cached as
// described above. On failure returns false, leaves `container` as it was,
// explains in `error` (naming the file) and sets `failure` (may be null).
// Never throws.
bool ImportSceneGuarded(const std::string& path, SceneContainer& container, std::string* error,
                        const GuardedImportOptions& options = {}, ImportFailure* failure = nullptr);

}  // namespace Importing

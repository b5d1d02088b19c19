#pragma once

// A folder of scene snapshots, one per scene file, import settings and
// build of the importer. An entry is used only while the scene file and
// every companion file the reader opened are unchanged and no path it
// looked for in vain has appeared. Entries appear by rename only; the
// folder keeps itself under a size cap, least recently used out first.

#include <cstdint>
#include <string>

#include "scene/import/file_identity.h"
#include "scene/snapshot/snapshot.h"

namespace Importing::Import {

// $XDG_CACHE_HOME/sci, or ~/.cache/sci when that is unset; empty when
// neither can be found.
std::string DefaultCacheDir();

class SnapshotCache {
 public:
  // What every entry must have been made by.
  SnapshotCache(std::string dir, std::string importerBuildId, std::string readerLibraries,
                std::string importSettings);

  // The entry for the scene file with the identity `scene`, whether it
  // exists or not: one entry per file however its path is spelled.
  std::string EntryPath(const FileIdentity& scene) const;

  // True when the folder may be used: made 0700 when missing, owned by
  // the effective user and writable by no one else. Otherwise `why` says
  // what is wrong with it.
  bool PrivateDir(std::string* why) const;

  // True when `entry` is a regular file owned by the effective user and
  // writable by no one else; an entry planted by another is never read.
  static bool OwnEntry(const std::string& entry);

  // True when `provenance` was made by this importer under these settings
  // from the scene file `scene`, and nothing it read or missed has changed.
  bool IsFresh(const SnapshotProvenance& provenance, const FileIdentity& scene) const;

  // The provenance that a new entry for `scene` must carry, files aside.
  SnapshotProvenance Expected() const;

  // Marks an entry as just used.
  static void Touch(const std::string& entry);

  // Removes the least recently used entries until the folder holds at
  // most `capBytes` of them.
  void Trim(std::uint64_t capBytes) const;

  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_, buildId_, readerLibraries_, settings_;
};

}  // namespace Importing::Import

#include "scene/import/guarded_import.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>

#include "scene/import/file_identity.h"
#include "scene/import/helper_process.h"
#include "scene/import/import_helper.h"
#include "scene/import/import_settings.h"
#include "scene/import/snapshot_cache.h"
#include "scene/snapshot/snapshot.h"
#include "scene/snapshot/snapshot_reader.h"

namespace Importing {
namespace {

using namespace Import;
namespace fs = std::filesystem;

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

// A private folder for a snapshot that is not kept, removed with its content.
class ScratchDir {
 public:
  ScratchDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") + "/sci-import-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

struct Outcome {
  bool ok = false;
  ImportFailure failure = ImportFailure::None;
  std::string error;
};

// True when the cache folder may be used; a folder that may not is no
// error: the import then keeps nothing, and says why once.
bool UsableCache(const SnapshotCache& cache, const GuardedImportOptions& options) {
  std::string why;
  if (cache.PrivateDir(&why)) return true;
  if (!why.empty() && options.warning) options.warning("the cache folder '" + cache.Dir() + "' is not used: " + why);
  return false;
}

Outcome Fail(ImportFailure failure, std::string error) { return {false, failure, std::move(error)}; }

// Tries the cache; true when `reader` is open on a fresh entry.
bool OpenCached(const SnapshotCache& cache, const std::string& entry, const FileIdentity& scene,
                SnapshotReader& reader) {
  std::string why;
  if (!SnapshotCache::OwnEntry(entry) || ::access(entry.c_str(), R_OK) != 0 || !reader.OpenFile(entry, &why) ||
      !cache.IsFresh(reader.Provenance(), scene))
    return false;
  SnapshotCache::Touch(entry);
  return true;
}

Outcome ExplainHelperEnd(const std::string& path, const HelperResult& result, const GuardedImportOptions& options,
                         std::uint64_t maxMemory) {
  switch (result.end) {
    case HelperEnd::Succeeded: break;
    case HelperEnd::Failed:
      return Fail(ImportFailure::Unreadable,
                  !result.message.empty() ? result.message
                                          : "Cannot import '" + path + "': the reader failed (exit status " +
                                                std::to_string(result.exitStatus) + ")");
    case HelperEnd::Crashed:
      return Fail(ImportFailure::Crashed,
                  path + ": the reader crashed while reading this file (" + SignalName(result.signal) + ")");
    case HelperEnd::OutOfMemory:
      return Fail(ImportFailure::OutOfMemory,
                  path + ": the reader ran out of memory (limit " + MemorySizeText(maxMemory) + ")");
    case HelperEnd::TimedOut: {
      char seconds[32];
      std::snprintf(seconds, sizeof seconds, "%g", options.timeoutSeconds);
      return Fail(ImportFailure::TimedOut, path + ": the reader took longer than " + seconds + " s");
    }
    case HelperEnd::NotStarted:
      return Fail(ImportFailure::NoHelper, "Cannot import '" + path + "': " + result.message);
  }
  return {true, ImportFailure::None, {}};
}

Outcome ImportInHelper(const std::string& path, SnapshotReader& reader, std::string* entry,
                       const GuardedImportOptions& options) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return Fail(ImportFailure::Unreadable, "Cannot import '" + path + "': no such file");
  if (!S_ISREG(info.st_mode))
    return Fail(ImportFailure::Unreadable, "Cannot import '" + path + "': not a regular file (it is " +
                                               FileKindName(info.st_mode) + ")");
  const FileIdentity scene = IdentityOf(AbsolutePath(path), info);

  const std::string helper = FindImportHelper();
  if (helper.empty()) {
    std::string error = "Cannot import '" + path + "': the import helper sci-import is missing; looked for";
    for (const std::string& candidate : ImportHelperCandidates()) error += "\n  " + candidate;
    return Fail(ImportFailure::NoHelper, error);
  }
  const std::string buildId = ImportBuildId(helper);
  const SnapshotCache cache(options.cacheDir.empty() ? DefaultCacheDir() : options.cacheDir, buildId,
                            ReaderLibrariesText(), ImportSettingsText(options.gltfReader));

  std::string snapshot;
  const bool caching = options.useCache && UsableCache(cache, options);
  if (caching) {
    snapshot = cache.EntryPath(scene);
    if (entry) *entry = snapshot;
    if (OpenCached(cache, snapshot, scene, reader)) return {true, ImportFailure::None, {}};
  }
  std::optional<ScratchDir> scratch;
  if (!caching) {
    scratch.emplace();
    if (scratch->Path().empty())
      return Fail(ImportFailure::NoHelper, "Cannot import '" + path + "': cannot make a temporary folder");
    snapshot = scratch->Path() + "/scene.scisnap";
  }

  const std::uint64_t maxMemory = options.maxMemoryBytes > 0 ? options.maxMemoryBytes : DefaultImportMemoryLimit();
  const HelperResult result =
      RunHelper(helper, {path, snapshot, buildId, std::to_string(::getpid()), GltfReaderName(options.gltfReader)},
                {maxMemory, options.timeoutSeconds}, options.progress);
  Outcome outcome = ExplainHelperEnd(path, result, options, maxMemory);
  if (!outcome.ok) return outcome;
  // The host reads from what the helper wrote exactly what a warm run would
  // read; a scratch snapshot stays readable through the open file once its folder is gone.
  std::string why;
  if (!reader.OpenFile(snapshot, &why))
    return Fail(ImportFailure::Unreadable, "Cannot import '" + path + "': the reader's result cannot be loaded: " + why);
  if (caching) cache.Trim(options.cacheCapBytes);
  return outcome;
}

}  // namespace

std::uint64_t DefaultImportMemoryLimit() {
  const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return 16 * kGiB;
  return std::min<std::uint64_t>(static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize) / 2,
                                 16 * kGiB);
}

std::string MemorySizeText(std::uint64_t bytes) {
  static constexpr const char* kUnits[] = {"bytes", "KiB", "MiB", "GiB", "TiB"};
  int unit = 0;
  double value = static_cast<double>(bytes);
  while (value >= 1024 && unit < 4) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, "%.*f %s", value == static_cast<double>(static_cast<std::uint64_t>(value)) ? 0 : 1,
                value, kUnits[unit]);
  return text;
}

bool OpenSceneGuarded(const std::string& path, SnapshotReader& reader, std::string* entry, std::string* error,
                      const GuardedImportOptions& options, ImportFailure* failure) {
  Outcome outcome;
  if (entry) entry->clear();
  try {
    outcome = ImportInHelper(path, reader, entry, options);
  } catch (const std::bad_alloc&) {
    outcome = Fail(ImportFailure::Unreadable, "Cannot import '" + path + "': ran out of memory while loading it");
  } catch (const std::exception& thrown) {
    outcome = Fail(ImportFailure::Unreadable, "Cannot import '" + path + "': " + thrown.what());
  }
  if (!outcome.ok && error) *error = outcome.error;
  if (failure) *failure = outcome.failure;
  return outcome.ok;
}

}  // namespace Importing

namespace Importing {

bool ImportSceneGuarded(const std::string& path, SceneContainer& container, std::string* error,
                        const GuardedImportOptions& options, ImportFailure* failure) {
  SnapshotReader reader;
  if (!OpenSceneGuarded(path, reader, nullptr, error, options, failure)) return false;
  SceneContainer loaded;
  std::string why;
  if (!reader.Load(kEveryPart, kEveryGeometry, loaded, &why)) {
    if (error) *error = "Cannot import '" + path + "': the reader's result cannot be loaded: " + why;
    if (failure) *failure = ImportFailure::Unreadable;
    return false;
  }
  container.Swap(loaded);
  return true;
}

}  // namespace Importing

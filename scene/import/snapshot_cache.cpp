#include "scene/import/snapshot_cache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace Importing::Import {
namespace {

namespace fs = std::filesystem;

constexpr const char* kEntryExtension = ".scisnap";

// XXH3-128 of the key: unrelated keys never meet.
std::string KeyHash(const std::string& text) {
  const XXH128_hash_t hash = XXH3_128bits(text.data(), text.size());
  char hex[33];
  std::snprintf(hex, sizeof hex, "%016llx%016llx", static_cast<unsigned long long>(hash.high64),
                static_cast<unsigned long long>(hash.low64));
  return hex;
}

bool SameFile(const SnapshotFileIdentity& recorded) {
  struct stat info;
  if (::stat(recorded.path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const FileIdentity now = IdentityOf(recorded.path, info);
  return now.size == recorded.size && now.mtimeNs == recorded.mtimeNs && now.ctimeNs == recorded.ctimeNs &&
         now.inode == recorded.inode;
}

bool StillMissing(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

}  // namespace

std::string DefaultCacheDir() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/sci";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return std::string(home) + "/.cache/sci";
  return {};
}

SnapshotCache::SnapshotCache(std::string dir, std::string importerBuildId, std::string readerLibraries,
                             std::string importSettings)
    : dir_(std::move(dir)),
      buildId_(std::move(importerBuildId)),
      readerLibraries_(std::move(readerLibraries)),
      settings_(std::move(importSettings)) {}

std::string SnapshotCache::EntryPath(const FileIdentity& scene) const {
  std::error_code ec;
  const fs::path canonical = fs::canonical(scene.path, ec);
  std::string key;
  for (const std::string& part : {ec ? scene.path : canonical.string(), std::to_string(scene.device),
                                  std::to_string(scene.inode), std::to_string(scene.size),
                                  std::to_string(scene.mtimeNs), std::to_string(scene.ctimeNs), buildId_,
                                  readerLibraries_, settings_})
    key += part + '\n';
  return dir_ + "/" + KeyHash(key) + kEntryExtension;
}

bool SnapshotCache::PrivateDir(std::string* why) const {
  if (dir_.empty()) return false;
  std::error_code ec;
  const fs::path dir(dir_);
  if (dir.has_parent_path()) fs::create_directories(dir.parent_path(), ec);
  if (::mkdir(dir_.c_str(), 0700) != 0 && errno != EEXIST) {
    *why = "cannot make it: " + std::string(std::strerror(errno));
    return false;
  }
  struct stat info;
  if (::lstat(dir_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    *why = "it is not a folder";
    return false;
  }
  if (info.st_uid != ::geteuid()) {
    *why = "it belongs to user " + std::to_string(info.st_uid) + ", not to " + std::to_string(::geteuid());
    return false;
  }
  if ((info.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    *why = "others can write into it";
    return false;
  }
  if (::access(dir_.c_str(), W_OK) != 0) {
    *why = "it cannot be written";
    return false;
  }
  return true;
}

bool SnapshotCache::OwnEntry(const std::string& entry) {
  struct stat info;
  return ::lstat(entry.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
         (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

SnapshotProvenance SnapshotCache::Expected() const {
  SnapshotProvenance provenance;
  provenance.importerBuildId = buildId_;
  provenance.readerLibraries = readerLibraries_;
  provenance.importSettings = settings_;
  return provenance;
}

bool SnapshotCache::IsFresh(const SnapshotProvenance& provenance, const FileIdentity& scene) const {
  if (provenance.importerBuildId != buildId_ || provenance.readerLibraries != readerLibraries_ ||
      provenance.importSettings != settings_ || provenance.files.empty() || provenance.files[0].path != scene.path)
    return false;
  return std::all_of(provenance.files.begin(), provenance.files.end(), SameFile) &&
         std::all_of(provenance.missingPaths.begin(), provenance.missingPaths.end(), StillMissing);
}

void SnapshotCache::Touch(const std::string& entry) { ::utimensat(AT_FDCWD, entry.c_str(), nullptr, 0); }

void SnapshotCache::Trim(std::uint64_t capBytes) const {
  struct Entry {
    fs::path path;
    std::uint64_t size;
    fs::file_time_type used;
  };
  std::vector<Entry> entries;
  std::uint64_t total = 0;
  std::error_code ec;
  const auto abandoned = fs::file_time_type::clock::now() - std::chrono::hours(1);
  for (fs::directory_iterator it(dir_, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code statError;
    const std::uint64_t size = it->file_size(statError);
    const fs::file_time_type used = it->last_write_time(statError);
    if (statError) continue;  // removed by another run meanwhile
    // A half-written entry of a reader that was stopped: no run still
    // writes one that has not changed for an hour.
    if (it->path().filename().string().find(std::string(kEntryExtension) + ".tmp") != std::string::npos &&
        used < abandoned)
      fs::remove(it->path(), statError);
    if (it->path().extension() != kEntryExtension) continue;
    entries.push_back({it->path(), size, used});
    total += size;
  }
  if (total <= capBytes) return;
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.used < b.used; });
  for (const Entry& entry : entries) {
    if (total <= capBytes) break;
    fs::remove(entry.path, ec);
    total -= entry.size;
  }
}

}  // namespace Importing::Import

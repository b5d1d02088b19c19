#pragma once

// The identity of a file as the file system describes it: enough to tell
// whether a file read earlier is still the same file with the same bytes.

#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace Importing::Import {

struct FileIdentity {
  std::string path;  // absolute
  std::uint64_t size = 0;
  std::int64_t mtimeNs = 0;
  std::int64_t ctimeNs = 0;
  std::uint64_t inode = 0;
  std::uint64_t device = 0;
};

// `path` made absolute and normalised, without resolving links.
std::string AbsolutePath(const std::string& path);

FileIdentity IdentityOf(const std::string& absolutePath, const struct stat& info);

inline bool operator==(const FileIdentity& a, const FileIdentity& b) {
  return a.path == b.path && a.size == b.size && a.mtimeNs == b.mtimeNs && a.ctimeNs == b.ctimeNs &&
         a.inode == b.inode && a.device == b.device;
}
inline bool operator!=(const FileIdentity& a, const FileIdentity& b) { return !(a == b); }

// What a file of this mode is, for messages: "a directory", "a FIFO", ...
const char* FileKindName(mode_t mode);

}  // namespace Importing::Import

#include "scene/import/file_identity.h"

#include <filesystem>
#include <system_error>

namespace Importing::Import {

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  return (ec ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

FileIdentity IdentityOf(const std::string& absolutePath, const struct stat& info) {
  FileIdentity identity;
  identity.path = absolutePath;
  identity.size = static_cast<std::uint64_t>(info.st_size);
  identity.mtimeNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  identity.ctimeNs = static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  identity.inode = static_cast<std::uint64_t>(info.st_ino);
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  return identity;
}

const char* FileKindName(mode_t mode) {
  if (S_ISREG(mode)) return "a regular file";
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a regular file";
}

}  // namespace Importing::Import

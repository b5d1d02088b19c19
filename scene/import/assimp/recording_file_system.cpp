#include "scene/import/assimp/recording_file_system.h"

#include <assimp/IOStream.hpp>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace Importing::Import {
namespace {

// A read-only stream over an open file, buffered by stdio like Assimp's own.
class FileStream : public Assimp::IOStream {
 public:
  FileStream(std::FILE* file, std::size_t size) : file_(file), size_(size) {}
  ~FileStream() override { std::fclose(file_); }
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  std::size_t Read(void* buffer, std::size_t size, std::size_t count) override {
    return size == 0 || count == 0 ? 0 : std::fread(buffer, size, count, file_);
  }
  std::size_t Write(const void*, std::size_t, std::size_t) override { return 0; }
  aiReturn Seek(std::size_t offset, aiOrigin origin) override {
    const int whence = origin == aiOrigin_CUR ? SEEK_CUR : origin == aiOrigin_END ? SEEK_END : SEEK_SET;
    return fseeko(file_, static_cast<off_t>(offset), whence) == 0 ? aiReturn_SUCCESS : aiReturn_FAILURE;
  }
  std::size_t Tell() const override {
    const off_t at = ftello(file_);
    return at < 0 ? 0 : static_cast<std::size_t>(at);
  }
  std::size_t FileSize() const override { return size_; }
  void Flush() override {}

 private:
  std::FILE* file_;
  std::size_t size_;
};

class View : public Assimp::IOSystem {
 public:
  explicit View(RecordingFileSystem& files) : files_(files) {}
  bool Exists(const char* path) const override { return files_.Exists(path); }
  char getOsSeparator() const override { return files_.getOsSeparator(); }
  Assimp::IOStream* Open(const char* path, const char* mode) override { return files_.Open(path, mode); }
  void Close(Assimp::IOStream* stream) override { files_.Close(stream); }

 private:
  RecordingFileSystem& files_;
};

}  // namespace

Assimp::IOSystem* RecordingFileSystem::NewView() { return new View(*this); }

void RecordingFileSystem::NoteMissing(const std::string& path) const {
  const std::string absolute = AbsolutePath(path);
  if (std::find(missing_.begin(), missing_.end(), absolute) == missing_.end()) missing_.push_back(absolute);
}

bool RecordingFileSystem::Exists(const char* path) const {
  struct stat info;
  if (path != nullptr && ::stat(path, &info) == 0) return true;
  if (path != nullptr) NoteMissing(path);
  return false;
}

Assimp::IOStream* RecordingFileSystem::Open(const char* path, const char* mode) {
  if (path == nullptr || (mode != nullptr && std::strpbrk(mode, "wa+") != nullptr)) return nullptr;
  struct stat info;
  if (::stat(path, &info) != 0) {
    NoteMissing(path);
    return nullptr;
  }
  const std::string absolute = AbsolutePath(path);
  const auto refuse = [&](mode_t kind) {
    refused_.push_back("'" + absolute + "' is " + FileKindName(kind));
    return nullptr;
  };
  if (!S_ISREG(info.st_mode)) return refuse(info.st_mode);
  // Non-blocking, so that a file swapped for a FIFO after the check above
  // cannot block the open; fstat then tells what was really opened.
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return nullptr;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return refuse(info.st_mode);
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "rb");
  if (file == nullptr) {
    ::close(fd);
    return nullptr;
  }
  const bool seen = std::any_of(opened_.begin(), opened_.end(),
                                [&](const FileIdentity& identity) { return identity.path == absolute; });
  if (!seen) opened_.push_back(IdentityOf(absolute, info));
  return new FileStream(file, static_cast<std::size_t>(info.st_size));
}

void RecordingFileSystem::Close(Assimp::IOStream* stream) { delete stream; }

}  // namespace Importing::Import

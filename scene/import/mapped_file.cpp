#include "scene/import/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace Importing::Import {

MappedFile::MappedFile(const std::string& path, std::size_t size) : size_(size) {
  if (size == 0) return;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  void* data = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, fd, 0);
  ::close(fd);
  if (data != MAP_FAILED) data_ = data;
}

MappedFile::~MappedFile() {
  if (data_) ::munmap(data_, size_);
}

}  // namespace Importing::Import

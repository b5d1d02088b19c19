#pragma once

// A file's bytes mapped read-only into memory: read where they are, with no
// copy and no zero-filled buffer first, and unmapped when it goes.

#include <cstddef>
#include <string>
#include <string_view>

namespace Importing::Import {

class MappedFile {
 public:
  // Maps `size` bytes of `path`; Bytes() is empty when it cannot be mapped.
  MappedFile(const std::string& path, std::size_t size);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  bool Mapped() const { return data_ != nullptr || size_ == 0; }
  std::string_view Bytes() const { return {static_cast<const char*>(data_), data_ ? size_ : 0}; }

 private:
  void* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace Importing::Import

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/export.h"

// Writes the tagged settings of one channel: a tag, its block size, then
// exactly that many bytes. Encoding of a tag entry: the tag's length (one
// byte), its characters, the block size (64-bit little-endian), the block.
class ORVHOST_API OrvFileSaver {
 public:
  // Each returns 0, or -1 once the entries written so far are malformed (a
  // tag longer than 255 characters, data beyond the announced block size,
  // a new tag before the previous block was complete).
  int SaveTag(const char* tag);
  int SaveBlockSize(std::uint64_t size);
  int SaveDataToFile(const void* data, std::uint64_t size);

  // True when every entry is well formed and its block complete.
  bool Complete() const;
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string bytes_;
  std::uint64_t pending_ = 0;  // bytes still owed to the current block
  bool sizeDue_ = false;       // a tag was written and its block size not yet
  bool failed_ = false;
};

// Reads the tagged settings of one channel. Every length is checked against
// the bytes that are left when the entries are parsed, so no later call can
// read outside them.
class ORVHOST_API OrvFileLoader {
 public:
  // Parses `bytes` (the loader keeps its own copy). False with a message
  // naming the offset and the reason when the entries are malformed.
  bool Parse(std::string bytes, std::string* error);

  // Makes the first entry named `tag`, at or after entry number `start`,
  // current. False when there is none.
  bool GotoTag(const char* tag, int start);

  // Copies the current entry's block to `destination` when the block is
  // exactly `expectedSize` bytes long; otherwise copies nothing and returns
  // false. A block's size comes from the file, so the destination's size
  // bounds the copy.
  bool CopyTagDataToPointer(void* destination, std::uint64_t expectedSize) const;

  // The current entry's block.
  std::string CurrentBlock() const;

 private:
  struct Entry {
    std::string tag;
    std::size_t offset;
    std::size_t size;
  };
  std::string bytes_;
  std::vector<Entry> entries_;
  int current_ = -1;
};

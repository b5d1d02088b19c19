#include "scene/import/assimp/binary_gltf_check.h"

#include <cstring>

namespace Importing::Import {

namespace {

std::uint32_t LittleEndian32(const unsigned char* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
         static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The chunk whose 8-byte header (length, type) starts at `at` fits when its
// data, which follows the header, ends inside the file.
bool ChunkFits(std::uint64_t size, const ReadAt& read, std::uint64_t at, std::string* why) {
  unsigned char header[8];
  if (!read(at, header, sizeof header)) return true;  // no such chunk; Assimp reports what is missing
  const std::uint64_t length = LittleEndian32(header);
  if (length <= size - (at + sizeof header)) return true;
  if (why)
    *why = "binary glTF chunk at offset " + std::to_string(at) + " claims " + std::to_string(length) +
           " bytes, but the file has only " + std::to_string(size) + " bytes";
  return false;
}

}  // namespace

bool CheckBinaryGltfLengths(std::uint64_t size, const ReadAt& read, std::string* why) {
  // Header: magic "glTF", version, total length; then the first chunk (the
  // JSON, or in version 1 the content) from offset 12.
  unsigned char header[12];
  if (!read(0, header, sizeof header) || std::memcmp(header, "glTF", 4) != 0) return true;
  if (!ChunkFits(size, read, 12, why)) return false;
  if (LittleEndian32(header + 4) != 2) return true;
  // Version 2 may follow the JSON chunk, padded to four bytes, with the BIN chunk.
  unsigned char first[4];
  if (!read(12, first, sizeof first)) return true;
  const std::uint64_t next = 20 + ((static_cast<std::uint64_t>(LittleEndian32(first)) + 3) & ~std::uint64_t{3});
  return next >= size || ChunkFits(size, read, next, why);
}

}  // namespace Importing::Import

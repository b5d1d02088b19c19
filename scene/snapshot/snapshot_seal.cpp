#include "scene/snapshot/snapshot_format.h"

namespace Importing::snapshot {

namespace {

std::uint64_t Get64Bytes(const std::vector<std::uint8_t>& bytes, std::size_t at, int width) {
  std::uint64_t v = 0;
  for (int i = width - 1; i >= 0; --i) v = v << 8 | bytes[at + i];
  return v;
}

std::uint64_t Get64(const std::vector<std::uint8_t>& bytes, std::size_t at) { return Get64Bytes(bytes, at, 8); }

std::uint32_t Get32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(Get64Bytes(bytes, at, 4));
}

void Put64(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) bytes[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

bool Holds(const std::vector<std::uint8_t>& bytes, std::uint64_t offset, std::uint64_t length) {
  return offset <= bytes.size() && length <= bytes.size() - offset;
}

}  // namespace

void Reseal(std::vector<std::uint8_t>& bytes) {
  if (bytes.size() < kFileHeaderSize) return;
  const std::uint64_t count = Get32(bytes, 12);
  if (count > kMaxSectionCount || !Holds(bytes, kFileHeaderSize, count * kIndexEntrySize)) return;
  std::uint64_t dataOffset = 0;
  bool dataFound = false;
  // Each geometry's checksum first: GHDR's own checksum covers them.
  for (int pass = 0; pass < 2; ++pass)
    for (std::uint64_t i = 0; i < count; ++i) {
      const std::size_t entry = kFileHeaderSize + i * kIndexEntrySize;
      const std::uint32_t tag = Get32(bytes, entry);
      const std::uint64_t offset = Get64(bytes, entry + 8), length = Get64(bytes, entry + 16);
      if (!Holds(bytes, offset, length)) continue;
      if (tag == kSections[kGeometryData].tag) {
        dataOffset = offset;
        dataFound = true;
      }
      if (pass == 0 && tag == kSections[kGeometryHeaders].tag && dataFound && length >= 4) {
        const std::uint64_t geometries = Get32(bytes, offset);
        constexpr std::size_t kHeaderBytes = 8 + 24 + 4 + 4 + 1 + 1 + 24;
        for (std::uint64_t g = 0; g < geometries && 4 + (g + 1) * kHeaderBytes <= length; ++g) {
          const std::size_t header = offset + 4 + g * kHeaderBytes;
          const std::uint64_t at = dataOffset + Get64(bytes, header + 42), size = Get64(bytes, header + 50);
          if (Holds(bytes, at, size)) Put64(bytes, header + 58, Checksum(bytes.data() + at, size));
        }
      }
      if (pass == 1 && tag != kSections[kGeometryData].tag)
        Put64(bytes, entry + 24, Checksum(bytes.data() + offset, length));
    }
  Put64(bytes, 16, Checksum(bytes.data() + kFileHeaderSize, count * kIndexEntrySize));
}

}  // namespace Importing::snapshot

#include "scene/snapshot/snapshot_bytes.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace Importing::snapshot {

namespace {

std::uint64_t Word64(const std::uint8_t* p) {
  std::uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

}  // namespace

std::uint64_t Checksum(const std::uint8_t* data, std::size_t size) { return XXH3_64bits(data, size); }

void ByteReader::Fail(const std::string& why) {
  if (error_.empty()) error_ = "section '" + section_ + "': " + why;
  at_ = end_;
}

const std::uint8_t* ByteReader::TakeFailed(std::size_t bytes, const char* what) {
  if (Ok()) Fail(std::string(what) + " needs " + std::to_string(bytes) + " bytes, " + std::to_string(Left()) + " left");
  return nullptr;
}

std::uint8_t ByteReader::U8() {
  const std::uint8_t* p = Take(1, "a byte");
  return p ? *p : 0;
}

float ByteReader::F32() {
  float v = 0;
  Words32(&v, 1, "a float");
  return v;
}

std::uint64_t ByteReader::U64() {
  const std::uint8_t* p = Take(8, "a 64-bit field");
  return p ? Word64(p) : 0;
}


std::uint32_t ByteReader::CountFailed(std::uint32_t count, std::size_t minBytes, const char* what) {
  Fail(std::to_string(count) + " " + what + " need at least " + std::to_string(count * minBytes) + " bytes, " +
       std::to_string(Left()) + " left");
  return 0;
}

std::vector<std::string> ByteReader::Strings(const char* what) {
  std::vector<std::string> list(Count(4, what));
  for (std::string& s : list) s = String(what);
  return list;
}

void ByteReader::ExpectEnd() {
  if (Ok() && Left() != 0) Fail(std::to_string(Left()) + " bytes left over after its records");
}

}  // namespace Importing::snapshot

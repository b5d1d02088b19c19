#include "scene/snapshot_bytes.h"

namespace Importing::snapshot {

namespace {

constexpr std::uint64_t kMul1 = 0x9E3779B97F4A7C15ULL;
constexpr std::uint64_t kMul2 = 0xBF58476D1CE4E5B9ULL;
constexpr std::uint64_t kMul3 = 0x94D049BB133111EBULL;

std::uint64_t Rotl(std::uint64_t v, int r) { return (v << r) | (v >> (64 - r)); }

std::uint64_t Word64(const std::uint8_t* p) {
  std::uint64_t v;
  std::memcpy(&v, p, 8);
  if constexpr (!kLittleEndianHost) v = __builtin_bswap64(v);
  return v;
}

// Each step is a bijection of the lane for a given word and of the word for
// a given lane, so a changed word always leaves a changed lane.
std::uint64_t Step(std::uint64_t lane, std::uint64_t word) { return Rotl(lane + word * kMul2, 31) * kMul1; }

std::uint64_t Fold(std::uint64_t h, std::uint64_t lane) { return Rotl(h ^ Step(0, lane), 27) * kMul1 + kMul3; }

}  // namespace

std::uint64_t Checksum(const std::uint8_t* data, std::size_t size) {
  std::uint64_t lanes[4] = {kMul1 + kMul2, kMul2, 0, kMul1 ^ kMul3};
  std::size_t i = 0;
  // Four independent lanes keep the multipliers busy: this runs near memory speed.
  for (; i + 32 <= size; i += 32)
    for (int k = 0; k < 4; ++k) lanes[k] = Step(lanes[k], Word64(data + i + 8 * k));
  std::uint64_t h = static_cast<std::uint64_t>(size) * kMul3;
  for (const std::uint64_t lane : lanes) h = Fold(h, lane);
  for (; i + 8 <= size; i += 8) h = Fold(h, Word64(data + i));
  for (; i < size; ++i) h = Rotl(h ^ (data[i] * kMul3), 11) * kMul1;
  h ^= h >> 33;
  h *= kMul2;
  h ^= h >> 29;
  h *= kMul3;
  return h ^ (h >> 32);
}

void ByteReader::Fail(const std::string& why) {
  if (error_.empty()) error_ = "section '" + section_ + "': " + why;
  at_ = end_;
}

const std::uint8_t* ByteReader::Take(std::size_t bytes, const char* what) {
  if (!Ok()) return nullptr;
  if (bytes > Left()) {
    Fail(std::string(what) + " needs " + std::to_string(bytes) + " bytes, " + std::to_string(Left()) + " left");
    return nullptr;
  }
  const std::uint8_t* taken = at_;
  at_ += bytes;
  return taken;
}

std::uint8_t ByteReader::U8() {
  const std::uint8_t* p = Take(1, "a byte");
  return p ? *p : 0;
}

std::uint32_t ByteReader::U32() {
  std::uint32_t v = 0;
  Words32(&v, 1, "a 32-bit field");
  return v;
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

void ByteReader::Words32(void* words, std::size_t count, const char* what) {
  const std::uint8_t* p = Take(count * 4, what);
  if (p) CopyWords32(words, p, count);
  else if (count > 0) std::memset(words, 0, count * 4);
}

std::string ByteReader::String(const char* what) {
  const std::uint32_t size = U32();
  const std::uint8_t* p = Take(size, what);
  return p ? std::string(reinterpret_cast<const char*>(p), size) : std::string();
}

std::uint32_t ByteReader::Count(std::size_t minBytes, const char* what) {
  const std::uint32_t count = U32();
  if (!Ok()) return 0;
  if (minBytes > 0 && count > Left() / minBytes) {
    Fail(std::to_string(count) + " " + what + " need at least " + std::to_string(count * minBytes) +
         " bytes, " + std::to_string(Left()) + " left");
    return 0;
  }
  return count;
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

#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>


// Little-endian encoding for snapshots: a writer that appends to a byte
// vector and a bounds-checked reader over untrusted bytes. On little-endian
// hosts arrays move with one memcpy; elsewhere each element is swapped.
namespace Importing::snapshot {

#if defined(__BYTE_ORDER__) && defined(__ORDER_BIG_ENDIAN__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
inline constexpr bool kLittleEndianHost = false;
#else
inline constexpr bool kLittleEndianHost = true;
#endif

// XXH3-64 of `size` bytes: the same on every host.
std::uint64_t Checksum(const std::uint8_t* data, std::size_t size);

// Copies `count` elements of 4 bytes between host order and little-endian order.
inline void CopyWords32(void* to, const void* from, std::size_t count) {
  if (count == 0) return;  // an empty vector's data() may be null
  std::memcpy(to, from, count * 4);
  if constexpr (!kLittleEndianHost) {
    auto* bytes = static_cast<std::uint8_t*>(to);
    for (std::size_t i = 0; i < count; ++i, bytes += 4) {
      std::swap(bytes[0], bytes[3]);
      std::swap(bytes[1], bytes[2]);
    }
  }
}

class ByteWriter {
 public:
  explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  void U8(std::uint8_t v) { out_.push_back(v); }
  void U32(std::uint32_t v) { Words32(&v, 1); }
  void I32(std::int32_t v) { Words32(&v, 1); }
  void F32(float v) { Words32(&v, 1); }
  void U64(std::uint64_t v) {
    for (int i = 0; i < 8; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void I64(std::int64_t v) { U64(static_cast<std::uint64_t>(v)); }
  // Appends `count` 4-byte words (floats, 32-bit integers) in little-endian order.
  void Words32(const void* words, std::size_t count) {
    const std::size_t at = out_.size();
    out_.resize(at + count * 4);
    CopyWords32(out_.data() + at, words, count);
  }
  void String(const std::string& s) {
    U32(static_cast<std::uint32_t>(s.size()));
    out_.insert(out_.end(), s.begin(), s.end());
  }
  void Strings(const std::vector<std::string>& list) {
    U32(static_cast<std::uint32_t>(list.size()));
    for (const std::string& s : list) String(s);
  }
  // Appends zeros up to the next multiple of `alignment` bytes.
  void PadTo(std::size_t alignment) { out_.resize((out_.size() + alignment - 1) / alignment * alignment, 0); }
  std::size_t Size() const { return out_.size(); }
  std::uint8_t* At(std::size_t offset) { return out_.data() + offset; }

 private:
  std::vector<std::uint8_t>& out_;
};

// Reads one section. The first failure (too few bytes, a count that the
// bytes left cannot hold) is kept as a message and every later read yields
// zeros, so that decoders check Ok() only where a failure would matter.
class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size, std::string section)
      : at_(data), end_(data + size), section_(std::move(section)) {}

  bool Ok() const { return error_.empty(); }
  const std::string& Error() const { return error_; }
  std::size_t Left() const { return static_cast<std::size_t>(end_ - at_); }
  void Fail(const std::string& why);
  void FailUnlessEmpty(const std::string& why) {
    if (!why.empty()) Fail(why);
  }

  std::uint8_t U8();
  std::uint32_t U32() {
    std::uint32_t v = 0;
    if (const std::uint8_t* p = Take(4, "a 32-bit field")) CopyWords32(&v, p, 1);
    return v;
  }
  std::int32_t I32() { return static_cast<std::int32_t>(U32()); }
  float F32();
  std::uint64_t U64();
  std::int64_t I64() { return static_cast<std::int64_t>(U64()); }
  // Reads `count` 4-byte words into `words` (zeros once failed).
  void Words32(void* words, std::size_t count, const char* what) {
    const std::uint8_t* p = Take(count * 4, what);
    if (p) CopyWords32(words, p, count);
    else if (count > 0) std::memset(words, 0, count * 4);
  }
  // Inline with Count, as a section of a million nodes reads millions of them.
  std::string String(const char* what) {
    const std::uint32_t size = U32();
    const std::uint8_t* p = Take(size, what);
    return p ? std::string(reinterpret_cast<const char*>(p), size) : std::string();
  }
  // A count of elements of at least `minBytes` each; 0 (and a failure) when
  // the bytes left cannot hold that many.
  std::uint32_t Count(std::size_t minBytes, const char* what) {
    const std::uint32_t count = U32();
    if (!Ok()) return 0;
    if (minBytes > 0 && count > Left() / minBytes) return CountFailed(count, minBytes, what);
    return count;
  }
  std::vector<std::string> Strings(const char* what);
  // A pointer to the next `bytes` bytes, which the reader skips; null once failed.
  const std::uint8_t* Take(std::size_t bytes, const char* what) {
    if (bytes > Left() || !Ok()) return TakeFailed(bytes, what);
    const std::uint8_t* taken = at_;
    at_ += bytes;
    return taken;
  }
  // Fails unless every byte of the section was read.
  void ExpectEnd();

 private:
  const std::uint8_t* TakeFailed(std::size_t bytes, const char* what);
  std::uint32_t CountFailed(std::uint32_t count, std::size_t minBytes, const char* what);

  const std::uint8_t* at_;
  const std::uint8_t* end_;
  std::string section_;
  std::string error_;
};

}  // namespace Importing::snapshot

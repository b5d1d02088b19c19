#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace sci_fuzz {

// Hands out the fuzz input piece by piece; once it runs dry every read gives
// zero, so any input makes a complete (if small) structure.
class ByteSource {
 public:
  ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return at_ >= size_; }
  std::size_t Left() const { return Empty() ? 0 : size_ - at_; }

  std::uint8_t Byte() { return Empty() ? 0 : data_[at_++]; }
  std::uint16_t U16() {
    const unsigned low = Byte();
    return static_cast<std::uint16_t>(low | static_cast<unsigned>(Byte()) << 8);
  }
  std::uint32_t U32() {
    const std::uint32_t low = U16();
    return low | static_cast<std::uint32_t>(U16()) << 16;
  }
  bool Bool() { return (Byte() & 1) != 0; }
  // A number in [0, bound).
  std::size_t Below(std::size_t bound) { return bound == 0 ? 0 : U16() % bound; }

  // Raw bit patterns: NaN, infinities, denormals and ordinary values alike.
  float AnyFloat() {
    const std::uint32_t bits = U32();
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
  }

  // An ID against a collection of `count` records: mostly in range, else one
  // of the values that break careless code.
  int Id(std::size_t count) {
    const std::uint8_t pick = Byte();
    const int n = static_cast<int>(count);
    switch (pick % 8) {
      case 0: return -1;
      case 1: return n;
      case 2: return n + static_cast<int>(Byte());
      case 3: return std::numeric_limits<int>::min() + static_cast<int>(Byte());
      case 4: return std::numeric_limits<int>::max() - static_cast<int>(Byte());
      default: return count == 0 ? static_cast<int>(Byte()) - 1 : static_cast<int>(U16() % count);
    }
  }

  // An input for a query that selects among `count` records: in range, just
  // below a whole number, -1, -0.5, the count itself, NaN, the infinities,
  // values beyond any int, or any bit pattern.
  float Input(std::size_t count) {
    const float n = static_cast<float>(count);
    switch (Byte() % 12) {
      case 0: return -1.0f;
      case 1: return -0.5f;
      case 2: return n;
      case 3: return n + 0.5f;
      case 4: return std::numeric_limits<float>::quiet_NaN();
      case 5: return std::numeric_limits<float>::infinity();
      case 6: return -std::numeric_limits<float>::infinity();
      case 7: return Bool() ? 2147483648.0f : -2147483904.0f;
      case 8: return AnyFloat();
      case 9: return static_cast<float>(Below(count == 0 ? 1 : count)) + 0.9f;
      default: return static_cast<float>(Below(count == 0 ? 1 : count));
    }
  }

  // Up to `max` bytes as text, taken as they come (markup, quotes, bytes
  // that are not UTF-8); `zero` stands in for a NUL byte.
  std::string Text(std::size_t max, char zero = '0') {
    std::string text;
    const std::size_t length = Below(max + 1);
    for (std::size_t i = 0; i < length && !Empty(); ++i) {
      const char c = static_cast<char>(Byte());
      text.push_back(c == '\0' ? zero : c);
    }
    return text;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

}  // namespace sci_fuzz

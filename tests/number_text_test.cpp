// The XML number formatter against the stream it stands in for: a default
// std::ostringstream in the classic locale, over millions of floats that
// cover every exponent, both signs, infinities, NaNs, the switches into and
// out of exponent form and exact rounding ties.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "session/value_text.h"
#include "xml/number_text.h"

namespace {

float FromBits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::uint32_t ToBits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// Formats with both and counts the floats whose texts differ, keeping the
// first of them for the failure message.
struct Comparison {
  std::ostringstream stream;
  std::uint64_t checked = 0, mismatches = 0;
  std::string first;

  Comparison() { stream.imbue(std::locale::classic()); }
  void Check(float value) {
    stream.str(std::string());
    stream << value;
    std::string text;
    Importing::xml::AppendNumber(text, value);
    ++checked;
    char bits[11];
    std::snprintf(bits, sizeof bits, "0x%08x", ToBits(value));
    if (text != stream.str() && mismatches++ == 0)
      first = std::string("bits ") + bits + ": formatter \"" + text + "\", stream \"" + stream.str() + "\"";
  }
  void CheckBits(std::uint32_t bits) { Check(FromBits(bits)); }
};

#define EXPECT_NO_MISMATCH(comparison) \
  EXPECT_EQ((comparison).mismatches, 0u) << (comparison).first << " (of " << (comparison).checked << ")"

// Every exponent (denormals, infinities and NaNs included), both signs, with
// the smallest and largest mantissas and 2,048 spread between them.
TEST(XmlNumberSweep, EveryExponentAndSign) {
  Comparison c;
  for (std::uint32_t sign = 0; sign < 2; ++sign)
    for (std::uint32_t exponent = 0; exponent < 256; ++exponent) {
      const std::uint32_t base = sign << 31 | exponent << 23;
      for (std::uint32_t m : {0u, 1u, 2u, 3u, 0x400000u, 0x400001u, 0x7FFFFEu, 0x7FFFFFu}) c.CheckBits(base | m);
      for (std::uint32_t m = 5; m < 0x800000u; m += 4093) c.CheckBits(base | m);
    }
  EXPECT_NO_MISMATCH(c);
}

// A thousand neighbours on each side of every power of ten a float reaches,
// which holds the switches into exponent form at 1e-4 and 1e6 and every
// place where rounding to six digits carries into a new decade.
TEST(XmlNumberSweep, AroundEveryPowerOfTen) {
  Comparison c;
  for (int e = -45; e <= 38; ++e) {
    const std::uint32_t magnitude = ToBits(std::strtof(("1e" + std::to_string(e)).c_str(), nullptr));
    for (std::uint32_t sign : {0u, 0x80000000u})
      for (std::uint32_t d = 0; d <= 1000; ++d) {
        c.CheckBits(sign | (magnitude + d));
        if (d <= magnitude) c.CheckBits(sign | (magnitude - d));
      }
  }
  EXPECT_NO_MISMATCH(c);
}

// Floats that lie exactly halfway between two six-digit texts: the stream
// rounds these to even, and so must the formatter.
TEST(XmlNumberSweep, ExactHalfwayCases) {
  Comparison c;
  for (std::int32_t n = 1000005; n <= 16777215; n += 10) c.Check(static_cast<float>(n));  // 7 digits ending in 5
  for (std::int32_t n = 200001; n < 2000000; n += 2) c.Check(static_cast<float>(n) / 2);  // xxxxxx.5
  for (std::int32_t n = 40001; n < 400000; n += 2) c.Check(static_cast<float>(n) / 4);    // xxxxx.25, xxxxx.75
  for (std::int32_t n = 1; n < 200000; n += 2) c.Check(-static_cast<float>(n) / 1024);
  EXPECT_NO_MISMATCH(c);
}

// Every float bit pattern at a fixed stride (a prime, so that all mantissa
// residues come up). The stride keeps the test short in a sanitizer build;
// SCI_FLOAT_SWEEP_STRIDE=1 checks all 2^32 patterns.
TEST(XmlNumberSweep, StridedOverAllBitPatterns) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
  std::uint64_t stride = 4999;
#else
  std::uint64_t stride = 1009;
#endif
  if (const char* set = std::getenv("SCI_FLOAT_SWEEP_STRIDE")) stride = std::strtoull(set, nullptr, 10);
  ASSERT_GT(stride, 0u);
  Comparison c;
  for (std::uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += stride) c.CheckBits(static_cast<std::uint32_t>(bits));
  EXPECT_NO_MISMATCH(c);
  RecordProperty("floats_checked", std::to_string(c.checked));
}

// sci's numbers for people: whole numbers in full, never in exponent form;
// others as the shortest text that reads back to the same float.
TEST(SciNumberText, WholeNumbersInFullOthersShortest) {
  const std::vector<std::pair<float, const char*>> cases = {
      {100000.0f, "100000"}, {1234567.0f, "1234567"},   {16777216.0f, "16777216"}, {-1.0f, "-1"},
      {0.0f, "0"},           {-0.0f, "-0"},             {0.1f, "0.1"},             {1.5e-7f, "1.5e-07"},
      {123456.7f, "123456.7"}, {1e15f, "1e+15"},        {3.4028235e38f, "3.4028235e+38"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(sci::NumberText(value), text) << text;
}

}  // namespace

// The float format of the text form: %g with three exponent digits and exact ties away from
// zero (the integer formats show in the round trips of shape_text_test).
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "number_format.h"

namespace {

std::string Float(float value) {
  char text[ffedit::kMaxNumberText];
  return std::string(text, ffedit::FormatFloat(value, text));
}

std::string FloatByDigits(float value) {
  char text[ffedit::kMaxNumberText];
  return std::string(text, ffedit::FormatFloatByDigits(value, text));
}

// The C library's %g with the exponent padded to three digits: right for every float that is
// not exactly on a 6-digit half (where the library rounds to even).
std::string LibraryFloat(float value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
  std::string result = text;
  size_t e = result.find('e');
  if (e != std::string::npos && result.size() - e == 4) result.insert(e + 2, 1, '0');
  return result;
}

bool IsExactTie(float value) {
  char digits[40];
  auto end = std::to_chars(digits, digits + sizeof digits, std::fabs(static_cast<double>(value)),
                           std::chars_format::scientific, 20)
                 .ptr;
  std::string text(digits, end);
  return text.compare(7, 14, "50000000000000") == 0;
}

// The three exponent digits at the limits of the notations (exponents -5 and 6), exact halves
// away from zero, zero, infinity and nan as the C library writes them: what the sweeps below
// cannot take from the C library.
TEST(FormatFloat, WritesTheToolsText) {
  const struct {
    float value;
    const char* text;
  } cases[] = {
      {-3.8e-5f, "-3.8e-005"},
      {0.0001f, "0.0001"},
      {0.00001f, "1e-005"},
      {999999.5f, "1e+006"},
      {-5397.125f, "-5397.13"},
      {1234.375f, "1234.38"},
      {2097152.5f, "2.09715e+006"},
      {-100000.5f, "-100001"},
      {0.0f, "0"},
      {-0.0f, "-0"},
      {-std::numeric_limits<float>::infinity(), "-inf"},
      {std::numeric_limits<float>::quiet_NaN(), "nan"},
      {-FLT_MAX, "-3.40282e+038"},
      {1e30f, "1e+030"},
  };
  for (const auto& c : cases) EXPECT_EQ(Float(c.value), c.text) << c.text;
}

TEST(FormatFloat, AgreesWithTheCLibraryAwayFromTies) {
  int compared = 0;
  // Every 65521st bit pattern: all exponents, both signs, varied significands.
  for (uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 65521) {
    float value = std::bit_cast<float>(static_cast<uint32_t>(bits));
    if (!std::isfinite(value) || IsExactTie(value)) continue;
    ASSERT_EQ(Float(value), LibraryFloat(value)) << "bits " << bits;
    ++compared;
  }
  EXPECT_GT(compared, 60000);
}

TEST(FormatFloat, RoundsEveryExactTieAsTheNextFloatAwayFromZero) {
  // Candidates (10q + 5) * 10^(x - 6): those a float holds exactly lie on a 6-digit half, and
  // must print as the next float away from zero prints (which is past the half).
  int ties = 0;
  for (int x = -3; x <= 6; ++x) {
    for (uint32_t q = 100000; q < 1000000; q += 7) {
      float value = static_cast<float>((10.0 * q + 5) * std::pow(10.0, x - 6));
      if (!IsExactTie(value)) continue;
      for (float v : {value, -value}) {
        float away = std::nextafter(v, v > 0 ? INFINITY : -INFINITY);
        ASSERT_EQ(Float(v), LibraryFloat(away)) << v;
        ASSERT_EQ(FloatByDigits(v), Float(v)) << v;
      }
      ++ties;
    }
  }
  EXPECT_GT(ties, 100000);
}

}  // namespace

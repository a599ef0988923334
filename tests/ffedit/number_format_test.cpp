// The number formats of the text form: %g floats with three exponent digits and exact ties
// away from zero, %u, %d and %08x.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "shape_text.h"

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

struct FloatCase {
  float value;
  const char* text;
};

TEST(FormatFloat, WritesTheValuesOfTheToolsOutput) {
  const FloatCase cases[] = {
      {2.6f, "2.6"},
      {-0.02002f, "-0.02002"},
      {75.1042f, "75.1042"},
      {0.134957f, "0.134957"},
      {40.0f, "40"},
      {-1.0f, "-1"},
      {200.0f, "200"},
      {42.452f, "42.452"},
      {-3.8e-5f, "-3.8e-005"},
      {1.5e-5f, "1.5e-005"},
      {2.38419e-7f, "2.38419e-007"},
  };
  for (const FloatCase& c : cases) EXPECT_EQ(Float(c.value), c.text) << c.text;
}

TEST(FormatFloat, SwitchesNotationAtTheExponentLimits) {
  const FloatCase cases[] = {
      {0.0001f, "0.0001"},   {0.00001f, "1e-005"},          {123456.0f, "123456"},
      {999999.0f, "999999"}, {999999.5f, "1e+006"},         {1234567.0f, "1.23457e+006"},
      {1.2e6f, "1.2e+006"},  {0.000123456f, "0.000123456"}, {0.000099999f, "9.9999e-005"},
  };
  for (const FloatCase& c : cases) EXPECT_EQ(Float(c.value), c.text) << c.text;
}

TEST(FormatFloat, RoundsExactHalvesAwayFromZero) {
  const FloatCase cases[] = {
      {0.5f, "0.5"},
      {1.5f, "1.5"},
      {2.5f, "2.5"},
      {-0.5f, "-0.5"},
      {-0.3f, "-0.3"},
      {-2.5f, "-2.5"},
      {62.5f, "62.5"},
      {0.0078125f, "0.0078125"},
      {-5397.125f, "-5397.13"},
      {1234.125f, "1234.13"},
      {1234.375f, "1234.38"},
      {-1234.625f, "-1234.63"},
      {2097152.5f, "2.09715e+006"},
      {123456.5f, "123457"},
      {-100000.5f, "-100001"},
  };
  for (const FloatCase& c : cases) EXPECT_EQ(Float(c.value), c.text) << c.text;
}

TEST(FormatFloat, WritesZeroInfinityAndNanAsTheCLibrary) {
  EXPECT_EQ(Float(0.0f), "0");
  EXPECT_EQ(Float(-0.0f), "-0");
  EXPECT_EQ(Float(std::numeric_limits<float>::infinity()), "inf");
  EXPECT_EQ(Float(-std::numeric_limits<float>::infinity()), "-inf");
  EXPECT_EQ(Float(std::numeric_limits<float>::quiet_NaN()), "nan");
}

TEST(FormatFloat, WritesTheExtremesThroughTheDigitPath) {
  EXPECT_EQ(Float(FLT_MAX), "3.40282e+038");
  EXPECT_EQ(Float(-FLT_MAX), "-3.40282e+038");
  EXPECT_EQ(Float(FLT_MIN), "1.17549e-038");
  EXPECT_EQ(Float(std::numeric_limits<float>::denorm_min()), "1.4013e-045");
  EXPECT_EQ(Float(1e30f), "1e+030");
  EXPECT_EQ(Float(1e-30f), "1e-030");
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

TEST(FormatFloat, AgreesWithTheDigitPathEverywhere) {
  for (uint64_t bits = 0; bits <= 0xFFFFFFFFu; bits += 100003) {
    float value = std::bit_cast<float>(static_cast<uint32_t>(bits));
    if (!std::isfinite(value)) continue;
    ASSERT_EQ(Float(value), FloatByDigits(value)) << "bits " << bits;
  }
}

TEST(FormatIntegers, WriteUintSintAndDword) {
  char text[ffedit::kMaxNumberText];
  EXPECT_EQ(std::string(text, ffedit::FormatUint(0, text)), "0");
  EXPECT_EQ(std::string(text, ffedit::FormatUint(4294967295u, text)), "4294967295");
  EXPECT_EQ(std::string(text, ffedit::FormatSint(0xFFFFFFFFu, text)), "-1");
  EXPECT_EQ(std::string(text, ffedit::FormatSint(0x80000000u, text)), "-2147483648");
  EXPECT_EQ(std::string(text, ffedit::FormatSint(2147483647u, text)), "2147483647");
  EXPECT_EQ(std::string(text, ffedit::FormatDword(0, text)), "00000000");
  EXPECT_EQ(std::string(text, ffedit::FormatDword(0xFF969696u, text)), "ff969696");
  EXPECT_EQ(std::string(text, ffedit::FormatDword(0x1D2u, text)), "000001d2");
}

}  // namespace

// Number reading and printing: the C library's rules, halves away from zero, any locale.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

#include "convert/numbers.h"

namespace {

template <void (*Append)(std::string&, double)>
std::string Printed(double value) {
  std::string out;
  Append(out, value);
  return out;
}

TEST(ReadLeadingInt, FollowsTheCLibraryRules) {
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {
      {"12", 12},
      {"  \t-5 rest", -5},
      {"+7", 7},
      {"abc", 0},
      {"- 3", 0},
      {"0x1A", 0},
      {"3.9", 3},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-99999999999999999999", -2147483647 - 1},
      {"000000000000000000042", 42},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadLeadingInt(c.text), c.value) << c.text;
}

TEST(ReadLeadingDouble, ReadsDecimalNumbersOnly) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"1.5e-3", 1.5e-3}, {"  -0.25 )", -0.25}, {"+2", 2},  {"-.5", -0.5}, {"7.", 7}, {"1e", 1},
      {"3e+2x", 300},     {"-infinity", 0},     {"nan", 0}, {"0x10", 0},   {".", 0},  {"", 0},
      {"1e-400", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadLeadingDouble(c.text), c.value) << c.text;
  EXPECT_EQ(ReadLeadingDouble("1e400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(ReadLeadingDouble("-1e400"), -std::numeric_limits<double>::infinity());
}

TEST(AppendWhole, RoundsExactHalvesAwayFromZero) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {0.5, "1"},
      {2.5, "3"},
      {-0.3, "-0"},
      {-2.5, "-3"},
      {62.5, "63"},
      {-99.5, "-100"},
      {0.49999999999999994, "0"},
      {-0.0, "-0"},
      {1828.8, "1829"},
      {1e20, "100000000000000000000"},
  };
  for (const Case& c : cases) EXPECT_EQ(Printed<AppendWhole>(c.value), c.text) << c.value;
}

TEST(AppendFixed6, PrintsSixDecimalsWithHalvesAwayFromZero) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {0.0078125, "0.007813"}, {-0.0078125, "-0.007813"},   {0.5, "0.500000"},
      {1.0 / 3, "0.333333"},   {127.9921875, "127.992188"}, {static_cast<double>(0.1f), "0.100000"},
      {0, "0.000000"},         {-0.0000004, "-0.000000"},   {0.9999994999, "0.999999"},
      {0.9999995, "1.000000"},
  };
  for (const Case& c : cases) EXPECT_EQ(Printed<AppendFixed6>(c.value), c.text) << c.value;
}

TEST(Truncation, CutsTowardZeroAndKeepsLow32Bits) {
  EXPECT_EQ(TruncateToInt32(96.6), 96);
  EXPECT_EQ(TruncateToInt32(-96.6), -96);
  EXPECT_EQ(TruncateToInt32(2147483647.9), 2147483647);
  EXPECT_EQ(TruncateToInt32(2147483648.0), -2147483647 - 1);
  EXPECT_EQ(TruncateToInt32(-2147483648.9), -2147483647 - 1);
  EXPECT_EQ(TruncateToInt32(std::nan("")), -2147483647 - 1);
  EXPECT_EQ(LowBits32(int64_t{200} * 6894), 1378800);
  EXPECT_EQ(LowBits32(int64_t{2147483647} * 1000), -1000);
}

TEST(Numbers, DoNotDependOnTheLocale) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  std::string saved = previous != nullptr ? previous : "C";
  // The name on Linux, then on Windows.
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
      std::setlocale(LC_ALL, "de-DE") == nullptr)
    GTEST_SKIP() << "no German locale installed";
  EXPECT_EQ(ReadLeadingDouble("1.5"), 1.5);
  EXPECT_EQ(ReadLeadingDouble("1,5"), 1.0);
  EXPECT_EQ(Printed<AppendFixed6>(0.5), "0.500000");
  EXPECT_EQ(Printed<AppendWhole>(62.5), "63");
  std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace

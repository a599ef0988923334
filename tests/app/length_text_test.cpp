// The Length field's text exchange: "%g" out, the framework's float rules in.
#include <gtest/gtest.h>

#include <clocale>

#include "app/length_text.h"

namespace {

TEST(FormatLength, SixSignificantDigits) {
  const struct {
    float length;
    const char* text;
  } cases[] = {
      {0.0f, "0"},           {20.0f, "20"},
      {20.5f, "20.5"},       {-3.25f, "-3.25"},
      {123456.0f, "123456"}, {1234567.0f, "1.23457e+06"},
      {0.00001f, "1e-05"},   {0.333333333f, "0.333333"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatLength(c.length), c.text) << c.length;
}

// The dialog runs in the user's locale (Qt sets it), where a decimal comma must not appear.
TEST(LengthText, DecimalPointWhateverTheLocale) {
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  float length = 0;
  EXPECT_EQ(FormatLength(20.5f), "20.5");
  EXPECT_TRUE(ParseLengthField("20.5", length) && length == 20.5f);
  EXPECT_FALSE(ParseLengthField("20,5", length));
  std::setlocale(LC_ALL, saved.c_str());
}

// A text that is not a number leaves the length as it was (-99 here).
TEST(ParseLengthField, NumbersAndNotNumbers) {
  const struct {
    const char* text;
    float length;
  } cases[] = {
      {"20", 20.0f}, {"20.5", 20.5f}, {" 20.5\t", 20.5f}, {"+3", 3.0f},  {"-2.5", -2.5f},
      {"0", 0.0f},   {"0.0", 0.0f},   {"1e3", 1000.0f},   {".5", 0.5f},  {"00012", 12.0f},
      {"", -99},     {"  ", -99},     {"abc", -99},       {"12,5", -99}, {"20m", -99},
      {"20 5", -99}, {"-0", -99},     {".0", -99},        {"+-1", -99},  {"1e39", -99},
      {"inf", -99},  {"nan", -99},    {"0x10", -99},
  };
  for (const auto& c : cases) {
    float length = -99;
    EXPECT_EQ(ParseLengthField(c.text, length), c.length != -99) << c.text;
    EXPECT_EQ(length, c.length) << c.text;
  }
}

}  // namespace

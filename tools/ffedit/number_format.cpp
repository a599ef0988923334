#include "number_format.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstring>

namespace ffedit {
namespace {

// Exponents (of the 6-digit rounding) that the 128-bit integer path handles without overflow:
// with a 24-bit significand and 5^36 < 2^84, every product stays below 2^108.
constexpr int kExactExponentLimit = 30;

using Uint128 = unsigned __int128;

constexpr auto kPowersOfFive = [] {
  std::array<Uint128, kExactExponentLimit + 8> powers{};
  Uint128 power = 1;
  for (auto& entry : powers) {
    entry = power;
    power *= 5;
  }
  return powers;
}();

// value = significand * 2^exponent, rounded to an integer after scaling by 10^scale, exact
// halves rounded up (the magnitude is rounded, so "up" is away from zero).
uint64_t RoundScaled(uint64_t significand, int exponent, int scale) {
  int twos = exponent + scale;  // value * 10^scale = significand * 5^scale * 2^twos
  Uint128 numerator = significand;
  Uint128 denominator = 1;
  if (scale >= 0) {
    numerator *= kPowersOfFive[static_cast<size_t>(scale)];
  } else {
    denominator = kPowersOfFive[static_cast<size_t>(-scale)];
  }
  if (twos >= 0) {
    numerator <<= twos;
  } else if (denominator == 1) {
    int shift = -twos;
    if (shift >= 127) return 0;
    Uint128 quotient = numerator >> shift;
    Uint128 remainder = numerator & ((Uint128{1} << shift) - 1);
    return static_cast<uint64_t>(quotient + (remainder >= (Uint128{1} << (shift - 1)) ? 1 : 0));
  } else {
    denominator <<= -twos;
  }
  Uint128 quotient = numerator / denominator;
  Uint128 remainder = numerator % denominator;
  return static_cast<uint64_t>(quotient + (2 * remainder >= denominator ? 1 : 0));
}

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The formatters write 8-bit text for callers and UTF-16 straight into the text file.
template <typename Char>
size_t WriteDigits(uint64_t value, Char* out) {
  // Indexes and counts are mostly short: compare rather than divide to count the digits.
  size_t n = value < 10 ? 1 : value < 100 ? 2 : value < 1000 ? 3 : value < 10000 ? 4 : 5;
  for (uint64_t rest = value / 100000; rest != 0; rest /= 10) ++n;
  Char* p = out + n;
  while (value >= 100) {
    const char* pair = kDigitPairs + 2 * (value % 100);
    p -= 2;
    p[0] = static_cast<Char>(pair[0]);
    p[1] = static_cast<Char>(pair[1]);
    value /= 100;
  }
  if (value >= 10) {
    p[-2] = static_cast<Char>(kDigitPairs[2 * value]);
    p[-1] = static_cast<Char>(kDigitPairs[2 * value + 1]);
  } else {
    p[-1] = static_cast<Char>('0' + value);
  }
  return n;
}

// Lays out six significant digits (100000..999999) times 10^(exponent - 5) by the %g rules.
template <typename Char>
size_t LayOutSignificant(uint32_t digits_value, int exponent, Char* out) {
  char digits[6];
  std::memcpy(digits, kDigitPairs + 2 * (digits_value / 10000), 2);
  std::memcpy(digits + 2, kDigitPairs + 2 * (digits_value / 100 % 100), 2);
  std::memcpy(digits + 4, kDigitPairs + 2 * (digits_value % 100), 2);
  int last = 5;  // the last significant digit kept: trailing zeros are dropped
  while (last > 0 && digits[last] == '0') --last;
  Char* p = out;
  if (exponent < -4 || exponent >= 6) {
    *p++ = static_cast<Char>(digits[0]);
    if (last > 0) {
      *p++ = '.';
      for (int i = 1; i <= last; ++i) *p++ = static_cast<Char>(digits[i]);
    }
    *p++ = 'e';
    *p++ = exponent < 0 ? '-' : '+';
    int magnitude = exponent < 0 ? -exponent : exponent;
    *p++ = static_cast<Char>('0' + magnitude / 100);
    *p++ = static_cast<Char>('0' + magnitude / 10 % 10);
    *p++ = static_cast<Char>('0' + magnitude % 10);
  } else if (exponent >= 0) {
    for (int i = 0; i <= exponent; ++i) *p++ = static_cast<Char>(digits[i]);
    if (last > exponent) {
      *p++ = '.';
      for (int i = exponent + 1; i <= last; ++i) *p++ = static_cast<Char>(digits[i]);
    }
  } else {
    *p++ = '0';
    *p++ = '.';
    for (int i = 0; i < -exponent - 1; ++i) *p++ = '0';
    for (int i = 0; i <= last; ++i) *p++ = static_cast<Char>(digits[i]);
  }
  return static_cast<size_t>(p - out);
}

// nan, inf, zero: written as the C library writes them. Returns 0 for every other value.
template <typename Char>
size_t FormatSpecialFloat(uint32_t bits, Char* out) {
  bool negative = bits >> 31;
  uint32_t biased = (bits >> 23) & 0xFF;
  uint32_t fraction = bits & 0x7FFFFF;
  const char* text = nullptr;
  if (biased == 0xFF) {
    text = fraction != 0 ? "nan" : (negative ? "-inf" : "inf");
  } else if (biased == 0 && fraction == 0) {
    text = negative ? "-0" : "0";
  }
  if (!text) return 0;
  size_t n = std::strlen(text);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<Char>(text[i]);
  return n;
}

template <typename Char>
size_t FormatFloatByDigitsTo(float value, Char* out) {
  uint32_t bits = std::bit_cast<uint32_t>(value);
  if (size_t n = FormatSpecialFloat(bits, out)) return n;
  // 21 significant digits show whether a float lies exactly on a 6-digit half: a float that is
  // not on it differs from it in the 8th significant digit or earlier.
  char expansion[40];
  double magnitude = static_cast<double>(value < 0 ? -value : value);
  auto result = std::to_chars(expansion, expansion + sizeof expansion, magnitude,
                              std::chars_format::scientific, 20);
  // "d.<20 digits>e", the sign, the exponent digits
  int exponent = 0;
  std::from_chars(expansion + 24, result.ptr, exponent);
  if (expansion[23] == '-') exponent = -exponent;
  uint32_t digits = static_cast<uint32_t>(expansion[0] - '0');
  for (int i = 2; i < 7; ++i) digits = digits * 10 + static_cast<uint32_t>(expansion[i] - '0');
  if (expansion[7] >= '5') ++digits;
  if (digits == 1000000) {
    digits = 100000;
    ++exponent;
  }
  Char* p = out;
  if (bits >> 31) *p++ = '-';
  return static_cast<size_t>(p - out) + LayOutSignificant(digits, exponent, p);
}

template <typename Char>
size_t FormatFloatTo(float value, Char* out) {
  uint32_t bits = std::bit_cast<uint32_t>(value);
  if (size_t n = FormatSpecialFloat(bits, out)) return n;
  uint32_t biased = (bits >> 23) & 0xFF;
  uint64_t significand = bits & 0x7FFFFF;
  int exponent = -149;
  if (biased != 0) {
    significand |= 0x800000;
    exponent = static_cast<int>(biased) - 150;
  }
  // floor(log2) of the value, then floor(log10) to within one below (78913 / 2^18 ~ log10 2).
  int binary = exponent + 63 - std::countl_zero(significand);
  int decimal = (binary * 78913) >> 18;
  if (decimal < -kExactExponentLimit || decimal > kExactExponentLimit) {
    return FormatFloatByDigitsTo(value, out);
  }
  uint64_t digits = RoundScaled(significand, exponent, 5 - decimal);
  if (digits >= 1000000) {
    ++decimal;  // the estimate was one low: round again from the exact value
    digits = RoundScaled(significand, exponent, 5 - decimal);
  }
  if (digits == 1000000) {
    digits = 100000;
    ++decimal;
  }
  Char* p = out;
  if (bits >> 31) *p++ = '-';
  return static_cast<size_t>(p - out) +
         LayOutSignificant(static_cast<uint32_t>(digits), decimal, p);
}

template <typename Char>
size_t FormatSintTo(uint32_t bits, Char* out) {
  int64_t value = static_cast<int32_t>(bits);
  if (value >= 0) return WriteDigits(static_cast<uint64_t>(value), out);
  out[0] = '-';
  return 1 + WriteDigits(static_cast<uint64_t>(-value), out + 1);
}

constexpr auto kHexPairs = [] {
  std::array<char, 512> pairs{};
  const char* digits = "0123456789abcdef";
  for (size_t i = 0; i < 256; ++i) {
    pairs[2 * i] = digits[i >> 4];
    pairs[2 * i + 1] = digits[i & 0xF];
  }
  return pairs;
}();

template <typename Char>
size_t FormatDwordTo(uint32_t value, Char* out) {
  for (int i = 3; i >= 0; --i) {
    const char* pair = kHexPairs.data() + 2 * (value & 0xFF);
    out[2 * i] = static_cast<Char>(pair[0]);
    out[2 * i + 1] = static_cast<Char>(pair[1]);
    value >>= 8;
  }
  return 8;
}

}  // namespace

size_t FormatFloat(float value, char* out) { return FormatFloatTo(value, out); }
size_t FormatFloatByDigits(float value, char* out) { return FormatFloatByDigitsTo(value, out); }
size_t FormatUint(uint32_t value, char* out) { return WriteDigits(value, out); }
size_t FormatSint(uint32_t bits, char* out) { return FormatSintTo(bits, out); }
size_t FormatDword(uint32_t value, char* out) { return FormatDwordTo(value, out); }

size_t FormatValue(ValueType type, uint32_t bits, char16_t* out) {
  switch (type) {
    case ValueType::kUint:
      return WriteDigits(bits, out);
    case ValueType::kSint:
      return FormatSintTo(bits, out);
    case ValueType::kFloat:
      return FormatFloatTo(std::bit_cast<float>(bits), out);
    case ValueType::kDword:
      return FormatDwordTo(bits, out);
    case ValueType::kString:
      break;
  }
  return 0;
}

}  // namespace ffedit

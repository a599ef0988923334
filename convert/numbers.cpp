#include "convert/numbers.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/model_limits.h"
#include "base/text.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Skips white space and takes the sign; returns where the number's digits start.
size_t SkipSpaceAndSign(std::string_view text, bool& negative) {
  size_t at = 0;
  while (at < text.size() && IsCSpace(text[at])) ++at;
  negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
    negative = text[at] == '-';
    ++at;
  }
  return at;
}

thread_local uint64_t refused_written = 0;

// |value| * 10^decimals rounded to a whole number, exact halves away from zero, in 64-bit
// integers: the significand without its trailing zero bits, times 5^decimals, shifted by the
// binary exponent plus decimals. False when a step would not fit (the caller prints through
// std::to_chars then); decimals is 0 or 6.
bool RoundScaled(double value, int decimals, uint64_t& rounded) {
  constexpr uint64_t kPowersOfFive[] = {1, 5, 25, 125, 625, 3125, 15625};
  const uint64_t bits = std::bit_cast<uint64_t>(value) & ~(uint64_t{1} << 63);
  const uint64_t exponent_bits = bits >> 52;
  uint64_t significand = bits & ((uint64_t{1} << 52) - 1);
  int64_t exponent = -1074;
  if (exponent_bits != 0) {
    significand |= uint64_t{1} << 52;
    exponent = static_cast<int64_t>(exponent_bits) - 1075;
  }
  rounded = 0;
  if (significand == 0) return true;
  const int zeros = std::countr_zero(significand);
  significand >>= zeros;
  exponent += zeros;
  const uint64_t five = kPowersOfFive[decimals];
  if (significand > (std::numeric_limits<uint64_t>::max() >> 1) / five) return false;
  const uint64_t scaled = significand * five;
  const int64_t shift = exponent + decimals;
  if (shift >= 0) {
    if (shift >= 63 || scaled > (std::numeric_limits<uint64_t>::max() >> 1) >> shift) return false;
    rounded = scaled << shift;
    return true;
  }
  if (shift <= -64) return true;  // below 2^63 / 2^64: under a half
  const int right = static_cast<int>(-shift);
  const uint64_t remainder = scaled & ((uint64_t{1} << right) - 1);
  rounded = (scaled >> right) + (remainder >= (uint64_t{1} << (right - 1)) ? 1 : 0);
  return true;
}

// What PutFixed writes for a value RoundScaled could round: the sign of value, the whole part,
// and kDecimals digits of the fraction.
template <int kDecimals>
char* PutRounded(char* at, double value, uint64_t rounded) {
  constexpr uint64_t unit = kDecimals == 0 ? 1 : 1000000;
  static_assert(kDecimals == 0 || kDecimals == 6);
  if (std::signbit(value)) *at++ = '-';
  at = std::to_chars(at, at + 20, rounded / unit).ptr;
  if constexpr (kDecimals > 0) {
    *at++ = '.';
    uint64_t fraction = rounded % unit;
    for (int i = kDecimals - 1; i >= 0; --i) {
      at[i] = static_cast<char>('0' + fraction % 10);
      fraction /= 10;
    }
    at += kDecimals;
  }
  return at;
}

// Writes at `at` the text of value printed with decimals digits after the point, rounding
// exact halves away from zero, and returns its end: in integers where they hold it
// (RoundScaled), else through std::to_chars, which rounds exact halves to even, so a half is
// detected first: value * 10^decimals ends in exactly .5 only when value * 2^(decimals+1) is
// an odd integer, and then the exact expansion with one more digit ends in 5.
template <int decimals>
char* PutFixed(char* at, double value) {
  char* const room_end = at + kMaxNumberText;
  uint64_t rounded;
  if (std::isfinite(value) && RoundScaled(value, decimals, rounded)) {
    return PutRounded<decimals>(at, value, rounded);
  }
  if (!std::isfinite(value)) {
    ++refused_written;
    return std::to_chars(at, room_end, value).ptr;
  }
  double scaled = std::ldexp(std::fabs(value), decimals + 1);
  bool exact_half =
      scaled < 9007199254740992.0 && std::floor(scaled) == scaled && std::fmod(scaled, 2.0) == 1.0;
  if (!exact_half) {
    return std::to_chars(at, room_end, value, std::chars_format::fixed, decimals).ptr;
  }
  char* end = std::to_chars(at, room_end, value, std::chars_format::fixed, decimals + 1).ptr;
  // Drop the final 5 (and a point left dangling), then add one unit in the last place.
  char* last = end - 1;
  if (decimals == 0) --last;  // the "." before the 5
  char* digit = last - 1;
  while (digit >= at && (*digit == '9' || *digit == '.')) {
    if (*digit == '9') *digit = '0';
    --digit;
  }
  if (digit < at || *digit == '-') {
    // Carry past the leading digit: 9.95 -> 10.0.
    char* first = digit < at ? at : digit + 1;
    std::memmove(first + 1, first, static_cast<size_t>(last - first));
    *first = '1';
    return last + 1;
  }
  ++*digit;
  return last;
}

// Appends what put writes for value.
template <typename Put, typename... Values>
void AppendPut(std::string& out, Put put, Values... values) {
  char buffer[3 * kMaxNumberText + 2];
  out.append(buffer, static_cast<size_t>(put(buffer, values...) - buffer));
}

}  // namespace

int32_t ReadLeadingInt(std::string_view text) {
  bool negative;
  size_t at = SkipSpaceAndSign(text, negative);
  size_t end = at;
  while (end < text.size() && IsDigit(text[end])) ++end;
  if (end == at) return 0;
  // Leading zeros do not count towards the magnitude; anything longer than 10 significant
  // digits is beyond 32 bits.
  while (at + 1 < end && text[at] == '0') ++at;
  int64_t magnitude = 0;
  if (end - at > 10) {
    magnitude = int64_t{1} << 32;
  } else {
    std::from_chars(text.data() + at, text.data() + end, magnitude);
  }
  int64_t value = negative ? -magnitude : magnitude;
  if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

namespace {

// The leading decimal number and where it stops (0 when there is none, as the C library
// leaves its end pointer at the start of the text).
double ScanLeadingDouble(std::string_view text, size_t& stop) {
  stop = 0;
  bool negative;
  size_t at = SkipSpaceAndSign(text, negative);
  // A decimal number starts with a digit, or a point followed by a digit.
  if (at >= text.size()) return 0.0;
  bool starts_number =
      IsDigit(text[at]) || (text[at] == '.' && at + 1 < text.size() && IsDigit(text[at + 1]));
  if (!starts_number) return 0.0;
  double value = 0.0;
  const char* first = text.data() + at;
  auto [end, ec] =
      std::from_chars(first, text.data() + text.size(), value, std::chars_format::general);
  stop = static_cast<size_t>(end - text.data());
  if (ec == std::errc::result_out_of_range) {
    // Overflow gives the largest value, underflow zero, as the C library does.
    size_t e = at;
    while (e < text.size() && text[e] != 'e' && text[e] != 'E') ++e;
    bool small = e + 1 < text.size() && text[e + 1] == '-';
    value = small ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (ec != std::errc()) {
    value = 0.0;
  }
  return negative ? -value : value;
}

}  // namespace

double ReadLeadingDouble(std::string_view text) {
  size_t stop;
  return ScanLeadingDouble(text, stop);
}

size_t LeadingDoubleLength(std::string_view text) {
  size_t stop;
  ScanLeadingDouble(text, stop);
  return stop;
}

float RoundToFloat(double value) {
  if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
  if (value > std::numeric_limits<float>::max() || value < -std::numeric_limits<float>::max()) {
    // Values past the largest float that would still round to it stay finite.
    double limit = static_cast<double>(std::numeric_limits<float>::max());
    double half_ulp = std::ldexp(1.0, 103);
    if (std::fabs(value) < limit + half_ulp) {
      return value > 0 ? std::numeric_limits<float>::max() : -std::numeric_limits<float>::max();
    }
    return value > 0 ? std::numeric_limits<float>::infinity()
                     : -std::numeric_limits<float>::infinity();
  }
  return static_cast<float>(value);
}

char* PutWhole(char* at, double value) { return PutFixed<0>(at, value); }

char* PutWholeTriple(char* at, double a, double b, double c) {
  // PutFixed counts the parts that are not finite.
  for (double part : {a, b, c})
    refused_written += std::isfinite(part) && std::fabs(part) > kMaxModelMillimetres;
  at = PutFixed<0>(at, a);
  *at++ = '/';
  at = PutFixed<0>(at, b);
  *at++ = '/';
  return PutFixed<0>(at, c);
}

char* PutFixed6(char* at, double value) { return PutFixed<6>(at, value); }

char* PutInt(char* at, int64_t value) { return std::to_chars(at, at + 20, value).ptr; }

void AppendWhole(std::string& out, double value) { AppendPut(out, PutWhole, value); }

void AppendWholeTriple(std::string& out, double a, double b, double c) {
  AppendPut(out, PutWholeTriple, a, b, c);
}

void AppendFixed6(std::string& out, double value) { AppendPut(out, PutFixed6, value); }

void AppendInt(std::string& out, int64_t value) { AppendPut(out, PutInt, value); }

std::string_view GluedUnitText(std::string_view value) {
  value.remove_prefix(LeadingDoubleLength(value));
  return value.substr(0, value.find_first_of(" \t)\"#"));
}

const GluedUnit* FindGluedUnit(std::string_view value, std::span<const GluedUnit> units) {
  std::string_view text = GluedUnitText(value);
  for (const GluedUnit& unit : units) {
    if (unit.unit == text) return &unit;
  }
  return nullptr;
}

uint64_t RefusedNumbersWritten() { return refused_written; }

int32_t TruncateToInt32(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(value);
}

int32_t LowBits32(int64_t value) {
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value)));
}

#include "shape_text.h"

#include <bit>
#include <charconv>
#include <cstring>
#include <vector>

namespace ffedit {
namespace {

static_assert(std::endian::native == std::endian::little, "the text is assembled as little-endian UTF-16");

// Exponents (of the 6-digit rounding) that the 128-bit integer path handles without overflow:
// with a 24-bit significand and 5^36 < 2^84, every product stays below 2^108.
constexpr int kExactExponentLimit = 30;

using Uint128 = unsigned __int128;

Uint128 PowerOfFive(int n) {
  Uint128 result = 1;
  for (int i = 0; i < n; ++i) result *= 5;
  return result;
}

// value = significand * 2^exponent, rounded to an integer after scaling by 10^scale, exact
// halves rounded up (the magnitude is rounded, so "up" is away from zero).
uint64_t RoundScaled(uint64_t significand, int exponent, int scale) {
  static const auto kFives = [] {
    std::vector<Uint128> fives(kExactExponentLimit + 8);
    for (size_t i = 0; i < fives.size(); ++i) fives[i] = PowerOfFive(static_cast<int>(i));
    return fives;
  }();
  int twos = exponent + scale;  // value * 10^scale = significand * 5^scale * 2^twos
  Uint128 numerator = significand;
  Uint128 denominator = 1;
  if (scale >= 0) {
    numerator *= kFives[static_cast<size_t>(scale)];
  } else {
    denominator = kFives[static_cast<size_t>(-scale)];
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

size_t WriteDigits(uint64_t value, char* out) {
  char reversed[24];
  size_t n = 0;
  do {
    reversed[n++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (size_t i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
  return n;
}

// Lays out six significant digits (100000..999999) times 10^(exponent - 5) by the %g rules.
size_t LayOutSignificant(uint32_t digits_value, int exponent, char* out) {
  char digits[6];
  WriteDigits(digits_value, digits);
  int last = 5;  // the last significant digit kept: trailing zeros are dropped
  while (last > 0 && digits[last] == '0') --last;
  char* p = out;
  if (exponent < -4 || exponent >= 6) {
    *p++ = digits[0];
    if (last > 0) {
      *p++ = '.';
      for (int i = 1; i <= last; ++i) *p++ = digits[i];
    }
    *p++ = 'e';
    *p++ = exponent < 0 ? '-' : '+';
    int magnitude = exponent < 0 ? -exponent : exponent;
    *p++ = static_cast<char>('0' + magnitude / 100);
    *p++ = static_cast<char>('0' + magnitude / 10 % 10);
    *p++ = static_cast<char>('0' + magnitude % 10);
  } else if (exponent >= 0) {
    for (int i = 0; i <= exponent; ++i) *p++ = digits[i];
    if (last > exponent) {
      *p++ = '.';
      for (int i = exponent + 1; i <= last; ++i) *p++ = digits[i];
    }
  } else {
    *p++ = '0';
    *p++ = '.';
    for (int i = 0; i < -exponent - 1; ++i) *p++ = '0';
    for (int i = 0; i <= last; ++i) *p++ = digits[i];
  }
  return static_cast<size_t>(p - out);
}

// nan, inf, zero: written as the C library writes them. Returns 0 for every other value.
size_t FormatSpecialFloat(uint32_t bits, char* out) {
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
  std::memcpy(out, text, n);
  return n;
}

}  // namespace

size_t FormatFloatByDigits(float value, char* out) {
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
  uint32_t digits = 0;
  digits = static_cast<uint32_t>(expansion[0] - '0');
  for (int i = 2; i < 7; ++i) digits = digits * 10 + static_cast<uint32_t>(expansion[i] - '0');
  if (expansion[7] >= '5') ++digits;
  if (digits == 1000000) {
    digits = 100000;
    ++exponent;
  }
  char* p = out;
  if (bits >> 31) *p++ = '-';
  return static_cast<size_t>(p - out) + LayOutSignificant(digits, exponent, p);
}

size_t FormatFloat(float value, char* out) {
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
    return FormatFloatByDigits(value, out);
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
  char* p = out;
  if (bits >> 31) *p++ = '-';
  return static_cast<size_t>(p - out) + LayOutSignificant(static_cast<uint32_t>(digits), decimal, p);
}

size_t FormatUint(uint32_t value, char* out) { return WriteDigits(value, out); }

size_t FormatSint(uint32_t bits, char* out) {
  int64_t value = static_cast<int32_t>(bits);
  if (value >= 0) return WriteDigits(static_cast<uint64_t>(value), out);
  out[0] = '-';
  return 1 + WriteDigits(static_cast<uint64_t>(-value), out + 1);
}

size_t FormatDword(uint32_t value, char* out) {
  static const char kHex[] = "0123456789abcdef";
  for (int i = 7; i >= 0; --i) {
    out[i] = kHex[value & 0xF];
    value >>= 4;
  }
  return 8;
}

namespace {

struct OpenBlock {
  size_t depth;
  bool has_child;
  bool on_first_line;  // still on the block's keyword line: the tighter wrap limit applies
  bool wraps;
};

struct TextWriter {
  std::string& bytes;
  size_t line_length = 0;

  void AppendAscii(const char* text, size_t n) {
    size_t at = bytes.size();
    bytes.resize(at + 2 * n);
    char* p = bytes.data() + at;
    for (size_t i = 0; i < n; ++i) {
      p[2 * i] = text[i];
      p[2 * i + 1] = 0;
    }
    line_length += n;
  }
  void AppendAscii(std::string_view text) { AppendAscii(text.data(), text.size()); }
  void AppendUnit(char16_t unit) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
    ++line_length;
  }
  void AppendLineBreak() {
    AppendAscii("\r\n", 2);
    line_length = 0;
  }
  void AppendIndent(size_t depth) {
    for (size_t i = 0; i < depth; ++i) AppendAscii("\t", 1);
  }
};

bool NeedsQuotes(std::u16string_view text) {
  if (text.empty()) return true;
  for (char16_t unit : text) {
    if (unit <= u' ' || unit == u'(' || unit == u')' || unit == u'"') return true;
  }
  return false;
}

// The string as written: bare, or quoted with \ and " escaped.
std::u16string QuoteString(std::u16string_view text) {
  if (!NeedsQuotes(text)) return std::u16string(text);
  std::u16string quoted = u"\"";
  for (char16_t unit : text) {
    if (unit == u'\\' || unit == u'"') quoted += u'\\';
    quoted += unit;
  }
  return quoted + u"\"";
}

size_t FormatValue(const ShapeItem& item, char* out) {
  switch (item.type) {
    case ValueType::kUint: return FormatUint(item.value, out);
    case ValueType::kSint: return FormatSint(item.value, out);
    case ValueType::kFloat: return FormatFloat(std::bit_cast<float>(item.value), out);
    case ValueType::kDword: return FormatDword(item.value, out);
    case ValueType::kString: break;
  }
  return 0;
}

// Writes one value, or a string's units, wrapping the line first when it would grow too long.
void WriteValueText(TextWriter& writer, OpenBlock& block, const char* ascii,
                    std::u16string_view units, size_t length) {
  size_t limit = block.on_first_line ? kFirstLineLimit : kContinuationLineLimit;
  if (block.wraps && writer.line_length + 1 + length > limit) {
    writer.AppendAscii(" ", 1);
    writer.AppendLineBreak();
    writer.AppendIndent(block.depth);
    block.on_first_line = false;
  } else {
    writer.AppendAscii(" ", 1);
  }
  if (ascii) {
    writer.AppendAscii(ascii, length);
  } else {
    for (char16_t unit : units) writer.AppendUnit(unit);
  }
}

void WriteOpen(TextWriter& writer, std::vector<OpenBlock>& open, const TokenSchema& token,
               std::u16string_view label) {
  if (!open.empty()) {
    open.back().has_child = true;
    open.back().on_first_line = false;
    writer.AppendLineBreak();
  }
  size_t depth = open.size();
  writer.AppendIndent(depth);
  writer.AppendAscii(token.name);
  if (!label.empty()) {
    writer.AppendAscii(" ", 1);
    for (char16_t unit : label) writer.AppendUnit(unit);
  }
  writer.AppendAscii(" (", 2);
  // The reader of the text form takes the hierarchy from one line.
  open.push_back(OpenBlock{depth, false, true, token.name != "hierarchy"});
}

void WriteClose(TextWriter& writer, std::vector<OpenBlock>& open) {
  OpenBlock block = open.back();
  open.pop_back();
  if (block.has_child) {
    writer.AppendLineBreak();
    writer.AppendIndent(block.depth);
    writer.AppendAscii(")", 1);
  } else {
    writer.AppendAscii(" )", 2);
  }
  if (open.empty()) writer.AppendLineBreak();
}

}  // namespace

void WriteShapeText(const ShapeTree& tree, std::string& text) {
  TextWriter writer{text};
  writer.AppendUnit(u'\xFEFF');
  writer.AppendAscii("SIMISA@@@@@@@@@@", 16);
  char subheader[16];
  std::memcpy(subheader, tree.subheader, 16);
  subheader[7] = 't';
  writer.AppendAscii(subheader, 16);
  writer.AppendLineBreak();
  WriteShapeBlocks(tree, text);
}

void WriteShapeBlocks(const ShapeTree& tree, std::string& text) {
  const ShapeTokenTable& table = GetShapeTokenTable();
  TextWriter writer{text};
  // A value takes some 8 characters of text; reserving once avoids regrowth.
  text.reserve(text.size() + 20 * tree.items.size() + 64);
  std::vector<OpenBlock> open;
  char number[kMaxNumberText];
  const std::u16string_view pool = tree.text;
  for (const ShapeItem& item : tree.items) {
    switch (item.kind) {
      case ShapeItemKind::kOpen:
        WriteOpen(writer, open, table.tokens[item.token], pool.substr(item.text, item.value));
        break;
      case ShapeItemKind::kClose:
        WriteClose(writer, open);
        break;
      case ShapeItemKind::kValue:
        WriteValueText(writer, open.back(), number, {}, FormatValue(item, number));
        break;
      case ShapeItemKind::kString: {
        std::u16string quoted = QuoteString(pool.substr(item.text, item.value));
        WriteValueText(writer, open.back(), nullptr, quoted, quoted.size());
        break;
      }
    }
  }
}

}  // namespace ffedit

#include "shape_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <vector>

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

namespace {

struct OpenBlock {
  size_t depth;
  bool has_child;
  bool on_first_line;  // still on the block's keyword line: the tighter wrap limit applies
  bool wraps;
};

// Appends UTF-16 text through a cursor. Callers make room for what a step writes with
// Reserve, so that each character is one plain store.
class TextWriter {
 public:
  explicit TextWriter(TextBuffer& text) : text_(text), used_(text.size()) {}
  ~TextWriter() { text_.resize(used_); }
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  // Room for at least this many more characters.
  void Reserve(size_t characters) {
    size_t needed = used_ + characters;
    if (needed > text_.size()) text_.resize(std::max(needed, 2 * text_.size()));
  }
  char16_t* Cursor() { return text_.data() + used_; }
  // Takes n characters written at Cursor() into the text.
  void Advance(size_t n) {
    used_ += n;
    line_length += n;
  }
  void AppendAscii(std::string_view text) {
    char16_t* p = Cursor();
    for (size_t i = 0; i < text.size(); ++i) p[i] = static_cast<char16_t>(text[i]);
    Advance(text.size());
  }
  void AppendUnits(std::u16string_view units) {
    std::copy(units.begin(), units.end(), Cursor());
    Advance(units.size());
  }
  void AppendLineBreak() {
    char16_t* p = Cursor();
    p[0] = u'\r';
    p[1] = u'\n';
    used_ += 2;
    line_length = 0;
  }
  void AppendIndent(size_t depth) {
    static constexpr std::u16string_view kTabs =
        u"\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t\t";
    for (size_t left = depth; left > 0;) {
      size_t n = std::min(left, kTabs.size());
      std::copy_n(kTabs.data(), n, Cursor());
      Advance(n);
      left -= n;
    }
  }

  size_t line_length = 0;

 private:
  TextBuffer& text_;
  size_t used_;
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

// Whether a value of length characters, with its space, would make the line too long.
bool NeedsLineBreak(const TextWriter& writer, const OpenBlock& block, size_t length) {
  size_t limit = block.on_first_line ? kFirstLineLimit : kContinuationLineLimit;
  return block.wraps && writer.line_length + 1 + length > limit;
}

// Starts a value: a space, then a line break and the block's indent where the value would
// make the line too long. The caller has reserved room.
void StartValue(TextWriter& writer, OpenBlock& block, size_t length) {
  bool line_break = NeedsLineBreak(writer, block, length);
  writer.AppendAscii(" ");
  if (line_break) {
    writer.AppendLineBreak();
    writer.AppendIndent(block.depth);
    block.on_first_line = false;
  }
}

// Values written per reservation of room: long runs do not reserve for all at once.
constexpr size_t kValuesPerReservation = 4096;

// Writes count values stored little-endian at bytes.
void WriteValues(TextWriter& writer, OpenBlock& block, ValueType type, const uint8_t* bytes,
                 size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (i % kValuesPerReservation == 0) {
      // Per value: a space, the number, and perhaps a line break with indent before it.
      size_t values = std::min(count - i, kValuesPerReservation);
      writer.Reserve(values * (kMaxNumberText + 3 + block.depth));
    }
    uint32_t bits;
    std::memcpy(&bits, bytes + 4 * i, 4);
    // Formatted in place behind its space; moved in the rare case of a line break.
    char16_t* at = writer.Cursor() + 1;
    size_t length = FormatValue(type, bits, at);
    if (!NeedsLineBreak(writer, block, length)) {
      at[-1] = u' ';
      writer.Advance(1 + length);
      continue;
    }
    char16_t number[kMaxNumberText];
    std::copy(at, at + length, number);
    StartValue(writer, block, length);
    std::copy(number, number + length, writer.Cursor());
    writer.Advance(length);
  }
}

void WriteString(TextWriter& writer, OpenBlock& block, std::u16string_view text) {
  std::u16string quoted = QuoteString(text);
  writer.Reserve(quoted.size() + 3 + block.depth);
  StartValue(writer, block, quoted.size());
  writer.AppendUnits(quoted);
}

// The token names in UTF-16, and which tokens stay on one line, by token index.
struct TokenTexts {
  std::vector<std::u16string> names;
  std::vector<bool> one_line;
};

const TokenTexts& GetTokenTexts() {
  static const TokenTexts texts = [] {
    TokenTexts built;
    for (const TokenSchema& token : GetShapeTokenTable().tokens) {
      built.names.emplace_back(token.name.begin(), token.name.end());
      // The reader of the text form takes the hierarchy from one line.
      built.one_line.push_back(token.name == "hierarchy");
    }
    return built;
  }();
  return texts;
}

void WriteOpen(TextWriter& writer, std::vector<OpenBlock>& open, const TokenTexts& texts,
               uint16_t token, std::u16string_view label) {
  if (!open.empty()) {
    open.back().has_child = true;
    open.back().on_first_line = false;
    writer.Reserve(2);
    writer.AppendLineBreak();
  }
  size_t depth = open.size();
  const std::u16string& name = texts.names[token];
  writer.Reserve(depth + name.size() + label.size() + 4);
  writer.AppendIndent(depth);
  writer.AppendUnits(name);
  if (!label.empty()) {
    writer.AppendAscii(" ");
    writer.AppendUnits(label);
  }
  writer.AppendAscii(" (");
  open.push_back(OpenBlock{depth, false, true, !texts.one_line[token]});
}

void WriteClose(TextWriter& writer, std::vector<OpenBlock>& open) {
  OpenBlock block = open.back();
  open.pop_back();
  writer.Reserve(block.depth + 5);
  if (block.has_child) {
    writer.AppendLineBreak();
    writer.AppendIndent(block.depth);
    writer.AppendAscii(")");
  } else {
    writer.AppendAscii(" )");
  }
  if (open.empty()) writer.AppendLineBreak();
}

// A block of numbers only, on one line: "name ( values )".
void WriteLeaf(TextWriter& writer, std::vector<OpenBlock>& open, const TokenTexts& texts,
               const ShapeItem& item, const uint8_t* data) {
  OpenBlock block{open.size(), false, true, !texts.one_line[item.token]};
  const std::u16string& name = texts.names[item.token];
  writer.Reserve(2 + block.depth + name.size() + 2);
  if (!open.empty()) {
    open.back().has_child = true;
    open.back().on_first_line = false;
    writer.AppendLineBreak();
  }
  writer.AppendIndent(block.depth);
  writer.AppendUnits(name);
  writer.AppendAscii(" (");
  WriteValues(writer, block, item.type, data + item.first, item.count);
  writer.Reserve(4);
  writer.AppendAscii(" )");
  if (open.empty()) writer.AppendLineBreak();
}

void WriteBlocks(TextWriter& writer, const ShapeTree& tree) {
  const TokenTexts& texts = GetTokenTexts();
  // Some 9 characters per value and 20 per block: one reservation usually avoids regrowth.
  // The room is not written before it is used, so an estimate that is too high costs no
  // memory, only address space, bounded here.
  constexpr size_t kMaxFirstReservation = size_t{1} << 28;
  writer.Reserve(
      std::min(10 * tree.value_count + 12 * tree.items.size() + 64, kMaxFirstReservation));
  std::vector<OpenBlock> open;
  const std::u16string_view pool = tree.text;
  for (const ShapeItem& item : tree.items) {
    switch (item.kind) {
      case ShapeItemKind::kOpen:
        WriteOpen(writer, open, texts, item.token, pool.substr(item.first, item.count));
        break;
      case ShapeItemKind::kClose:
        WriteClose(writer, open);
        break;
      case ShapeItemKind::kLeaf:
        WriteLeaf(writer, open, texts, item, tree.data);
        break;
      case ShapeItemKind::kValues:
        WriteValues(writer, open.back(), item.type, tree.data + item.first, item.count);
        break;
      case ShapeItemKind::kString:
        WriteString(writer, open.back(), pool.substr(item.first, item.count));
        break;
    }
  }
}

}  // namespace

void WriteShapeText(const ShapeTree& tree, TextBuffer& text) {
  TextWriter writer(text);
  char header[32];
  std::memcpy(header, "SIMISA@@@@@@@@@@", 16);
  std::memcpy(header + 16, tree.subheader, 16);
  header[16 + 7] = 't';
  writer.Reserve(1 + sizeof header + 2);
  writer.AppendUnits(u"\xFEFF");
  writer.AppendAscii(std::string_view(header, sizeof header));
  writer.AppendLineBreak();
  WriteBlocks(writer, tree);
}

void WriteShapeBlocks(const ShapeTree& tree, TextBuffer& text) {
  TextWriter writer(text);
  WriteBlocks(writer, tree);
}

}  // namespace ffedit

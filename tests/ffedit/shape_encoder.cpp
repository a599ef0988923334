#include "shape_encoder.h"

#include <zlib.h>

#include <algorithm>
#include <bit>
#include <charconv>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "shape_tokens.h"

namespace ffedit_test {
namespace {

using ffedit::SchemaItem;
using ffedit::SchemaItemKind;
using ffedit::ValueType;

struct Words {
  std::string_view text;
  size_t pos = 0;

  // The next word, "(", ")", or a quoted string with its escapes undone; "" at the end.
  std::string Next() {
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= ' ') ++pos;
    if (pos >= text.size()) return {};
    if (text[pos] == '(' || text[pos] == ')') return std::string(1, text[pos++]);
    std::string word;
    if (text[pos] == '"') {
      for (++pos; pos < text.size() && text[pos] != '"'; ++pos) {
        if (text[pos] == '\\' && pos + 1 < text.size()) ++pos;
        word += text[pos];
      }
      ++pos;
      return word;
    }
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) > ' ' && text[pos] != '(' &&
           text[pos] != ')') {
      word += text[pos++];
    }
    return word;
  }
  std::string Peek() const { return Words(*this).Next(); }
};

// Appends value little-endian in size bytes.
void Append(Bytes& out, uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

class Encoder {
 public:
  explicit Encoder(std::string_view text) : words_{text} {}

  Bytes EncodeAll() {
    while (!words_.Peek().empty()) {
      int token = ffedit::FindTokenByName(table_, words_.Peek());
      if (token < 0) Fail("unknown token '" + words_.Peek() + "'");
      EncodeBlock(token);
    }
    return out_;
  }

 private:
  [[noreturn]] void Fail(const std::string& what) const {
    throw std::runtime_error(what + " near character " + std::to_string(words_.pos));
  }

  // Appends one value and returns its bits.
  uint32_t EncodeValue(ValueType type) {
    std::string word = words_.Next();
    if (type == ValueType::kString) {
      Append(out_, static_cast<uint32_t>(word.size()), 2);
      for (unsigned char c : word) Append(out_, c, 2);
      return 0;
    }
    const char* end = word.data() + word.size();
    float real = 0;
    int64_t integer = 0;
    std::from_chars_result result =
        type == ValueType::kFloat
            ? std::from_chars(word.data(), end, real)
            : std::from_chars(word.data(), end, integer, type == ValueType::kDword ? 16 : 10);
    if (result.ec != std::errc() || result.ptr != end) Fail("bad value '" + word + "'");
    uint32_t bits =
        type == ValueType::kFloat ? std::bit_cast<uint32_t>(real) : static_cast<uint32_t>(integer);
    Append(out_, bits, 4);
    return bits;
  }

  // The token of item's allowed children named name; -1 when none.
  int FindAllowed(const SchemaItem& item, std::string_view name) const {
    for (uint16_t i = 0; i < item.allowed_count; ++i) {
      uint16_t token = table_.allowed[item.allowed_first + i];
      if (table_.tokens[token].name == name) return token;
    }
    return -1;
  }

  void EncodeChild(const SchemaItem& item) {
    int token = FindAllowed(item, words_.Peek());
    if (token < 0) Fail("unexpected block '" + words_.Peek() + "'");
    EncodeBlock(token);
  }

  void EncodeItems(const ffedit::TokenSchema& schema) {
    uint32_t count = 0;  // the last uint, for "count*" items
    for (uint16_t i = 0; i < schema.items_count; ++i) {
      const SchemaItem& item = table_.items[schema.items_first + i];
      switch (item.kind) {
        case SchemaItemKind::kValue:
          if (item.optional && words_.Peek() == ")") break;
          for (uint8_t n = 0; n < item.repeat; ++n) {
            uint32_t bits = EncodeValue(item.types[0]);
            if (item.types[0] == ValueType::kUint) count = bits;
          }
          break;
        case SchemaItemKind::kChild:
          if (!item.optional || FindAllowed(item, words_.Peek()) >= 0) EncodeChild(item);
          break;
        case SchemaItemKind::kCountedValues:
          for (uint32_t n = 0; n < count; ++n) {
            for (uint8_t t = 0; t < item.type_count; ++t) EncodeValue(item.types[t]);
          }
          break;
        case SchemaItemKind::kCountedChildren:
          for (uint32_t n = 0; n < count; ++n) EncodeChild(item);
          break;
        case SchemaItemKind::kRestChildren:
          while (words_.Peek() != ")") EncodeChild(item);
          break;
      }
    }
  }

  void EncodeBlock(int token) {
    const ffedit::TokenSchema& schema = table_.tokens[static_cast<size_t>(token)];
    words_.Next();  // the name, checked by the caller
    std::string label = words_.Peek() == "(" ? "" : words_.Next();
    if (words_.Next() != "(") Fail("'(' expected");
    size_t start = out_.size();
    Append(out_, schema.id, 2);
    Append(out_, 0, 2);
    Append(out_, 0, 4);  // the length, patched below
    out_.push_back(static_cast<uint8_t>(label.size()));
    for (unsigned char c : label) Append(out_, c, 2);
    EncodeItems(schema);
    if (words_.Next() != ")") Fail("')' expected for " + std::string(schema.name));
    uint32_t length = static_cast<uint32_t>(out_.size() - start - 8);
    for (size_t i = 0; i < 4; ++i) out_[start + 4 + i] = static_cast<uint8_t>(length >> (8 * i));
  }

  const ffedit::ShapeTokenTable& table_ = ffedit::GetShapeTokenTable();
  Words words_;
  Bytes out_;
};

Bytes BytesOf(std::string_view text) { return Bytes(text.begin(), text.end()); }

}  // namespace

Bytes EncodeShapeBlocks(std::string_view text) { return Encoder(text).EncodeAll(); }

bool EncodeShapeBlocks(std::string_view text, Bytes& blocks, std::string& problem) {
  try {
    blocks = EncodeShapeBlocks(text);
    return true;
  } catch (const std::runtime_error& failure) {
    problem = failure.what();
    return false;
  }
}

// Sized first, then copied: GCC 12 at -O2 takes an insert after the 16 header bytes for a write
// past them (-Warray-bounds).
Bytes MakeContent(const Bytes& blocks) {
  Bytes content = BytesOf("JINX0s1b______\r\n");
  size_t header = content.size();
  content.resize(header + blocks.size());
  std::copy(blocks.begin(), blocks.end(), content.begin() + static_cast<std::ptrdiff_t>(header));
  return content;
}

Bytes WrapBinaryShape(const Bytes& blocks) {
  Bytes file = BytesOf("SIMISA@@@@@@@@@@");
  Bytes content = MakeContent(blocks);
  file.insert(file.end(), content.begin(), content.end());
  return file;
}

Bytes WrapCompressedShape(const Bytes& blocks, int64_t stated_size) {
  Bytes content = MakeContent(blocks);
  uLongf packed_size = compressBound(static_cast<uLong>(content.size()));
  Bytes packed(packed_size);
  compress(packed.data(), &packed_size, content.data(), static_cast<uLong>(content.size()));
  Bytes file = BytesOf("SIMISA@F");
  Append(file, static_cast<uint32_t>(stated_size < 0 ? content.size() : stated_size), 4);
  file.insert(file.end(), {'@', '@', '@', '@'});
  file.insert(file.end(), packed.begin(), packed.begin() + static_cast<long>(packed_size));
  return file;
}

std::string Utf16Bytes(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// The benchmark and the fuzzer build this file alone, so it does without tests/common.
std::string MakeTextFile(std::string_view blocks_text) {
  std::string text = "SIMISA@@@@@@@@@@JINX0s1t______\n\n" + std::string(blocks_text);
  std::string file = "\xFF\xFE";
  for (char c : text) file += c == '\n' ? std::string("\r\0\n\0", 4) : std::string{c, '\0'};
  return file;
}

std::string ReadTestData(const std::string& name) {
  std::ifstream file(FFEDIT_TEST_DATA_DIR "/" + name, std::ios::binary);
  std::string text;
  // Written with CR LF; a checkout may have turned them into LF.
  for (char c : std::string(std::istreambuf_iterator<char>(file), {}))
    if (c != '\r') text += c;
  return text;
}

}  // namespace ffedit_test

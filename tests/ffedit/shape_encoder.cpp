#include "shape_encoder.h"

#include <zlib.h>

#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>

#include "shape_tokens.h"

namespace ffedit_test {
namespace {

using ffedit::SchemaItem;
using ffedit::SchemaItemKind;
using ffedit::ShapeTokenTable;
using ffedit::ValueType;

struct Tokenizer {
  std::string_view text;
  size_t pos = 0;

  void SkipSpace() {
    while (pos < text.size() && static_cast<unsigned char>(text[pos]) <= ' ') ++pos;
  }
  std::string_view PeekWord() {
    size_t saved = pos;
    // Only the kind of the next item matters to callers: "(", ")", a quote or a bare word.
    SkipSpace();
    size_t start = pos;
    pos = saved;
    if (start >= text.size()) return {};
    if (text[start] == '(' || text[start] == ')' || text[start] == '"')
      return text.substr(start, 1);
    size_t end = start;
    while (end < text.size() && static_cast<unsigned char>(text[end]) > ' ' && text[end] != '(' &&
           text[end] != ')') {
      ++end;
    }
    return text.substr(start, end - start);
  }
  // A word, "(", ")", or a quoted string with its escapes undone.
  std::string NextWord() {
    SkipSpace();
    if (pos >= text.size()) return {};
    if (text[pos] == '(' || text[pos] == ')') return std::string(1, text[pos++]);
    std::string word;
    if (text[pos] == '"') {
      ++pos;
      while (pos < text.size() && text[pos] != '"') {
        if (text[pos] == '\\' && pos + 1 < text.size()) ++pos;
        word += text[pos++];
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
  bool AtEnd() {
    SkipSpace();
    return pos >= text.size();
  }
};

struct Encoder {
  const ShapeTokenTable& table;
  Tokenizer words;
  std::vector<uint8_t>& out;
  std::string& problem;
};

void AppendUint16(std::vector<uint8_t>& out, uint32_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendUint32(std::vector<uint8_t>& out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool Fail(Encoder& encoder, const std::string& what) {
  encoder.problem = what + " near character " + std::to_string(encoder.words.pos);
  return false;
}

bool EncodeValue(Encoder& encoder, ValueType type, uint32_t& bits) {
  std::string word = encoder.words.NextWord();
  const char* first = word.data();
  const char* last = word.data() + word.size();
  std::from_chars_result result{};
  switch (type) {
    case ValueType::kUint:
      result = std::from_chars(first, last, bits);
      break;
    case ValueType::kSint: {
      int32_t value = 0;
      result = std::from_chars(first, last, value);
      bits = static_cast<uint32_t>(value);
      break;
    }
    case ValueType::kFloat: {
      float value = 0;
      result = std::from_chars(first, last, value);
      std::memcpy(&bits, &value, 4);
      break;
    }
    case ValueType::kDword:
      result = std::from_chars(first, last, bits, 16);
      break;
    case ValueType::kString:
      if (word.size() > 0xFFFF) return Fail(encoder, "string too long");
      AppendUint16(encoder.out, static_cast<uint32_t>(word.size()));
      for (unsigned char c : word) AppendUint16(encoder.out, c);
      return true;
  }
  if (result.ec != std::errc() || result.ptr != last)
    return Fail(encoder, "bad value '" + word + "'");
  AppendUint32(encoder.out, bits);
  return true;
}

// The allowed token of item named name; -1 when none.
int FindAllowed(const Encoder& encoder, const SchemaItem& item, std::string_view name) {
  for (uint16_t i = 0; i < item.allowed_count; ++i) {
    uint16_t token = encoder.table.allowed[item.allowed_first + i];
    if (encoder.table.tokens[token].name == name) return token;
  }
  return -1;
}

bool EncodeBlock(Encoder& encoder, int token);

bool EncodeChild(Encoder& encoder, const SchemaItem& item) {
  std::string_view name = encoder.words.PeekWord();
  int token = FindAllowed(encoder, item, name);
  if (token < 0) return Fail(encoder, "unexpected block '" + std::string(name) + "'");
  return EncodeBlock(encoder, token);
}

bool EncodeItems(Encoder& encoder, const ffedit::TokenSchema& schema) {
  uint32_t count = 0;
  for (uint16_t i = 0; i < schema.items_count; ++i) {
    const SchemaItem& item = encoder.table.items[schema.items_first + i];
    bool at_close = encoder.words.PeekWord() == ")";
    switch (item.kind) {
      case SchemaItemKind::kValue:
        if (item.optional && at_close) break;
        for (uint8_t n = 0; n < item.repeat; ++n) {
          if (!EncodeValue(encoder, item.types[0], count)) return false;
        }
        break;
      case SchemaItemKind::kChild:
        if (item.optional && FindAllowed(encoder, item, encoder.words.PeekWord()) < 0) break;
        if (!EncodeChild(encoder, item)) return false;
        break;
      case SchemaItemKind::kCountedValues:
        for (uint32_t n = 0; n < count; ++n) {
          uint32_t bits = 0;
          for (uint8_t t = 0; t < item.type_count; ++t) {
            if (!EncodeValue(encoder, item.types[t], bits)) return false;
          }
        }
        break;
      case SchemaItemKind::kCountedChildren:
        for (uint32_t n = 0; n < count; ++n) {
          if (!EncodeChild(encoder, item)) return false;
        }
        break;
      case SchemaItemKind::kRestChildren:
        while (encoder.words.PeekWord() != ")") {
          if (!EncodeChild(encoder, item)) return false;
        }
        break;
    }
  }
  return true;
}

bool EncodeBlock(Encoder& encoder, int token) {
  const ffedit::TokenSchema& schema = encoder.table.tokens[static_cast<size_t>(token)];
  encoder.words.NextWord();  // the name, checked by the caller
  std::string label;
  if (encoder.words.PeekWord() != "(") label = encoder.words.NextWord();
  if (encoder.words.NextWord() != "(") return Fail(encoder, "'(' expected");
  size_t start = encoder.out.size();
  AppendUint16(encoder.out, schema.id);
  AppendUint16(encoder.out, 0);
  AppendUint32(encoder.out, 0);  // the length, patched below
  encoder.out.push_back(static_cast<uint8_t>(label.size()));
  for (unsigned char c : label) AppendUint16(encoder.out, c);
  if (!EncodeItems(encoder, schema)) return false;
  if (encoder.words.NextWord() != ")")
    return Fail(encoder, "')' expected for " + std::string(schema.name));
  uint32_t length = static_cast<uint32_t>(encoder.out.size() - start - 8);
  for (int i = 0; i < 4; ++i) encoder.out[start + 4 + i] = static_cast<uint8_t>(length >> (8 * i));
  return true;
}

}  // namespace

bool EncodeShapeBlocks(std::string_view text, std::vector<uint8_t>& blocks, std::string& problem) {
  Encoder encoder{ffedit::GetShapeTokenTable(), Tokenizer{text}, blocks, problem};
  while (!encoder.words.AtEnd()) {
    std::string_view name = encoder.words.PeekWord();
    int token = ffedit::FindTokenByName(encoder.table, name);
    if (token < 0) return Fail(encoder, "unknown token '" + std::string(name) + "'");
    if (!EncodeBlock(encoder, token)) return false;
  }
  return true;
}

void AppendText(std::vector<uint8_t>& out, std::string_view text) {
  for (char c : text) out.push_back(static_cast<uint8_t>(c));
}

std::vector<uint8_t> MakeContent(const std::vector<uint8_t>& blocks) {
  std::vector<uint8_t> content;
  AppendText(content, "JINX0s1b______\r\n");
  content.insert(content.end(), blocks.begin(), blocks.end());
  return content;
}

std::vector<uint8_t> WrapBinaryShape(const std::vector<uint8_t>& blocks) {
  std::vector<uint8_t> file;
  AppendText(file, "SIMISA@@@@@@@@@@");
  std::vector<uint8_t> content = MakeContent(blocks);
  file.insert(file.end(), content.begin(), content.end());
  return file;
}

std::vector<uint8_t> WrapCompressedShape(const std::vector<uint8_t>& blocks) {
  std::vector<uint8_t> content = MakeContent(blocks);
  uLongf packed_size = compressBound(static_cast<uLong>(content.size()));
  std::vector<uint8_t> packed(packed_size);
  compress(packed.data(), &packed_size, content.data(), static_cast<uLong>(content.size()));
  packed.resize(packed_size);
  std::vector<uint8_t> file;
  AppendText(file, "SIMISA@F");
  AppendUint32(file, static_cast<uint32_t>(content.size()));
  file.insert(file.end(), {'@', '@', '@', '@'});
  file.insert(file.end(), packed.begin(), packed.end());
  return file;
}

std::string WidenToUtf16(std::string_view text) {
  std::string wide;
  for (char c : text) {
    wide += c;
    wide += '\0';
  }
  return wide;
}

std::string Utf16Bytes(std::u16string_view text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string MakeTextFile(std::string_view blocks_text) {
  return "\xFF\xFE" + WidenToUtf16("SIMISA@@@@@@@@@@JINX0s1t______\r\n\r\n") +
         WidenToUtf16(blocks_text);
}

std::string ReadTestData(const std::string& name) {
  std::ifstream file(std::string(FFEDIT_TEST_DATA_DIR) + "/" + name, std::ios::binary);
  std::ostringstream read;
  read << file.rdbuf();
  // The shapes are written with CR LF; a checkout that turned them into LF gets them back.
  std::string text;
  for (char c : read.str()) {
    if (c == '\n' && (text.empty() || text.back() != '\r')) text += '\r';
    text += c;
  }
  return text;
}

}  // namespace ffedit_test

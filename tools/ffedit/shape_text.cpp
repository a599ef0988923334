#include "shape_text.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "number_format.h"

namespace ffedit {
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

#include "tests/common/common.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace test {
namespace {

// A path of the tests (UTF-8) as the standard library takes it on every system.
std::filesystem::path FsPath(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}

}  // namespace

std::string ReadFile(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

Bytes ReadBytes(const std::string& path) {
  std::string text = ReadFile(path);
  return Bytes(text.begin(), text.end());
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  WriteFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool FileExists(const std::string& path) { return std::filesystem::exists(FsPath(path)); }

std::string ReadTestData(const std::string& name) { return ReadFile(SW_TEST_DATA "/" + name); }

size_t Count(std::string_view text, std::string_view part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1))
    ++count;
  return count;
}

std::vector<std::string> Words(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(FsPath(path_), ignored);
}

std::string TempFolder::Write(const std::string& name, std::string_view bytes) const {
  std::filesystem::create_directories(FsPath(File(name)).parent_path());
  WriteFile(File(name), bytes);
  return File(name);
}

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const {
  return Write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::vector<std::string> TempFolder::List(const std::string& sub) const {
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(FsPath(sub.empty() ? path_ : File(sub)))) {
    std::u8string name = entry.path().filename().u8string();
    names.emplace_back(name.begin(), name.end());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string EncodedText(std::string_view text, TextForm form, std::string_view line_end) {
  std::string out = std::array{"\xff\xfe", "\xfe\xff", "\xef\xbb\xbf", ""}[static_cast<int>(form)];
  for (const char& c : text) {
    for (char d : c == '\n' ? line_end : std::string_view(&c, 1)) {
      auto byte = static_cast<unsigned char>(d);
      if (form == TextForm::kUtf16Le) out += {d, '\0'};
      if (form == TextForm::kUtf16Be) out += {'\0', d};
      if (form >= TextForm::kUtf8Marked && byte < 0x80) out += d;
      if (form >= TextForm::kUtf8Marked && byte >= 0x80)
        out += {char(0xC0 | byte >> 6), char(0x80 | (byte & 0x3F))};
    }
  }
  return out;
}

std::string ShapeText(std::string_view text) { return EncodedText(text, TextForm::kUtf16Le); }

std::string WithoutCarriageReturns(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i)
    if (bytes.substr(i, 2) != "\r\n") out += bytes[i];
  return out;
}

}  // namespace test

// What every test folder needs: temporary folders, whole-file reads and writes, and running a
// program with an argument list (no shell, so no quoting).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace test {

// For the tests of what only one system has; the reason is printed with the skip.
#ifdef _WIN32
inline constexpr bool kWindows = true;
#else
inline constexpr bool kWindows = false;
#endif
#define SKIP_ON_WINDOWS(reason) \
  if (!test::kWindows) {        \
  } else                        \
    GTEST_SKIP() << "Linux only: " << (reason)

using Bytes = std::vector<uint8_t>;

std::string ReadFile(const std::string& path);
Bytes ReadBytes(const std::string& path);
void WriteFile(const std::string& path, std::string_view bytes);
void WriteFile(const std::string& path, const Bytes& bytes);
bool FileExists(const std::string& path);
// A file of tests/data, read whole.
std::string ReadTestData(const std::string& name);
// How often part occurs in text, overlapping occurrences included.
size_t Count(std::string_view text, std::string_view part);
// The blank-separated words of text.
std::vector<std::string> Words(const std::string& text);

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Writes the file name in the folder (making its folders) and returns its path.
  std::string Write(const std::string& name, std::string_view bytes) const;
  std::string Write(const std::string& name, const Bytes& bytes) const;
  // Names of the entries, sorted.
  std::vector<std::string> List(const std::string& sub = "") const;

 private:
  std::string path_;
};

// The forms of MSTS text: UTF-16 either way behind its mark, UTF-8 with or without one.
enum class TextForm { kUtf16Le, kUtf16Be, kUtf8Marked, kUtf8 };
// text (one byte per character, Latin-1 from 0x80) in form, each "\n" written as line_end.
std::string EncodedText(std::string_view text, TextForm form, std::string_view line_end = "\r\n");
// MSTS text as the simulator stores it: FF FE, then every character as a UTF-16LE unit, "\n"
// written as CR LF.
std::string ShapeText(std::string_view text);
// Bytes with every "\r\n" turned back into "\n", for readable comparisons.
std::string WithoutCarriageReturns(std::string_view bytes);

struct ProgramRun {
  int status = -1;  // exit status, -1 when the program did not exit normally
  std::string out;
  std::string err;
};

// Runs program with args in folder ("" = here), standard input empty; env holds extra
// "NAME=value" entries.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder = "", const std::vector<std::string>& env = {});

// A name in its folder's listing that cannot be read while this lives: on Linux a link that
// leads nowhere, on Windows a file this process holds open without sharing it.
class UnreadableFile {
 public:
  explicit UnreadableFile(const std::string& path);
  ~UnreadableFile();
  UnreadableFile(const UnreadableFile&) = delete;
  UnreadableFile& operator=(const UnreadableFile&) = delete;
  // What a program that tries to read it is told.
  static const char* const kReason;

 private:
  void* handle_ = nullptr;
};

// Makes a FIFO at path (Linux); false where the system has none.
bool MakeFifo(const std::string& path);

// Sets the environment variable name to value, or removes it when value is null.
void SetEnv(const char* name, const char* value);

// The library at path, loaded; null when it cannot be. The address of its export name, or null.
void* OpenLibrary(const std::string& path);
void* FindExport(void* library, const char* name);

}  // namespace test

#include "tests/common/common.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace test {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

Bytes ReadBytes(const std::string& path) {
  std::string text = ReadFile(path);
  return Bytes(text.begin(), text.end());
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  WriteFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool FileExists(const std::string& path) { return std::filesystem::exists(path); }

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

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "sw-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Write(const std::string& name, std::string_view bytes) const {
  std::filesystem::create_directories(std::filesystem::path(File(name)).parent_path());
  WriteFile(File(name), bytes);
  return File(name);
}

std::string TempFolder::Write(const std::string& name, const Bytes& bytes) const {
  return Write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::vector<std::string> TempFolder::List(const std::string& sub) const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(sub.empty() ? path_ : File(sub)))
    names.push_back(entry.path().filename().string());
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

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& folder, const std::vector<std::string>& env) {
  // The streams go to files rather than pipes: nothing to drain while the program runs.
  TempFolder streams;
  std::vector<char*> argv{const_cast<char*>(program.c_str())}, envp;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  for (const std::string& entry : env) envp.push_back(const_cast<char*>(entry.c_str()));
  for (char** e = environ; *e != nullptr; ++e) envp.push_back(*e);
  argv.push_back(nullptr);
  envp.push_back(nullptr);

  std::string out = streams.File("out"), err = streams.File("err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ProgramRun run;
  if (spawned != 0) return run;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0)
    if (errno != EINTR) return run;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadFile(out);
  run.err = ReadFile(err);
  return run;
}

}  // namespace test

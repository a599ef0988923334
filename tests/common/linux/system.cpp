// The tests' system services on Linux.
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <stdexcept>

#include "tests/common/common.h"

extern char** environ;

namespace test {

TempFolder::TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "sw-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make " + pattern);
  path_ = pattern;
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

UnreadableFile::UnreadableFile(const std::string& path) {
  std::filesystem::create_symlink("nowhere", path);
}
UnreadableFile::~UnreadableFile() = default;
const char* const UnreadableFile::kReason = "No such file or directory";

bool MakeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0600) == 0; }

void SetEnv(const char* name, const char* value) {
  value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
}

void* OpenLibrary(const std::string& path) { return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }

void* FindExport(void* library, const char* name) { return ::dlsym(library, name); }

}  // namespace test

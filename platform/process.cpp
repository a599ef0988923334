#include "platform/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

extern char** environ;

namespace platform {

std::string RunCaptured(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& working_directory) {
  int pipe_ends[2];
  if (::pipe2(pipe_ends, O_CLOEXEC) != 0) return std::string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 2);
  if (!working_directory.empty())
    posix_spawn_file_actions_addchdir_np(&actions, working_directory.c_str());
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  int spawned = posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipe_ends[1]);  // the pipe breaks once the child and its heirs have gone
  std::string output;
  if (spawned == 0) {
    char buffer[100];
    for (;;) {
      ssize_t got = ::read(pipe_ends[0], buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      output.append(buffer, static_cast<size_t>(got));
    }
    int status;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ::close(pipe_ends[0]);
  return output;
}

std::string MakeTemporaryFolder() {
  std::error_code error;
  std::string pattern =
      (std::filesystem::temp_directory_path(error) / "shapewright-XXXXXX").string();
  if (error) pattern = "/tmp/shapewright-XXXXXX";
  char* made = ::mkdtemp(pattern.data());
  return made != nullptr ? std::string(made) : std::string();
}

void RemoveFolder(const std::string& folder) {
  if (folder.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  // link() never replaces its target; it fails across file systems, where a copy that
  // refuses to overwrite takes over.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  std::error_code error;
  if (std::filesystem::exists(to, error)) return false;
  if (!std::filesystem::copy_file(from, to, std::filesystem::copy_options::none, error))
    return false;
  std::filesystem::remove(from, error);
  return true;
}

}  // namespace platform

// Running programs and scratch folders on Linux.
#include "platform/process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "platform/internal.h"

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
  // The tool gets the signals as a program started by a shell does, not as the run's threads
  // have them (interrupts left to a watcher, a closed pipe ignored).
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) sigaddset(&defaults, signal_number);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  pid_t child = -1;
  int spawned = posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
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
  if (!folder.empty()) RemoveTree(folder);
}

void RemoveTree(const std::string& folder) {
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
}

namespace {

// Puts from in place as to unless to exists: link() never replaces its target, and where a file
// system has no links, renameat2 with RENAME_NOREPLACE does the same in one step.
bool PublishNoReplace(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  if (errno == EEXIST || errno == EXDEV) return false;
  return ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
}

}  // namespace

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  if (PublishNoReplace(from, to)) return true;
  if (errno != EXDEV) return false;
  // Another file system: a private copy beside the target first, so that whoever looks for
  // the target finds it complete or not at all.
  size_t cut = to.rfind('/');
  std::string folder = cut == std::string::npos ? std::string(".") : to.substr(0, cut);
  std::string partial = folder + "/.partial-XXXXXX";
  int fd = ::mkstemp(partial.data());
  if (fd < 0) return false;
  ::close(fd);
  std::error_code error;
  bool copied = std::filesystem::copy_file(
      from, partial, std::filesystem::copy_options::overwrite_existing, error);
  bool moved = copied && PublishNoReplace(partial, to);
  if (!moved) {
    ::unlink(partial.c_str());
    return false;
  }
  std::filesystem::remove(from, error);
  return true;
}

}  // namespace platform

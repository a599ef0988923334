// Running shapewright-cli as a user does, in a folder, with its output streams captured.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/engine/test_support.h"

namespace cli_test {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string Quoted(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs the CLI in folder with the given arguments (already quoted where needed).
inline CliRun RunCli(const std::string& folder, const std::string& arguments,
                     const std::string& environment = "") {
  std::string out = folder + "/.stdout", err = folder + "/.stderr";
  std::string command = "cd " + Quoted(folder) + " && " + environment + " " + Quoted(SW_CLI) + " " +
                        arguments + " >" + Quoted(out) + " 2>" + Quoted(err) + " </dev/null";
  CliRun run;
  int raw = std::system(command.c_str());
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadFileBytes(out);
  run.err = ReadFileBytes(err);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return run;
}

}  // namespace cli_test

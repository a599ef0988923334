// Running shapewright-cli as a user does, in a folder, with its output streams captured.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "tests/common/common.h"

namespace cli_test {

using CliRun = test::ProgramRun;

// Runs the CLI in folder with the arguments given as one text, split at blanks (no argument
// here holds one), and environment as "NAME=value" or empty.
inline CliRun RunCli(const std::string& folder, const std::string& arguments,
                     const std::string& environment = "") {
  std::istringstream words(arguments);
  std::vector<std::string> args;
  for (std::string word; words >> word;) args.push_back(word);
  std::vector<std::string> env;
  if (!environment.empty()) env.push_back(environment);
  return test::RunProgram(SW_CLI, args, folder, env);
}

}  // namespace cli_test

// Running shapewright-cli as a user does, in a folder, with its output streams captured; and
// the files it is given.
#pragma once

#include <string>
#include <vector>

#include "tests/engine/test_support.h"

namespace cli_test {

using CliRun = test::ProgramRun;
constexpr size_t npos = std::string::npos;

// Runs the CLI in folder with the arguments given as one text, split at blanks (no argument
// here holds one), and environment as "NAME=value" or empty.
inline CliRun RunCli(const std::string& folder, const std::string& arguments,
                     const std::string& environment = "") {
  std::vector<std::string> env;
  if (!environment.empty()) env.push_back(environment);
  return test::RunProgram(SW_CLI, test::Words(arguments), folder, env);
}

// The model file at path, with "\n" line ends.
inline std::string Model(const std::string& path) {
  return test::WithoutCarriageReturns(test::ReadFile(path));
}

// A shape of one primitive on its root matrix, moved by x, naming one texture.
inline std::string ShapeWithTexture(const std::string& texture, const std::string& x = "0") {
  ShapeParts parts;
  parts.images = "images ( 1\nimage ( " + texture + " )\n)\n";
  parts.matrices = "matrices ( 1\nmatrix MAIN ( 1 0 0 0 1 0 0 0 1 " + x + " 0 0 )\n)\n";
  parts.sub_objects = "sub_objects ( 1\n" +
                      SubObject(Vertices({{0, 0, 0}}), "primitives ( 2\nprim_state_idx ( 0 )\n" +
                                                           Trilist("3 0 0 0") + ")\n") +
                      ")\n";
  return test::ShapeText(BuildShape(parts));
}

}  // namespace cli_test

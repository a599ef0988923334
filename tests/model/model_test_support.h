// Shared helpers of the model tests: golden files and a diagnostics printer.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "model/model_file.h"

inline std::string ReadTestData(const std::string& name) {
  std::ifstream in(std::string(SW_TEST_DATA) + "/" + name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

inline std::string Describe(const std::vector<model::Diagnostic>& diagnostics) {
  std::string text;
  for (const model::Diagnostic& d : diagnostics) {
    text += std::to_string(d.line) +
            (d.severity == model::Severity::kError ? ": error: " : ": warning: ") + d.message +
            "\n";
  }
  return text;
}

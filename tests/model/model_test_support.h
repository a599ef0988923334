// Shared helpers of the model tests: golden files and a diagnostics printer.
#pragma once

#include <string>
#include <vector>

#include "model/model_file.h"
#include "tests/common/common.h"

using test::ReadTestData;

inline bool AllTexturesExist(const std::string&) { return true; }

inline std::string Describe(const std::vector<model::Diagnostic>& diagnostics) {
  std::string text;
  for (const model::Diagnostic& d : diagnostics) {
    text += std::to_string(d.line) +
            (d.severity == model::Severity::kError ? ": error: " : ": warning: ") + d.message +
            "\n";
  }
  return text;
}

// The one format of every warning and error the program prints, GNU's, which compilers use
// and editors jump to: "FILE:LINE: warning: TEXT" and "FILE: error: TEXT".
#pragma once

#include <string>
#include <string_view>

#include "base/text.h"

enum class Severity { kWarning, kError };

// One diagnostic line with its line end; line 0 leaves the line number out. Control bytes of
// the file and the text are escaped: the line stays one line.
inline std::string DiagnosticLine(std::string_view file, long long line, Severity severity,
                                  std::string_view text) {
  std::string out = EscapeControls(file);
  if (line > 0) out += ":" + std::to_string(line);
  out += severity == Severity::kError ? ": error: " : ": warning: ";
  out += EscapeControls(text);
  out += '\n';
  return out;
}

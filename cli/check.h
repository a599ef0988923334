// shapewright-cli --check: the model-file checker on the command line.
#pragma once

#include <string>

// True when the arguments ask for --check (the check command takes over the command line).
bool IsCheckCommand(int argc, char** argv);

// Checks every model file named on the command line and prints, per file, its summary and its
// findings as "FILE:LINE: error|warning: message". Returns 1 when a file has errors or cannot
// be read, 2 on a usage error, else 0.
int RunCheckCommand(int argc, char** argv);

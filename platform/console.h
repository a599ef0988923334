// What the command line needs to know about its terminal.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The program's arguments (argv[0] first) as UTF-8, each "\\" a "/" where the system separates
// paths with it; also readies the console to show UTF-8 output. Call once, first thing in main.
std::vector<std::string> ReadArguments(int argc, char** argv);

// True when standard error is a terminal.
bool StandardErrorIsTerminal();
// The width of the terminal on standard error in columns; 80 when it cannot be told.
int StandardErrorColumns();

}  // namespace platform

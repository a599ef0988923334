// What the command line needs to know about its terminal.
#pragma once

namespace platform {

// True when standard error is a terminal.
bool StandardErrorIsTerminal();
// The width of the terminal on standard error in columns; 80 when it cannot be told.
int StandardErrorColumns();

}  // namespace platform

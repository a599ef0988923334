// The terminal on Linux.
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/console.h"

namespace platform {

std::vector<std::string> ReadArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

int StandardErrorColumns() {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
}

}  // namespace platform

// Interrupts on Windows: Ctrl+C, Ctrl+Break and a closing console come to a handler, which the
// system runs on a thread of its own.
#include <windows.h>

#include <cerrno>

#include "platform/internal.h"
#include "platform/interrupts.h"

namespace platform {
namespace {

// The status a process ended by Ctrl+C has (STATUS_CONTROL_C_EXIT).
constexpr UINT kInterruptedStatus = 0xC000013A;

BOOL WINAPI RemoveFoldersAndEnd(DWORD /*event*/) {
  RemoveFoldersForInterrupt();
  ::ExitProcess(kInterruptedStatus);
  return TRUE;
}

}  // namespace

void WatchInterrupts() { ::SetConsoleCtrlHandler(RemoveFoldersAndEnd, TRUE); }

// A reader that went away shows as EPIPE from the C library, or as the pipe's own error.
void EndAfterClosedOutput() {
  if (errno == EPIPE || ::GetLastError() == ERROR_NO_DATA || ::GetLastError() == ERROR_BROKEN_PIPE)
    RemoveFoldersAndEnd(0);
}

}  // namespace platform

// Interrupts on Linux: the signals, taken by one watching thread.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/internal.h"
#include "platform/interrupts.h"

namespace platform {
namespace {

void RemoveFoldersAndEnd(int signal_number) {
  RemoveFoldersForInterrupt();
  ::signal(signal_number, SIG_DFL);
  sigset_t one;
  sigemptyset(&one);
  sigaddset(&one, signal_number);
  ::pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
  ::raise(signal_number);
  ::_exit(128 + signal_number);  // not reached when the signal ends the process
}

sigset_t InterruptSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, signal_number);
  return set;
}

}  // namespace

void WatchInterrupts() {
  sigset_t set = InterruptSignals();
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
  std::thread([set] {
    int signal_number = 0;
    while (::sigwait(&set, &signal_number) != 0) {
    }
    RemoveFoldersAndEnd(signal_number);
  }).detach();
}

void EndAfterClosedOutput() {
  if (errno == EPIPE) RemoveFoldersAndEnd(SIGPIPE);
}

}  // namespace platform

#include "platform/interrupts.h"

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <mutex>
#include <set>
#include <thread>

namespace platform {

namespace {

std::mutex folders_mutex;
std::mutex gate;  // held while files move into place; taken for good by an interrupt
std::atomic<bool> interrupted{false};
std::set<std::string>& Folders() {
  static std::set<std::string> folders;
  return folders;
}

void RemoveFoldersAndEnd(int signal_number) {
  gate.lock();
  interrupted = true;
  {
    std::lock_guard<std::mutex> lock(folders_mutex);
    for (const std::string& folder : Folders()) {
      // Workers may still write into it while it goes: a second pass takes what they added.
      std::error_code ignored;
      for (int pass = 0; pass < 10 && std::filesystem::exists(folder, ignored); ++pass)
        std::filesystem::remove_all(folder, ignored);
    }
  }
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

bool Interrupted() { return interrupted; }

HoldInterrupts::HoldInterrupts() { gate.lock(); }
HoldInterrupts::~HoldInterrupts() { gate.unlock(); }

void RemoveOnInterrupt(const std::string& folder) {
  std::lock_guard<std::mutex> lock(folders_mutex);
  Folders().insert(folder);
}

void ForgetOnInterrupt(const std::string& folder) {
  std::lock_guard<std::mutex> lock(folders_mutex);
  Folders().erase(folder);
}

void EndAfterClosedOutput() {
  if (errno == EPIPE) RemoveFoldersAndEnd(SIGPIPE);
}

}  // namespace platform

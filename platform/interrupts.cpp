#include "platform/interrupts.h"

#include <atomic>
#include <mutex>
#include <set>

#include "platform/files.h"
#include "platform/internal.h"

namespace platform {
namespace {

std::mutex folders_mutex;
std::mutex gate;  // held while files move into place; taken for good by an interrupt
std::atomic<bool> interrupted{false};
std::set<std::string>& Folders() {
  static std::set<std::string> folders;
  return folders;
}

}  // namespace

void RemoveFoldersForInterrupt() {
  gate.lock();
  interrupted = true;
  std::lock_guard<std::mutex> lock(folders_mutex);
  for (const std::string& folder : Folders()) {
    // Workers may still write into it while it goes: a second pass takes what they added.
    for (int pass = 0; pass < 10 && FileExists(folder); ++pass) RemoveTree(folder);
  }
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

}  // namespace platform

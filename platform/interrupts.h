// Ending a run cleanly when it is interrupted (Ctrl+C, a kill, a closed pipe): the working
// folders it registered are removed, and the process ends as the signal would have ended it.
#pragma once

#include <string>

namespace platform {

// Starts watching for interrupts. Call before any thread starts, so that every thread leaves
// them to the watcher. A closed standard output then shows as a failed write (see
// EndAfterClosedOutput) instead of ending the process in the middle of a file.
void WatchInterrupts();

// Folders removed when an interrupt comes; a folder is forgotten once its run is done with it.
void RemoveOnInterrupt(const std::string& folder);
void ForgetOnInterrupt(const std::string& folder);

// Held while a vehicle's files move into place: an interrupt waits until the last of them has
// moved, so that a vehicle is published whole or not at all.
class HoldInterrupts {
 public:
  HoldInterrupts();
  ~HoldInterrupts();
  HoldInterrupts(const HoldInterrupts&) = delete;
  HoldInterrupts& operator=(const HoldInterrupts&) = delete;
};

// True once an interrupt has come: from then on no folder is made, so that nothing a worker
// still writes can outlive the removal of the working folders.
bool Interrupted();

// For a write to standard output that failed: when the reader has gone, the registered folders
// are removed and the process ends as a closed pipe ends it. Returns when the reader is there.
void EndAfterClosedOutput();

}  // namespace platform

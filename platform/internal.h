// What the two sides of platform/ share between their files; not for the layers above.
#pragma once

#include <string>

namespace platform {

// Removes folder and everything in it; what cannot be removed stays.
void RemoveTree(const std::string& folder);

// For an interrupt: waits for files that are moving into place, marks the run interrupted
// and removes the registered folders. The gate stays taken: the caller ends the process.
void RemoveFoldersForInterrupt();

}  // namespace platform

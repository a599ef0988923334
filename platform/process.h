// Running a companion program and collecting what it writes.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Runs program with arguments (each passed as one argument) in working_directory, standard
// input from /dev/null, standard output and standard error on one pipe. Returns what the
// program wrote, in the order it arrived, once every writer has closed the pipe; the child
// is reaped. A program that cannot be started gives an empty text.
std::string RunCaptured(const std::string& program, const std::vector<std::string>& arguments,
                        const std::string& working_directory);

// A new private folder for scratch files; empty when none can be made.
std::string MakeTemporaryFolder();
// Removes folder and everything in it.
void RemoveFolder(const std::string& folder);
// Moves from to to without replacing an existing file, across file systems too (a copy beside
// to, then linked in place): to appears complete or not at all, also to another process or
// thread moving to the same name. False when to exists or the move fails.
bool MoveFileNoReplace(const std::string& from, const std::string& to);

}  // namespace platform

// Walking folders and publishing files safely beside other writers.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {

enum class PathKind { kMissing, kFile, kFolder };
// What path names, following symbolic links; a link that leads nowhere is a file (its reader
// then reports why it cannot be opened).
PathKind KindOfPath(const std::string& path);

// Every file below folder, recursively, as paths relative to folder with "/" between names,
// sorted by byte order. Symbolic links to files count as files; links to folders are not
// followed, so a link cannot make the walk loop. False when a folder cannot be read, with that
// folder (folder itself or one below it) in error_path and the reason in error.
// An entry that cannot even be looked at (a name beyond the system's path limit, say) goes into
// skipped, when given, as its path and the reason.
bool ListFilesBelow(const std::string& folder, std::vector<std::string>& files,
                    std::string& error_path, std::string& error,
                    std::vector<std::pair<std::string, std::string>>* skipped = nullptr);

// A new private folder inside parent (which exists); empty when none can be made.
std::string MakeTemporaryFolderIn(const std::string& parent);

// A run's working folder in parent (which exists): private, held by this process through a
// lock inside it, and removed when the run is interrupted; empty when none can be made.
std::string MakeWorkingFolderIn(const std::string& parent);
// Removes a working folder made above and lets go of it.
void RemoveWorkingFolder(const std::string& folder);
// Removes the working folders in parent that no live run holds: those a run killed outright
// (or a power cut) left behind. Another run's folder is never touched.
void RemoveAbandonedWorkingFolders(const std::string& parent);

// True when both files can be read and hold the same bytes.
bool SameFileContents(const std::string& a, const std::string& b);

// Moves from to to, replacing a file there (both in one file system). False with the reason.
bool ReplaceFile(const std::string& from, const std::string& to, std::string& error);

// Copies the file from to to, replacing a file there: to is then whole, or as it was. False with
// the reason.
bool CopyFileOver(const std::string& from, const std::string& to, std::string& error);

// Moves the folder from to to, which must not exist (both in one file system). False with the
// reason otherwise, nothing moved: a folder that appeared at to meanwhile is never replaced.
bool MoveFolder(const std::string& from, const std::string& to, std::string& error);

}  // namespace platform

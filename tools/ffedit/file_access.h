// The shape tool's only contact with the system: its arguments and whole files
// (linux/file_access.cpp, win/file_access.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ffedit {

// The program's arguments (argv[0] first) as UTF-8.
std::vector<std::string> ReadProgramArguments(int argc, char** argv);

// Appends the bytes of the file at path; false with problem naming path and the reason.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem);

// Writes first, then rest_size bytes of rest, to a temporary file beside path and renames it to
// path when complete; false with problem naming path and the reason, and nothing left behind.
bool WriteFileAtomically(const std::string& path, const std::string& first, const char* rest,
                         size_t rest_size, std::string& problem);

}  // namespace ffedit

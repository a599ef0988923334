// What stopped the reading of a shape file: the token (or file part) and where.
#pragma once

#include <cstdint>
#include <string>

namespace ffedit {

struct ReadError {
  std::string token;    // token name, or "token 300" for an unknown id, or a file part
  uint64_t offset = 0;  // byte offset in the file, or in the decompressed data
  bool in_decompressed_data = false;
  std::string what;
};

// "vertex at byte offset 1234 of the decompressed data: ..." as the tool prints it.
std::string DescribeReadError(const ReadError& error);

}  // namespace ffedit

// The compressed shapes of a run, each decompressed once, whichever vehicle asks first; the
// vehicles that share it wait for that one result.
#pragma once

#include <future>
#include <map>
#include <mutex>
#include <string>

#include "source/source_commands.h"

class SharedDecompressions {
 public:
  // The outcome of DecompressShape(shape), run once per shape in this object's life.
  DecompressOutcome Get(const std::string& shape);

 private:
  std::mutex mutex_;
  std::map<std::string, std::shared_future<DecompressOutcome>> running_;
};

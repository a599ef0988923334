// The compressed shapes of a run, each decompressed once, whichever vehicle asks first; the
// vehicles that share it wait for that one result, doing other work meanwhile.
#pragma once

#include <functional>
#include <string>
#include <utility>

#include "batch/once_per_key.h"
#include "source/source_commands.h"

class SharedDecompressions {
 public:
  explicit SharedDecompressions(TwinPlace place) : place_(std::move(place)) {}
  // The outcome of DecompressShape(shape, place), run once per shape in this object's life.
  // While another caller decompresses it, meanwhile is called until it returns false (it has
  // nothing to do), so that a thread does not sit idle through someone else's decompression.
  DecompressOutcome Get(const std::string& shape, const std::function<bool()>& meanwhile = {}) {
    return done_.Get(
        shape, [&] { return DecompressShape(shape, place_); }, meanwhile);
  }

 private:
  const TwinPlace place_;
  OncePerKey<DecompressOutcome> done_;
};

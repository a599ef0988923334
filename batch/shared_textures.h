// The textures of a run, each decoded once: the first vehicle that needs an ACE file has the
// library convert it into the run's working folder, and every vehicle that uses it copies that
// TGA into its own stage. A set of wagons on one texture decodes it once, not once a wagon.
#pragma once

#include <atomic>
#include <string>
#include <utility>

#include "batch/once_per_key.h"

class SharedTextures {
 public:
  explicit SharedTextures(std::string folder) : folder_(std::move(folder)) {}
  // As the texture library's AceToTga(ace, tga): nonzero when tga was written.
  int Convert(const std::string& ace, const std::string& tga);

 private:
  const std::string folder_;
  std::atomic<size_t> made_{0};
  OncePerKey<std::string> converted_;  // the TGA in folder_ for each ACE; empty on a failure
};

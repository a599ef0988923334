#include "batch/shared_decompressions.h"

#include <exception>

DecompressOutcome SharedDecompressions::Get(const std::string& shape) {
  std::promise<DecompressOutcome> promise;
  std::shared_future<DecompressOutcome> result;
  bool mine = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto found = running_.find(shape);
    if (found == running_.end()) {
      result = promise.get_future().share();
      running_.emplace(shape, result);
      mine = true;
    } else {
      result = found->second;
    }
  }
  if (mine) {
    try {
      promise.set_value(DecompressShape(shape, place_));
    } catch (...) {
      promise.set_exception(std::current_exception());
    }
  }
  return result.get();
}

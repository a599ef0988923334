#include "batch/shared_decompressions.h"

#include <chrono>
#include <exception>

DecompressOutcome SharedDecompressions::Get(const std::string& shape,
                                            const std::function<bool()>& meanwhile) {
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
  if (!mine && meanwhile) {
    while (result.wait_for(std::chrono::seconds(0)) != std::future_status::ready && meanwhile()) {
    }
  }
  return result.get();
}

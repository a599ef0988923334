// Work done once per key in a run, by whichever thread asks first; the others that ask for the
// same key wait for that one result, doing other work meanwhile when they have some.
#pragma once

#include <chrono>
#include <exception>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <string>

template <typename Result>
class OncePerKey {
 public:
  // make() for the first caller of key; its result (or exception) for every caller. While
  // another caller makes it, meanwhile is called until it returns false (nothing to do).
  template <typename Make>
  Result Get(const std::string& key, Make make, const std::function<bool()>& meanwhile = {}) {
    std::promise<Result> promise;
    std::shared_future<Result> result;
    bool mine = false;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      auto found = running_.find(key);
      if (found == running_.end()) {
        result = promise.get_future().share();
        running_.emplace(key, result);
        mine = true;
      } else {
        result = found->second;
      }
    }
    if (mine) {
      try {
        promise.set_value(make());
      } catch (...) {
        promise.set_exception(std::current_exception());
      }
    } else if (meanwhile) {
      while (result.wait_for(std::chrono::seconds(0)) != std::future_status::ready && meanwhile()) {
      }
    }
    return result.get();
  }

 private:
  std::mutex mutex_;
  std::map<std::string, std::shared_future<Result>> running_;
};

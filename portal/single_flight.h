#pragma once

#include <future>
#include <map>
#include <mutex>
#include <string>

namespace nimbrel::portal {

// Runs one piece of work per key at a time: callers that arrive while it runs wait for its
// result instead of starting their own, so a crowd asking for one uncached city makes one
// upstream call.
template <typename Result>
class SingleFlight {
 public:
  template <typename Work>
  Result Run(const std::string& key, Work&& work) {
    std::unique_lock lock(mutex_);
    if (const auto running = flights_.find(key); running != flights_.end()) {
      std::shared_future<Result> result = running->second;
      lock.unlock();
      return result.get();
    }
    std::promise<Result> promise;
    flights_.emplace(key, promise.get_future().share());
    lock.unlock();
    try {
      Result result = work();
      Finish(key);
      promise.set_value(result);
      return result;
    } catch (...) {
      Finish(key);
      promise.set_exception(std::current_exception());
      throw;
    }
  }

 private:
  void Finish(const std::string& key) {
    std::lock_guard lock(mutex_);
    flights_.erase(key);
  }

  std::mutex mutex_;
  std::map<std::string, std::shared_future<Result>> flights_;
};

}  // namespace nimbrel::portal

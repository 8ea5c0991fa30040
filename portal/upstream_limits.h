#pragma once

#include <condition_variable>
#include <mutex>
#include <optional>

#include "portal/clock.h"

namespace nimbrel::portal {

// At most `limit` upstream calls at once; a caller waits no later than its deadline.
class ConcurrencyLimit {
 public:
  explicit ConcurrencyLimit(size_t limit) : free_(limit) {}

  class Slot {
   public:
    explicit Slot(ConcurrencyLimit& owner) : owner_(&owner) {}
    Slot(Slot&& other) noexcept : owner_(other.owner_) { other.owner_ = nullptr; }
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;
    Slot& operator=(Slot&&) = delete;
    ~Slot() {
      if (owner_) owner_->Release();
    }

   private:
    ConcurrencyLimit* owner_;
  };

  std::optional<Slot> Enter(Instant deadline);

 private:
  void Release();

  std::mutex mutex_;
  std::condition_variable released_;
  size_t free_;
};

// A token bucket for lookups of names not seen before, so a stream of junk names spends at
// most this rate of the provider's quota.
class RateLimit {
 public:
  RateLimit(double per_second, double burst)
      : per_second_(per_second), burst_(burst), tokens_(burst) {}

  bool TryTake(Instant now);

 private:
  std::mutex mutex_;
  const double per_second_;
  const double burst_;
  double tokens_;
  std::optional<Instant> last_;
};

}  // namespace nimbrel::portal

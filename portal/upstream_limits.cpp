#include "portal/upstream_limits.h"

#include <algorithm>

namespace nimbrel::portal {

std::optional<ConcurrencyLimit::Slot> ConcurrencyLimit::Enter(Instant deadline) {
  std::unique_lock lock(mutex_);
  if (!released_.wait_until(lock, deadline, [this] { return free_ > 0; })) return std::nullopt;
  --free_;
  return std::optional<Slot>(std::in_place, *this);
}

void ConcurrencyLimit::Release() {
  {
    std::lock_guard lock(mutex_);
    ++free_;
  }
  released_.notify_one();
}

bool RateLimit::TryTake(Instant now) {
  std::lock_guard lock(mutex_);
  if (last_) {
    const double elapsed = std::chrono::duration<double>(now - *last_).count();
    tokens_ = std::min(burst_, tokens_ + std::max(0.0, elapsed) * per_second_);
  }
  last_ = now;
  if (tokens_ < 1.0) return false;
  tokens_ -= 1.0;
  return true;
}

}  // namespace nimbrel::portal

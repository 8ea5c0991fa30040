#include "portal/page_cache.h"

namespace nimbrel::portal {

std::shared_ptr<const CachedWeather> PageCache::Find(const std::string& city) {
  std::lock_guard lock(mutex_);
  const auto found = slots_.find(city);
  if (found == slots_.end()) return nullptr;
  recency_.splice(recency_.begin(), recency_, found->second.recency);
  return found->second.weather;
}

void PageCache::Store(std::shared_ptr<const CachedWeather> weather) {
  std::lock_guard lock(mutex_);
  const std::string& city = weather->city;
  const auto found = slots_.find(city);
  if (found != slots_.end()) {
    found->second.weather = std::move(weather);
    recency_.splice(recency_.begin(), recency_, found->second.recency);
    return;
  }
  recency_.push_front(city);
  slots_.emplace(city, Slot{std::move(weather), recency_.begin()});
  while (slots_.size() > capacity_) {
    slots_.erase(recency_.back());
    recency_.pop_back();
  }
}

size_t PageCache::size() const {
  std::lock_guard lock(mutex_);
  return slots_.size();
}

}  // namespace nimbrel::portal

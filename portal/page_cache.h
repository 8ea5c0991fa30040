#pragma once

#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "portal/clock.h"
#include "portal/forecast.h"

namespace nimbrel::portal {

struct CachedWeather {
  Forecast forecast;
  std::string city;  // as the client asked, UTF-8
  std::string updated_hhmm;
  Instant fetched;
  std::string page;  // rendered once, served many times
  std::string etag;
};

// Last good weather per city, least recently used dropped beyond the capacity. Entries
// outlive their freshness: an expired one is still the page served while upstream fails.
class PageCache {
 public:
  explicit PageCache(size_t capacity) : capacity_(capacity) {}

  std::shared_ptr<const CachedWeather> Find(const std::string& city);
  void Store(std::shared_ptr<const CachedWeather> weather);
  size_t size() const;

 private:
  using Recency = std::list<std::string>;
  struct Slot {
    std::shared_ptr<const CachedWeather> weather;
    Recency::iterator recency;
  };

  const size_t capacity_;
  mutable std::mutex mutex_;
  Recency recency_;  // most recent first
  std::unordered_map<std::string, Slot> slots_;
};

}  // namespace nimbrel::portal

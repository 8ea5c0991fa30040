#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "portal/clock.h"
#include "portal/geocode_cache.h"
#include "portal/page_cache.h"
#include "portal/single_flight.h"
#include "portal/upstream_limits.h"
#include "portal/weather_source.h"

namespace nimbrel::portal {

struct ServiceSettings {
  std::chrono::seconds ttl{600};
  size_t cache_capacity = 5000;
  size_t max_upstream_calls = 8;
  // A client waits no longer than one upstream call may take.
  std::chrono::milliseconds request_budget{5000};
  double new_city_lookups_per_second = 2;
  double new_city_lookup_burst = 20;
  std::chrono::seconds unknown_city_for{3600};
};

enum class CacheUse { kHit, kMiss, kStale };

struct WeatherAnswer {
  int status = 200;
  std::string page;
  std::string etag;                  // empty: none
  std::chrono::seconds max_age{-1};  // negative: not to be stored
  CacheUse cache = CacheUse::kMiss;
  long upstream_ms = 0;
};

// Pages per city: fresh from the cache, fetched once for all who ask at the same moment,
// or, when the provider fails, the last good page with its age or a 503 notice.
class WeatherService {
 public:
  WeatherService(WeatherSource& source, GeocodeCache& places, ServiceSettings settings,
                 PortalClock clock = {});

  WeatherAnswer Serve(const std::string& city);

 private:
  enum class RefreshOutcome { kFresh, kNoSuchPlace, kFailed };
  struct Refresh {
    RefreshOutcome outcome = RefreshOutcome::kFailed;
    std::shared_ptr<const CachedWeather> weather;
    long upstream_ms = 0;
  };

  Refresh RefreshCity(const std::string& city);
  std::optional<Coordinates> Locate(const std::string& city, Instant deadline, Refresh& refresh);
  bool IsFresh(const CachedWeather& weather, Instant now) const;
  WeatherAnswer FreshAnswer(const CachedWeather& weather, Instant now, CacheUse use) const;
  WeatherAnswer StaleAnswer(const CachedWeather& weather, Instant now) const;

  WeatherSource& source_;
  GeocodeCache& places_;
  const ServiceSettings settings_;
  const PortalClock clock_;
  PageCache pages_;
  SingleFlight<Refresh> flights_;
  ConcurrencyLimit upstream_calls_;
  RateLimit new_city_lookups_;
};

// A strong validator of a page's bytes.
std::string EntityTag(const std::string& page);

}  // namespace nimbrel::portal

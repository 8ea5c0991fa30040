#include "portal/weather_service.h"

#include <cstdint>
#include <cstdio>

#include "portal/weather_page.h"

namespace nimbrel::portal {
namespace {

using std::chrono::duration_cast;
using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;

constexpr std::string_view kUnavailable = "暂时无法获取天气";
constexpr std::string_view kNoSuchCity = "找不到这个城市";

long MillisecondsSince(Instant start, Instant end) {
  return static_cast<long>(duration_cast<milliseconds>(end - start).count());
}

}  // namespace

std::string EntityTag(const std::string& page) {
  uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (unsigned char c : page) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char tag[24];
  std::snprintf(tag, sizeof tag, "\"%016llx\"", static_cast<unsigned long long>(hash));
  return tag;
}

WeatherService::WeatherService(WeatherSource& source, GeocodeCache& places,
                               ServiceSettings settings, PortalClock clock)
    : source_(source),
      places_(places),
      settings_(settings),
      clock_(std::move(clock)),
      pages_(settings.cache_capacity),
      upstream_calls_(settings.max_upstream_calls),
      new_city_lookups_(settings.new_city_lookups_per_second, settings.new_city_lookup_burst) {}

WeatherAnswer WeatherService::Serve(const std::string& city) {
  const std::shared_ptr<const CachedWeather> cached = pages_.Find(city);
  if (cached && IsFresh(*cached, clock_.now())) {
    return FreshAnswer(*cached, clock_.now(), CacheUse::kHit);
  }
  const Refresh refresh = flights_.Run(city, [&] { return RefreshCity(city); });
  const Instant now = clock_.now();
  WeatherAnswer answer;
  switch (refresh.outcome) {
    case RefreshOutcome::kFresh:
      answer = FreshAnswer(*refresh.weather, now, CacheUse::kMiss);
      break;
    case RefreshOutcome::kNoSuchPlace:
      answer.status = 404;
      answer.page = RenderNoticePage(city, kNoSuchCity);
      break;
    case RefreshOutcome::kFailed:
      if (cached) {
        answer = StaleAnswer(*cached, now);
      } else {
        answer.status = 503;
        answer.page = RenderNoticePage(city, kUnavailable);
      }
      break;
  }
  answer.upstream_ms = refresh.upstream_ms;
  return answer;
}

WeatherService::Refresh WeatherService::RefreshCity(const std::string& city) {
  Refresh refresh;
  // Another flight may have stored the city between our cache miss and this flight.
  if (auto cached = pages_.Find(city); cached && IsFresh(*cached, clock_.now())) {
    refresh.outcome = RefreshOutcome::kFresh;
    refresh.weather = std::move(cached);
    return refresh;
  }
  const Instant deadline = clock_.now() + settings_.request_budget;
  const std::optional<Coordinates> place = Locate(city, deadline, refresh);
  if (!place) return refresh;
  const std::optional<ConcurrencyLimit::Slot> call = upstream_calls_.Enter(deadline);
  if (!call) return refresh;
  const Instant start = clock_.now();
  std::optional<Forecast> forecast = source_.FetchForecast(*place, deadline);
  refresh.upstream_ms += MillisecondsSince(start, clock_.now());
  if (!forecast) return refresh;

  auto weather = std::make_shared<CachedWeather>();
  weather->forecast = std::move(*forecast);
  weather->city = city;
  weather->updated_hhmm = ChinaClockText(clock_.wall());
  weather->fetched = clock_.now();
  weather->page = RenderWeatherPage({city, weather->forecast, weather->updated_hhmm, -1});
  weather->etag = EntityTag(weather->page);
  pages_.Store(weather);
  refresh.outcome = RefreshOutcome::kFresh;
  refresh.weather = std::move(weather);
  return refresh;
}

std::optional<Coordinates> WeatherService::Locate(const std::string& city, Instant deadline,
                                                  Refresh& refresh) {
  const GeocodeAnswer remembered = places_.Find(city, clock_.now());
  if (remembered.whereabouts == Whereabouts::kKnown) return remembered.coordinates;
  if (remembered.whereabouts == Whereabouts::kUnknown) {
    refresh.outcome = RefreshOutcome::kNoSuchPlace;
    return std::nullopt;
  }
  if (!new_city_lookups_.TryTake(clock_.now())) return std::nullopt;
  const std::optional<ConcurrencyLimit::Slot> call = upstream_calls_.Enter(deadline);
  if (!call) return std::nullopt;
  const Instant start = clock_.now();
  const LookupResult found = source_.Locate(city, deadline);
  refresh.upstream_ms += MillisecondsSince(start, clock_.now());
  switch (found.outcome) {
    case LookupOutcome::kFound:
      places_.RememberKnown(city, found.coordinates);
      return found.coordinates;
    case LookupOutcome::kNoSuchPlace:
      places_.RememberUnknown(city, clock_.now());
      refresh.outcome = RefreshOutcome::kNoSuchPlace;
      return std::nullopt;
    case LookupOutcome::kFailed:
      break;
  }
  return std::nullopt;
}

bool WeatherService::IsFresh(const CachedWeather& weather, Instant now) const {
  return now - weather.fetched < settings_.ttl;
}

WeatherAnswer WeatherService::FreshAnswer(const CachedWeather& weather, Instant now,
                                          CacheUse use) const {
  WeatherAnswer answer;
  answer.page = weather.page;
  answer.etag = weather.etag;
  const seconds age = duration_cast<seconds>(now - weather.fetched);
  answer.max_age = std::max(seconds(0), settings_.ttl - age);
  answer.cache = use;
  return answer;
}

WeatherAnswer WeatherService::StaleAnswer(const CachedWeather& weather, Instant now) const {
  WeatherAnswer answer;
  const auto age = duration_cast<minutes>(now - weather.fetched);
  answer.page = RenderWeatherPage(
      {weather.city, weather.forecast, weather.updated_hhmm, static_cast<int>(age.count())});
  answer.etag = EntityTag(answer.page);
  answer.max_age = seconds(0);  // a proxy must ask again: the next try may be fresh
  answer.cache = CacheUse::kStale;
  return answer;
}

}  // namespace nimbrel::portal

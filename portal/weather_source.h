#pragma once

#include <optional>
#include <string>

#include "portal/clock.h"
#include "portal/forecast.h"

namespace nimbrel::portal {

enum class LookupOutcome { kFound, kNoSuchPlace, kFailed };

struct LookupResult {
  LookupOutcome outcome = LookupOutcome::kFailed;
  Coordinates coordinates;
};

// A weather provider: where a city lies, and the forecast for a place. Every call gives up by
// its deadline.
class WeatherSource {
 public:
  virtual ~WeatherSource() = default;
  virtual LookupResult Locate(const std::string& city, Instant deadline) = 0;
  virtual std::optional<Forecast> FetchForecast(Coordinates place, Instant deadline) = 0;
};

}  // namespace nimbrel::portal

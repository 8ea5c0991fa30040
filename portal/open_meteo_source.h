#pragma once

#include <string>

#include "portal/http_fetcher.h"
#include "portal/weather_source.h"

namespace nimbrel::portal {

inline constexpr std::string_view kOpenMeteoForecastBase = "https://api.open-meteo.com/";
inline constexpr std::string_view kOpenMeteoGeocodeBase = "https://geocoding-api.open-meteo.com/";

// Open-Meteo's forecast and geocoding APIs (no key; CC BY 4.0, hence the page's attribution).
class OpenMeteoSource : public WeatherSource {
 public:
  OpenMeteoSource(HttpFetcher& fetcher, std::string forecast_base, std::string geocode_base);

  LookupResult Locate(const std::string& city, Instant deadline) override;
  std::optional<Forecast> FetchForecast(Coordinates place, Instant deadline) override;

  std::string GeocodeUrl(const std::string& city) const;
  std::string ForecastUrl(Coordinates place) const;

 private:
  HttpFetcher& fetcher_;
  const std::string forecast_base_;
  const std::string geocode_base_;
};

// Parsers of the two answers, apart so that recorded answers test them.
LookupResult ParseGeocodeAnswer(const std::string& json);
std::optional<Forecast> ParseForecastAnswer(const std::string& json);

std::string PercentEncode(std::string_view bytes);

}  // namespace nimbrel::portal

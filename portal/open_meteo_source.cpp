#include "portal/open_meteo_source.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

namespace nimbrel::portal {
namespace {

using nlohmann::json;

constexpr int kForecastDays = 4;

std::string WithSlash(std::string base) {
  if (base.empty() || base.back() != '/') base += '/';
  return base;
}

std::chrono::milliseconds TimeLeft(Instant deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return std::clamp(left, std::chrono::milliseconds(0), kUpstreamTotalTimeout);
}

std::string Coordinate(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4f", value);
  return text;
}

bool IsNumberArray(const json& parent, const char* key, size_t at_least) {
  const auto found = parent.find(key);
  if (found == parent.end() || !found->is_array() || found->size() < at_least) return false;
  return std::all_of(found->begin(), found->end(), [](const json& v) { return v.is_number(); });
}

// Codes outside the table's range become one no table knows, never an out-of-range cast.
int WeatherCode(const json& value) {
  const double code = value.get<double>();
  return code >= 0 && code <= 1000 ? static_cast<int>(code) : -1;
}

}  // namespace

std::string PercentEncode(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : bytes) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_' || c == '.' || c == '~') {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

OpenMeteoSource::OpenMeteoSource(HttpFetcher& fetcher, std::string forecast_base,
                                 std::string geocode_base)
    : fetcher_(fetcher),
      forecast_base_(WithSlash(std::move(forecast_base))),
      geocode_base_(WithSlash(std::move(geocode_base))) {}

std::string OpenMeteoSource::GeocodeUrl(const std::string& city) const {
  return geocode_base_ + "v1/search?name=" + PercentEncode(city) +
         "&count=1&language=zh&countryCode=CN";
}

std::string OpenMeteoSource::ForecastUrl(Coordinates place) const {
  return forecast_base_ + "v1/forecast?latitude=" + Coordinate(place.latitude) +
         "&longitude=" + Coordinate(place.longitude) +
         "&current=temperature_2m,weather_code"
         "&daily=weather_code,temperature_2m_max,temperature_2m_min"
         "&timezone=Asia%2FShanghai&forecast_days=" +
         std::to_string(kForecastDays);
}

LookupResult OpenMeteoSource::Locate(const std::string& city, Instant deadline) {
  const FetchResult answer = fetcher_.Get(GeocodeUrl(city), TimeLeft(deadline));
  if (!answer.transferred || answer.status != 200) return {};
  return ParseGeocodeAnswer(answer.body);
}

std::optional<Forecast> OpenMeteoSource::FetchForecast(Coordinates place, Instant deadline) {
  const FetchResult answer = fetcher_.Get(ForecastUrl(place), TimeLeft(deadline));
  if (!answer.transferred || answer.status != 200) return std::nullopt;
  return ParseForecastAnswer(answer.body);
}

LookupResult ParseGeocodeAnswer(const std::string& text) {
  const json answer = json::parse(text, nullptr, false);
  if (!answer.is_object()) return {};
  // The provider leaves "results" out altogether when nothing matches.
  const auto results = answer.find("results");
  if (results == answer.end() || (results->is_array() && results->empty())) {
    return {LookupOutcome::kNoSuchPlace, {}};
  }
  if (!results->is_array() || !results->front().is_object()) return {};
  const json& first = results->front();
  const auto latitude = first.find("latitude");
  const auto longitude = first.find("longitude");
  if (latitude == first.end() || longitude == first.end() || !latitude->is_number() ||
      !longitude->is_number()) {
    return {};
  }
  return {LookupOutcome::kFound, {latitude->get<double>(), longitude->get<double>()}};
}

std::optional<Forecast> ParseForecastAnswer(const std::string& text) {
  const json answer = json::parse(text, nullptr, false);
  if (!answer.is_object()) return std::nullopt;
  const auto current = answer.find("current");
  const auto daily = answer.find("daily");
  if (current == answer.end() || daily == answer.end() || !current->is_object() ||
      !daily->is_object()) {
    return std::nullopt;
  }
  const auto temperature = current->find("temperature_2m");
  const auto code = current->find("weather_code");
  if (temperature == current->end() || code == current->end() || !temperature->is_number() ||
      !code->is_number()) {
    return std::nullopt;
  }
  const auto dates = daily->find("time");
  if (dates == daily->end() || !dates->is_array() || dates->empty()) return std::nullopt;
  const size_t days = dates->size();
  if (!IsNumberArray(*daily, "weather_code", days) ||
      !IsNumberArray(*daily, "temperature_2m_max", days) ||
      !IsNumberArray(*daily, "temperature_2m_min", days)) {
    return std::nullopt;
  }
  Forecast forecast;
  forecast.temperature = temperature->get<double>();
  forecast.weather_code = WeatherCode(*code);
  for (size_t i = 0; i < days; ++i) {
    if (!(*dates)[i].is_string()) return std::nullopt;
    forecast.days.push_back({(*dates)[i].get<std::string>(),
                             WeatherCode((*daily)["weather_code"][i]),
                             (*daily)["temperature_2m_max"][i].get<double>(),
                             (*daily)["temperature_2m_min"][i].get<double>()});
  }
  return forecast;
}

}  // namespace nimbrel::portal

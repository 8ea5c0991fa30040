#include "portal/open_meteo_source.h"

#include <gtest/gtest.h>

#include "portal/portal_options.h"

namespace nimbrel::portal {
namespace {

class RecordingFetcher : public HttpFetcher {
 public:
  FetchResult Get(const std::string& url, std::chrono::milliseconds timeout) override {
    urls.push_back(url);
    timeouts.push_back(timeout);
    return answer;
  }
  FetchResult answer;
  std::vector<std::string> urls;
  std::vector<std::chrono::milliseconds> timeouts;
};

// Shaped as Open-Meteo documents its answers.
constexpr const char* kForecastAnswer = R"({
  "latitude": 39.875, "longitude": 116.375, "timezone": "Asia/Shanghai",
  "current_units": {"time": "iso8601", "interval": "seconds", "temperature_2m": "°C",
                    "weather_code": "wmo code"},
  "current": {"time": "2026-12-11T20:15", "interval": 900, "temperature_2m": -2.6,
              "weather_code": 3},
  "daily_units": {"time": "iso8601", "weather_code": "wmo code"},
  "daily": {"time": ["2026-12-11", "2026-12-12", "2026-12-13", "2026-12-14"],
            "weather_code": [3, 71, 0, 45],
            "temperature_2m_max": [2.1, -0.5, 3.3, 4.0],
            "temperature_2m_min": [-6.2, -8.0, -9.1, -5.5]}})";

constexpr const char* kGeocodeAnswer = R"({"results": [{"id": 1816670, "name": "北京市",
  "latitude": 39.9075, "longitude": 116.39723, "country_code": "CN",
  "timezone": "Asia/Shanghai"}], "generationtime_ms": 0.7})";

TEST(OpenMeteoSource, AsksTheConfiguredBasesForTheDocumentedQueries) {
  RecordingFetcher fetcher;
  OpenMeteoSource source(fetcher, "http://127.0.0.1:9/base", "http://127.0.0.1:9/geo/");
  EXPECT_EQ(source.GeocodeUrl("北京 &"),
            "http://127.0.0.1:9/geo/v1/search?name=%E5%8C%97%E4%BA%AC%20%26"
            "&count=1&language=zh&countryCode=CN");
  EXPECT_EQ(source.ForecastUrl({39.9075, -116.39723}),
            "http://127.0.0.1:9/base/v1/forecast?latitude=39.9075&longitude=-116.3972"
            "&current=temperature_2m,weather_code"
            "&daily=weather_code,temperature_2m_max,temperature_2m_min"
            "&timezone=Asia%2FShanghai&forecast_days=4");

  fetcher.answer = {true, 200, kGeocodeAnswer, ""};
  const LookupResult found =
      source.Locate("北京", std::chrono::steady_clock::now() + std::chrono::seconds(60));
  EXPECT_EQ(found.outcome, LookupOutcome::kFound);
  EXPECT_DOUBLE_EQ(found.coordinates.latitude, 39.9075);
  EXPECT_EQ(fetcher.timeouts.back(), kUpstreamTotalTimeout) << "never longer than the total";

  fetcher.answer = {true, 500, kGeocodeAnswer, ""};
  EXPECT_EQ(source.Locate("北京", std::chrono::steady_clock::now()).outcome,
            LookupOutcome::kFailed);
  fetcher.answer = {false, 0, "", "timed out"};
  EXPECT_FALSE(source.FetchForecast({1, 2}, std::chrono::steady_clock::now()));
}

TEST(OpenMeteoSource, ReadsTheForecastAnswer) {
  const std::optional<Forecast> forecast = ParseForecastAnswer(kForecastAnswer);
  ASSERT_TRUE(forecast);
  EXPECT_DOUBLE_EQ(forecast->temperature, -2.6);
  EXPECT_EQ(forecast->weather_code, 3);
  ASSERT_EQ(forecast->days.size(), 4u);
  EXPECT_EQ(forecast->days[1].date, "2026-12-12");
  EXPECT_EQ(forecast->days[1].weather_code, 71);
  EXPECT_DOUBLE_EQ(forecast->days[3].high, 4.0);
  EXPECT_DOUBLE_EQ(forecast->days[3].low, -5.5);
}

TEST(OpenMeteoSource, RefusesAnswersItCannotTrust) {
  const char* broken[] = {
      "",
      "[]",
      "not json",
      R"({"current": {}})",
      R"({"current": {"temperature_2m": null, "weather_code": 3}, "daily": {}})",
      R"({"current": {"temperature_2m": 1, "weather_code": 3},
          "daily": {"time": ["2026-12-11", "2026-12-12"], "weather_code": [1],
                    "temperature_2m_max": [1, 2], "temperature_2m_min": [1, 2]}})",
      R"({"current": {"temperature_2m": 1, "weather_code": 3},
          "daily": {"time": ["2026-12-11"], "weather_code": [1],
                    "temperature_2m_max": [null], "temperature_2m_min": [1]}})",
  };
  for (const char* answer : broken) EXPECT_FALSE(ParseForecastAnswer(answer)) << answer;
  const std::optional<Forecast> odd = ParseForecastAnswer(R"({
      "current": {"temperature_2m": 1, "weather_code": 1e300},
      "daily": {"time": ["2026-12-11"], "weather_code": [-5],
                "temperature_2m_max": [1], "temperature_2m_min": [0]}})");
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->weather_code, -1);
  EXPECT_EQ(odd->days[0].weather_code, -1);
}

TEST(OpenMeteoSource, TellsNoSuchPlaceFromAFailure) {
  EXPECT_EQ(ParseGeocodeAnswer(R"({"generationtime_ms": 0.4})").outcome,
            LookupOutcome::kNoSuchPlace);
  EXPECT_EQ(ParseGeocodeAnswer(R"({"results": []})").outcome, LookupOutcome::kNoSuchPlace);
  EXPECT_EQ(ParseGeocodeAnswer(R"({"error": true, "reason": "x"})").outcome,
            LookupOutcome::kNoSuchPlace);
  EXPECT_EQ(ParseGeocodeAnswer("<html>").outcome, LookupOutcome::kFailed);
  EXPECT_EQ(ParseGeocodeAnswer(R"({"results": [{"latitude": "x", "longitude": 1}]})").outcome,
            LookupOutcome::kFailed);
}

TEST(PortalOptions, ReadsEveryOptionAndRefusesNonsense) {
  const auto parsed = ParsePortalOptions(
      {"--listen", "0.0.0.0:9000", "--forecast-base", "http://127.0.0.1:1/", "--geocode-base",
       "https://g.example/", "--cache-file", "/tmp/g.json", "--ttl", "30"});
  ASSERT_TRUE(std::holds_alternative<PortalOptions>(parsed));
  const PortalOptions& options = std::get<PortalOptions>(parsed);
  EXPECT_EQ(options.listen_host, "0.0.0.0");
  EXPECT_EQ(options.listen_port, 9000);
  EXPECT_EQ(options.forecast_base, "http://127.0.0.1:1/");
  EXPECT_EQ(options.geocode_base, "https://g.example/");
  EXPECT_EQ(options.cache_file, "/tmp/g.json");
  EXPECT_EQ(options.ttl, std::chrono::seconds(30));

  const PortalOptions defaults = std::get<PortalOptions>(ParsePortalOptions({}));
  EXPECT_EQ(defaults.listen_host, "127.0.0.1");
  EXPECT_EQ(defaults.listen_port, 8383);

  const std::vector<std::vector<std::string>> bad = {{"--listen", "8383"},
                                                     {"--listen", "h:0"},
                                                     {"--listen", "h:65536"},
                                                     {"--ttl", "-1"},
                                                     {"--ttl", "10s"},
                                                     {"--forecast-base", "file:///etc/passwd"},
                                                     {"--ttl"},
                                                     {"--verbose"}};
  for (const auto& args : bad) {
    EXPECT_TRUE(std::holds_alternative<OptionsError>(ParsePortalOptions(args))) << args[0];
  }
}

}  // namespace
}  // namespace nimbrel::portal

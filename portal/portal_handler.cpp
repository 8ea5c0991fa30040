#include "portal/portal_handler.h"

#include "portal/city_query.h"
#include "portal/weather_page.h"

namespace nimbrel::portal {
namespace {

constexpr std::string_view kWeatherPath = "/tb.q";
constexpr std::string_view kHealthPath = "/healthz";
constexpr std::string_view kHtml = "text/html; charset=utf-8";
constexpr std::string_view kPortalTitle = "Nimbrel";
constexpr std::string_view kNoStore = "no-store";

std::string_view ProblemNotice(CityProblem problem) {
  switch (problem) {
    case CityProblem::kMissing:
    case CityProblem::kEmpty:
      return "没有指定城市";
    case CityProblem::kTooLong:
      return "城市名称太长";
    case CityProblem::kBadEncoding:
      return "城市名称无法识别";
    case CityProblem::kNone:
      break;
  }
  return {};
}

std::string_view CacheWord(CacheUse use) {
  switch (use) {
    case CacheUse::kHit:
      return "hit";
    case CacheUse::kMiss:
      return "miss";
    case CacheUse::kStale:
      return "stale";
  }
  return "-";
}

PortalResponse Notice(int status, std::string_view notice) {
  PortalResponse response;
  response.status = status;
  response.content_type = kHtml;
  response.body = RenderNoticePage(kPortalTitle, notice);
  response.headers.emplace_back("Cache-Control", kNoStore);
  return response;
}

PortalResponse WeatherResponse(WeatherService& service, std::string_view query,
                               std::string_view if_none_match) {
  const std::optional<std::string_view> raw_city = RawQueryValue(query, "city");
  const DecodedCity city =
      raw_city ? DecodeCity(*raw_city) : DecodedCity{{}, CityProblem::kMissing};
  if (city.problem != CityProblem::kNone) return Notice(400, ProblemNotice(city.problem));

  WeatherAnswer answer = service.Serve(city.utf8);
  PortalResponse response;
  response.status = answer.status;
  response.content_type = kHtml;
  response.city = city.utf8;
  response.cache = CacheWord(answer.cache);
  response.upstream_ms = answer.upstream_ms;
  response.headers.emplace_back("Cache-Control",
                                answer.max_age.count() < 0
                                    ? std::string(kNoStore)
                                    : "public, max-age=" + std::to_string(answer.max_age.count()));
  if (!answer.etag.empty()) {
    response.headers.emplace_back("ETag", answer.etag);
    if (answer.status == 200 && MatchesEntityTag(if_none_match, answer.etag)) {
      response.status = 304;
      return response;
    }
  }
  response.body = std::move(answer.page);
  return response;
}

}  // namespace

bool MatchesEntityTag(std::string_view if_none_match, std::string_view etag) {
  while (!if_none_match.empty()) {
    const size_t comma = if_none_match.find(',');
    std::string_view tag = if_none_match.substr(0, comma);
    while (!tag.empty() && tag.front() == ' ') tag.remove_prefix(1);
    while (!tag.empty() && tag.back() == ' ') tag.remove_suffix(1);
    if (tag.substr(0, 2) == "W/") tag.remove_prefix(2);  // If-None-Match compares weakly
    if (tag == "*" || tag == etag) return true;
    if (comma == std::string_view::npos) break;
    if_none_match.remove_prefix(comma + 1);
  }
  return false;
}

PortalResponse HandlePortalRequest(WeatherService& service, const PortalRequest& request) {
  if (request.path == kHealthPath) {
    PortalResponse response;
    response.content_type = "text/plain; charset=utf-8";
    response.body = "ok\n";
    response.headers.emplace_back("Cache-Control", kNoStore);
    return response;
  }
  if (request.path == kWeatherPath) {
    return WeatherResponse(service, request.query, request.if_none_match);
  }
  return Notice(404, "没有这个页面");
}

}  // namespace nimbrel::portal

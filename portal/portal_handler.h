#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "portal/weather_service.h"

namespace nimbrel::portal {

struct PortalRequest {
  std::string_view path;
  std::string_view query;          // raw, still escaped; GBK bytes possibly unescaped
  std::string_view if_none_match;  // empty when absent
};

struct PortalResponse {
  int status = 200;
  std::string content_type;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
  // For the request log.
  std::string city;
  std::string_view cache = "-";
  long upstream_ms = 0;
};

// Routes one GET: the widget's weather address, /healthz, and 404 for everything else.
PortalResponse HandlePortalRequest(WeatherService& service, const PortalRequest& request);

// True when an If-None-Match header names this tag (or is "*").
bool MatchesEntityTag(std::string_view if_none_match, std::string_view etag);

}  // namespace nimbrel::portal

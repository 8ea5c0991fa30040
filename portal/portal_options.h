#pragma once

#include <chrono>
#include <string>
#include <variant>
#include <vector>

#include "portal/open_meteo_source.h"

namespace nimbrel::portal {

inline constexpr std::string_view kDefaultListenHost = "127.0.0.1";
inline constexpr int kDefaultListenPort = 8383;
inline constexpr std::string_view kDefaultCacheFileName = "nimbrel-portal-geocode.json";

struct PortalOptions {
  std::string listen_host{kDefaultListenHost};
  int listen_port = kDefaultListenPort;
  std::string forecast_base{kOpenMeteoForecastBase};
  std::string geocode_base{kOpenMeteoGeocodeBase};
  std::string cache_file{kDefaultCacheFileName};
  std::chrono::seconds ttl{600};
  bool help = false;
  bool stop = false;  // Windows: ask the running instance to exit
};

struct OptionsError {
  std::string message;
};

std::variant<PortalOptions, OptionsError> ParsePortalOptions(const std::vector<std::string>& args);

std::string PortalUsage();

}  // namespace nimbrel::portal

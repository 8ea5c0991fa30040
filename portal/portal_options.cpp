#include "portal/portal_options.h"

#include <charconv>

namespace nimbrel::portal {
namespace {

constexpr long kLongestTtlSeconds = 24 * 60 * 60;

bool ParseNumber(std::string_view text, long& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end;
}

bool ParseListen(std::string_view text, PortalOptions& options) {
  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  long port = 0;
  if (!ParseNumber(text.substr(colon + 1), port) || port < 1 || port > 65535) return false;
  options.listen_host = std::string(text.substr(0, colon));
  options.listen_port = static_cast<int>(port);
  return true;
}

bool IsHttpAddress(std::string_view base) {
  return base.rfind("http://", 0) == 0 || base.rfind("https://", 0) == 0;
}

}  // namespace

std::string PortalUsage() {
  return "usage: nimbrel-portal [options]\n"
         "Serves the Nimbrel widget's weather page: GET /tb.q?cid=tb.tq&cin=&city=<city>\n"
         "  --listen HOST:PORT     address to listen on (default 127.0.0.1:8383)\n"
         "  --forecast-base URL    forecast API base (default https://api.open-meteo.com/)\n"
         "  --geocode-base URL     geocoding API base (default "
         "https://geocoding-api.open-meteo.com/)\n"
         "  --cache-file PATH      file keeping the cities' coordinates (default "
         "nimbrel-portal-geocode.json)\n"
         "  --ttl SECONDS          how long a forecast is served from the cache (default 600)\n"
         "  --stop                 Windows: stop this user's running portal\n"
         "  --help                 print this help\n";
}

std::variant<PortalOptions, OptionsError> ParsePortalOptions(const std::vector<std::string>& args) {
  PortalOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& name = args[i];
    if (name == "--help" || name == "-h") {
      options.help = true;
      continue;
    }
    if (name == "--stop") {
      options.stop = true;
      continue;
    }
    if (i + 1 >= args.size()) return OptionsError{"missing value for " + name};
    const std::string& value = args[++i];
    if (name == "--listen") {
      if (!ParseListen(value, options)) return OptionsError{"bad --listen, want HOST:PORT"};
    } else if (name == "--forecast-base" || name == "--geocode-base") {
      if (!IsHttpAddress(value)) return OptionsError{name + " must start with http:// or https://"};
      (name == "--forecast-base" ? options.forecast_base : options.geocode_base) = value;
    } else if (name == "--cache-file") {
      options.cache_file = value;
    } else if (name == "--ttl") {
      long seconds = 0;
      if (!ParseNumber(value, seconds) || seconds < 0 || seconds > kLongestTtlSeconds) {
        return OptionsError{"bad --ttl, want 0.." + std::to_string(kLongestTtlSeconds)};
      }
      options.ttl = std::chrono::seconds(seconds);
    } else {
      return OptionsError{"unknown option " + name};
    }
  }
  return options;
}

}  // namespace nimbrel::portal

#pragma once

#include <string>
#include <vector>

namespace nimbrel::portal {

struct Coordinates {
  double latitude = 0;
  double longitude = 0;
};

struct DailyForecast {
  std::string date;  // YYYY-MM-DD, in China Standard Time
  int weather_code = 0;
  double high = 0;
  double low = 0;
};

struct Forecast {
  double temperature = 0;
  int weather_code = 0;
  std::vector<DailyForecast> days;  // today first
};

}  // namespace nimbrel::portal

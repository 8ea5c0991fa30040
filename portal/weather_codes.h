#pragma once

#include <string_view>
#include <vector>

namespace nimbrel::portal {

struct WeatherWords {
  std::string_view words;   // Chinese, UTF-8
  std::string_view symbol;  // a glyph of the symbol fonts Windows ships
};

// The WMO weather interpretation codes the forecast reports; an unknown code gets "未知".
WeatherWords DescribeWeatherCode(int code);

// Every code the table names, in ascending order.
std::vector<int> KnownWeatherCodes();

}  // namespace nimbrel::portal

#pragma once

#include <string>
#include <string_view>

#include "portal/forecast.h"

namespace nimbrel::portal {

// The visible part of the widget's view: 258 x 194 pixels. The view itself is 264 x 199 and
// sits at (-3, -3), so the page keeps its content inside that inner rectangle.
inline constexpr int kVisibleWidth = 258;
inline constexpr int kVisibleHeight = 194;
inline constexpr int kViewInset = 3;

struct PageFacts {
  std::string city;  // UTF-8, not yet escaped
  Forecast forecast;
  std::string updated_hhmm;  // China Standard Time of the upstream answer
  int stale_minutes = -1;    // >= 0 when the page is served because upstream fails
};

std::string RenderWeatherPage(const PageFacts& facts);

// A short notice in the same frame: bad city, unknown city, upstream unavailable.
std::string RenderNoticePage(std::string_view title, std::string_view notice);

// "周一" .. "周日" for a YYYY-MM-DD date; empty when the date does not parse.
std::string ChineseWeekday(std::string_view date);

}  // namespace nimbrel::portal

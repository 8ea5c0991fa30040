#include "portal/weather_page.h"

#include <array>
#include <cmath>
#include <cstdio>

#include "portal/html_escape.h"
#include "portal/weather_codes.h"

namespace nimbrel::portal {
namespace {

// No script, no external resource, nothing that scrolls: the WebBrowser control of Windows 7
// to 11 shows it as it is, in standards mode. Sizes in px, so the control's text size
// setting leaves the layout alone. Text lines cut with an ellipsis instead of wrapping.
constexpr std::string_view kHead =
    "<!DOCTYPE html>\n<html><head>"
    "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"
    "<meta charset=\"utf-8\"><title>";

constexpr std::string_view kStyle =
    "</title><style>"
    "html,body{margin:0;padding:0;border:0;overflow:hidden;width:264px;height:199px;"
    "background:#e8f1fa}"
    "body{font-family:\"Microsoft YaHei\",\"\\5FAE\\8F6F\\96C5\\9ED1\",SimSun,"
    "\"WenQuanYi Micro Hei\",sans-serif;color:#1d3b53;cursor:default}"
    "#w{position:absolute;left:3px;top:3px;width:258px;height:194px;overflow:hidden}"
    ".l{position:absolute;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}"
    ".c{left:22px;top:6px;width:214px;height:26px;line-height:26px;font-size:18px;"
    "font-weight:bold;text-align:center}"
    ".s{left:14px;top:36px;width:46px;height:48px;line-height:48px;font-size:34px;"
    "text-align:center}"
    ".s,.g{font-family:\"Segoe UI Symbol\",\"DejaVu Sans\",sans-serif}"
    ".t{left:62px;top:36px;width:84px;height:48px;line-height:48px;font-size:34px}"
    ".n{left:148px;top:40px;width:96px;height:22px;line-height:22px;font-size:15px}"
    ".r{left:148px;top:62px;width:96px;height:20px;line-height:20px;font-size:13px}"
    "table{position:absolute;left:14px;top:88px;width:230px;height:60px;"
    "border-collapse:collapse;table-layout:fixed}"
    "td{width:33%;padding:0;text-align:center;font-size:13px;height:20px;line-height:20px}"
    "td div{white-space:nowrap;overflow:hidden;text-overflow:ellipsis;height:20px}"
    ".f{left:22px;top:152px;width:214px;height:16px;line-height:16px;font-size:11px;"
    "text-align:center;color:#4b6478}"
    ".a{left:22px;top:168px;width:214px;height:16px;line-height:16px;font-size:11px;"
    "text-align:center;color:#a4461b}"
    ".m{left:22px;top:60px;width:214px;height:60px;line-height:30px;font-size:16px;"
    "text-align:center;white-space:normal}"
    "</style></head><body scroll=\"no\"><div id=\"w\">";

constexpr std::string_view kTail = "</div></body></html>\n";

constexpr size_t kDaysAhead = 3;

std::string Degrees(double celsius) {
  long rounded = std::lround(celsius);
  if (rounded == 0) rounded = 0;  // never "-0"
  return std::to_string(rounded) + "\u00B0";
}

std::string Line(std::string_view css_class, std::string_view escaped_text) {
  std::string line = "<div class=\"l ";
  line += css_class;
  line += "\">";
  line += escaped_text;
  line += "</div>";
  return line;
}

std::string Frame(std::string_view escaped_title, std::string_view body) {
  std::string page;
  page.reserve(4096);
  page += kHead;
  page += escaped_title;
  page += kStyle;
  page += body;
  page += kTail;
  return page;
}

std::string DayCells(const std::vector<DailyForecast>& days) {
  std::array<std::string, 3> rows;
  for (size_t i = 1; i < days.size() && i <= kDaysAhead; ++i) {
    const DailyForecast& day = days[i];
    const WeatherWords weather = DescribeWeatherCode(day.weather_code);
    rows[0] += "<td><div>" + ChineseWeekday(day.date) + "</div></td>";
    rows[1] += "<td><div><span class=\"g\">" + std::string(weather.symbol) + "</span> " +
               std::string(weather.words) + "</div></td>";
    rows[2] += "<td><div>" + Degrees(day.low) + " / " + Degrees(day.high) + "</div></td>";
  }
  return "<table><tr>" + rows[0] + "</tr><tr>" + rows[1] + "</tr><tr>" + rows[2] + "</tr></table>";
}

}  // namespace

std::string ChineseWeekday(std::string_view date) {
  int year = 0, month = 0, day = 0;
  char tail = 0;
  if (std::sscanf(std::string(date).c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3 ||
      month < 1 || month > 12 || day < 1 || day > 31) {
    return {};
  }
  // Days since 1970-01-01 in the proleptic Gregorian calendar; that day was a Thursday.
  const int y = year - (month <= 2 ? 1 : 0);
  const int era = (y >= 0 ? y : y - 399) / 400;
  const int year_of_era = y - era * 400;
  const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  const long days = static_cast<long>(era) * 146097 + day_of_era - 719468;
  static constexpr std::array<std::string_view, 7> kNames = {"周四", "周五", "周六", "周日",
                                                             "周一", "周二", "周三"};
  return std::string(kNames[static_cast<size_t>(((days % 7) + 7) % 7)]);
}

std::string RenderWeatherPage(const PageFacts& facts) {
  const Forecast& forecast = facts.forecast;
  const WeatherWords now = DescribeWeatherCode(forecast.weather_code);
  const std::string city = EscapeHtml(facts.city);
  std::string body = Line("c", city);
  body += Line("s", now.symbol);
  body += Line("t", Degrees(forecast.temperature));
  body += Line("n", now.words);
  if (!forecast.days.empty()) {
    const DailyForecast& today = forecast.days.front();
    body += Line("r", "今天 " + Degrees(today.low) + " / " + Degrees(today.high));
  }
  body += DayCells(forecast.days);
  body += Line("f", "更新 " + EscapeHtml(facts.updated_hhmm) + " \u00B7 数据 Open-Meteo");
  if (facts.stale_minutes >= 0) {
    body +=
        Line("a", "暂时无法更新，这是 " + std::to_string(facts.stale_minutes) + " 分钟前的天气");
  }
  return Frame(city, body);
}

std::string RenderNoticePage(std::string_view title, std::string_view notice) {
  const std::string escaped_title = EscapeHtml(title);
  std::string body = Line("c", escaped_title);
  body += "<div class=\"l m\">" + EscapeHtml(notice) + "</div>";
  return Frame(escaped_title, body);
}

}  // namespace nimbrel::portal

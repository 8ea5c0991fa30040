#include "portal/weather_page.h"

#include <gtest/gtest.h>

#include "portal/html_escape.h"
#include "portal/weather_codes.h"
#include "portal_fakes.h"

namespace nimbrel::portal {
namespace {

PageFacts Facts(std::string city, int stale_minutes = -1) {
  return {std::move(city), testing::SampleForecast(), "08:05", stale_minutes};
}

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

TEST(WeatherPage, CarriesTheWeatherAndWhatTheControlNeeds) {
  const std::string page = RenderWeatherPage(Facts("北京"));
  for (std::string_view part :
       {"<meta http-equiv=\"X-UA-Compatible\" content=\"IE=edge\">", "charset=utf-8",
        "<body scroll=\"no\">", "overflow:hidden", "text-overflow:ellipsis",
        ">北京<",                    // city
        ">21\u00B0<", ">多云<",      // now: 21.4 rounds down, code 2
        "今天 12\u00B0 / 24\u00B0",  // today's low and high
        "周六", "周日", "周一",      // 2026-12-12 .. 14
        "\u2602</span> 小雨", "\u2600</span> 晴", "-7\u00B0 / -1\u00B0", "更新 08:05", "数据 Open-Meteo"}) {
    EXPECT_TRUE(Contains(page, part)) << part;
  }
  EXPECT_FALSE(Contains(page, "周五")) << "today is not among the next three days";
  EXPECT_FALSE(Contains(page, "分钟前"));
}

TEST(WeatherPage, NeedsNothingBeyondItself) {
  for (const std::string& page :
       {RenderWeatherPage(Facts("北京", 12)), RenderNoticePage("北京", "暂时无法获取天气")}) {
    EXPECT_FALSE(Contains(page, "<script")) << page;
    EXPECT_FALSE(Contains(page, "src=")) << page;
    EXPECT_FALSE(Contains(page, "href=")) << page;
    EXPECT_FALSE(Contains(page, "url(")) << page;
    EXPECT_FALSE(Contains(page, "http://")) << page;
    EXPECT_FALSE(Contains(page, "https://")) << page;
  }
}

TEST(WeatherPage, StalePageSaysHowOld) {
  EXPECT_TRUE(Contains(RenderWeatherPage(Facts("北京", 37)), "37 分钟前"));
  EXPECT_TRUE(Contains(RenderWeatherPage(Facts("北京", 0)), "0 分钟前"));
}

TEST(WeatherPage, NeverReflectsTheCityUnescaped) {
  const std::string hostile = "<script>alert('x')</script>&\"";
  for (const std::string& page :
       {RenderWeatherPage(Facts(hostile)), RenderNoticePage(hostile, "找不到这个城市")}) {
    EXPECT_FALSE(Contains(page, "<script>"));
    EXPECT_FALSE(Contains(page, "'x'"));
    EXPECT_TRUE(Contains(page, "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;&quot;"));
  }
}

TEST(WeatherPage, ZeroNeverShowsASign) {
  PageFacts facts = Facts("北京");
  facts.forecast.temperature = -0.3;
  EXPECT_TRUE(Contains(RenderWeatherPage(facts), ">0\u00B0<"));
}

TEST(EscapeHtml, EscapesTheFiveSpecialCharactersOnly) {
  EXPECT_EQ(EscapeHtml("a<b>c&d\"e'f 北京"), "a&lt;b&gt;c&amp;d&quot;e&#39;f 北京");
  EXPECT_EQ(EscapeHtml(""), "");
}

TEST(ChineseWeekday, NamesTheDayInChinaAndRefusesJunk) {
  const std::pair<const char*, const char*> cases[] = {
      {"2026-12-11", "周五"}, {"2024-02-29", "周四"}, {"2000-01-01", "周六"},
      {"1970-01-01", "周四"}, {"2026-12-13", "周日"}, {"2027-01-04", "周一"},
      {"2026-13-01", ""},     {"yesterday", ""},      {"2026-12-11x", ""}};
  for (const auto& [date, weekday] : cases) EXPECT_EQ(ChineseWeekday(date), weekday) << date;
}

TEST(WeatherCodes, EveryWmoCodeHasChineseWords) {
  const std::pair<int, const char*> cases[] = {
      {0, "晴"},      {1, "晴间多云"}, {2, "多云"},          {3, "阴"},    {45, "雾"},
      {61, "小雨"},   {63, "中雨"},    {65, "大雨"},         {71, "小雪"}, {75, "大雪"},
      {80, "小阵雨"}, {95, "雷阵雨"},  {99, "强雷暴伴冰雹"}, {4, "未知"},  {-1, "未知"}};
  for (const auto& [code, words] : cases) EXPECT_EQ(DescribeWeatherCode(code).words, words) << code;
  const std::vector<int> codes = KnownWeatherCodes();
  EXPECT_EQ(codes.size(), 28u);
  for (int code : codes) {
    EXPECT_NE(DescribeWeatherCode(code).words, "未知") << code;
    EXPECT_FALSE(DescribeWeatherCode(code).symbol.empty()) << code;
  }
}

}  // namespace
}  // namespace nimbrel::portal

#include "portal/weather_codes.h"

#include <array>

namespace nimbrel::portal {
namespace {

struct CodeEntry {
  int code;
  WeatherWords weather;
};

constexpr std::string_view kSun = "\u2600";
constexpr std::string_view kCloud = "\u2601";
constexpr std::string_view kFog = "\u2261";
constexpr std::string_view kRain = "\u2602";
constexpr std::string_view kSnow = "\u2744";
constexpr std::string_view kThunder = "\u26A1";

constexpr std::array kCodes = {
    CodeEntry{0, {"晴", kSun}},
    CodeEntry{1, {"晴间多云", kSun}},
    CodeEntry{2, {"多云", kCloud}},
    CodeEntry{3, {"阴", kCloud}},
    CodeEntry{45, {"雾", kFog}},
    CodeEntry{48, {"雾凇", kFog}},
    CodeEntry{51, {"小毛毛雨", kRain}},
    CodeEntry{53, {"毛毛雨", kRain}},
    CodeEntry{55, {"大毛毛雨", kRain}},
    CodeEntry{56, {"冻毛毛雨", kRain}},
    CodeEntry{57, {"强冻毛毛雨", kRain}},
    CodeEntry{61, {"小雨", kRain}},
    CodeEntry{63, {"中雨", kRain}},
    CodeEntry{65, {"大雨", kRain}},
    CodeEntry{66, {"冻雨", kRain}},
    CodeEntry{67, {"强冻雨", kRain}},
    CodeEntry{71, {"小雪", kSnow}},
    CodeEntry{73, {"中雪", kSnow}},
    CodeEntry{75, {"大雪", kSnow}},
    CodeEntry{77, {"米雪", kSnow}},
    CodeEntry{80, {"小阵雨", kRain}},
    CodeEntry{81, {"阵雨", kRain}},
    CodeEntry{82, {"强阵雨", kRain}},
    CodeEntry{85, {"小阵雪", kSnow}},
    CodeEntry{86, {"强阵雪", kSnow}},
    CodeEntry{95, {"雷阵雨", kThunder}},
    CodeEntry{96, {"雷阵雨伴冰雹", kThunder}},
    CodeEntry{99, {"强雷暴伴冰雹", kThunder}},
};

constexpr WeatherWords kUnknown{"未知", "?"};

}  // namespace

WeatherWords DescribeWeatherCode(int code) {
  for (const CodeEntry& entry : kCodes) {
    if (entry.code == code) return entry.weather;
  }
  return kUnknown;
}

std::vector<int> KnownWeatherCodes() {
  std::vector<int> codes;
  for (const CodeEntry& entry : kCodes) codes.push_back(entry.code);
  return codes;
}

}  // namespace nimbrel::portal

// Writes the portal's pages in their widest forms, for the browser fit test: one page per
// weather code with the longest catalogue city, a stale page and the notices.
//   nimbrel_portal_page_samples OUTPUT_DIRECTORY LONGEST_CITY_UTF8
#include <cstdio>
#include <fstream>
#include <string>

#include "portal/weather_codes.h"
#include "portal/weather_page.h"

using namespace nimbrel::portal;

namespace {

// The widest numbers a forecast can show: three characters and a sign.
Forecast WidestForecast(int code) {
  return {-38.6,
          code,
          {{"2026-12-11", code, -28.0, -40.0},
           {"2026-12-12", code, -28.0, -40.0},
           {"2026-12-13", code, -28.0, -40.0},
           {"2026-12-14", code, -28.0, -40.0}}};
}

bool Write(const std::string& path, const std::string& page) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << page;
  return static_cast<bool>(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: nimbrel_portal_page_samples OUTPUT_DIRECTORY LONGEST_CITY\n", stderr);
    return 2;
  }
  const std::string directory = argv[1];
  const std::string city = argv[2];
  bool written = true;
  std::vector<int> codes = KnownWeatherCodes();
  codes.push_back(-1);  // a code no table knows
  for (int code : codes) {
    written &= Write(directory + "/code-" + std::to_string(code) + ".html",
                     RenderWeatherPage({city, WidestForecast(code), "23:59", -1}));
  }
  written &= Write(directory + "/stale.html",
                   RenderWeatherPage({city, WidestForecast(96), "23:59", 1440}));
  written &= Write(directory + "/unavailable.html", RenderNoticePage(city, "暂时无法获取天气"));
  written &= Write(directory + "/too-long.html", RenderNoticePage("Nimbrel", "城市名称太长"));
  return written ? 0 : 1;
}

// A fuzzed boot.ini through the program's own reads and writes: LoadSettings, the catalogue
// reads of the settings window, SaveSettings, then everything read again.

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "core/ini_file_store.h"
#include "core/profile_access.h"
#include "core/region_catalogue.h"
#include "core/widget_settings.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using nimbrel::Text;
using nimbrel::WidgetSettings;

constexpr std::size_t kMostEntries = 1000;
constexpr std::size_t kProvincesFollowed = 1;

std::vector<std::vector<Text>> ReadCatalogue(const nimbrel::RegionCatalogue& catalogue) {
  std::vector<std::vector<Text>> lists{catalogue.ReadProvinceNames()};
  if (lists[0].size() > kMostEntries) nimbrel::fuzz::Fail("more than 1000 provinces");
  const std::size_t followed = std::min(lists[0].size(), kProvincesFollowed);
  for (std::size_t i = 0; i < followed; ++i) {
    const Text province = lists[0][i];
    lists.push_back(catalogue.ReadCityNames(province, nimbrel::kDefaultProvince));
    lists.push_back(catalogue.ReadCityNames(province, ""));
    lists.push_back({catalogue.ReadFirstCity(province)});
    if (lists.back().size() > kMostEntries) nimbrel::fuzz::Fail("more than 1000 cities");
  }
  return lists;
}

std::vector<Text> Fields(const WidgetSettings& s) {
  return {s.province,       s.city,    s.systemStartup, s.tray, s.refresh, s.transparent,
          s.mousePenetrate, s.desktop, s.forme,         s.top,  s.left};
}

// A value that the profile rules give back unchanged when it is written and read again.
bool SurvivesARoundTrip(const Text& value) {
  return value.size() < 2 ||
         !(value.front() == value.back() && (value.front() == '"' || value.front() == '\''));
}

// The primary display and MainWindow at their usual sizes, and where a second monitor may be.
constexpr nimbrel::ScreenExtent kPrimary{1024, 768};
constexpr nimbrel::ScreenExtent kWindow{258, 194};
struct MonitorRect {
  long long left, top, width, height;
};
constexpr MonitorRect kSecondMonitors[] = {{1024, 0, 1280, 1024}, {0, 768, 1024, 768}};

bool Overlaps(long long start, long long length, long long otherStart, long long otherLength) {
  return start < otherStart + otherLength && otherStart < start + length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return -1;
  // The first byte picks the desktop: the primary monitor alone, or a second one beside it.
  std::vector<MonitorRect> monitors{{0, 0, kPrimary.width, kPrimary.height}};
  if (data[0] % 3 != 0) monitors.push_back(kSecondMonitors[data[0] % 3 - 1]);
  const auto onSomeMonitor = [&monitors](int left, int top) {
    return std::any_of(monitors.begin(), monitors.end(), [&](const MonitorRect& m) {
      return Overlaps(left, kWindow.width, m.left, m.width) &&
             Overlaps(top, kWindow.height, m.top, m.height);
    });
  };
  static const std::string path = nimbrel::fuzz::ScratchFile("boot.ini");
  nimbrel::fuzz::WriteBytes(path, Text(reinterpret_cast<const char*>(data) + 1, size - 1));

  nimbrel::IniFileStore store;
  const nimbrel::RegionCatalogue catalogue(store, path);
  WidgetSettings loaded;
  nimbrel::LoadSettings(loaded, store, path, kPrimary, kWindow, onSomeMonitor);
  const auto catalogueBefore = ReadCatalogue(catalogue);
  nimbrel::SaveSettings(loaded, store, path);

  if (ReadCatalogue(catalogue) != catalogueBefore)
    nimbrel::fuzz::Fail("saving changed the catalogue");
  WidgetSettings reloaded;
  nimbrel::LoadSettings(reloaded, store, path, kPrimary, kWindow, onSomeMonitor);
  const std::vector<Text> before = Fields(loaded);
  const std::vector<Text> after = Fields(reloaded);
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (SurvivesARoundTrip(before[i]) && after[i] != before[i])
      nimbrel::fuzz::Fail("a setting did not survive a save");
  }
  return 0;
}

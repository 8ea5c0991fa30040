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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return -1;
  // The first byte places a second monitor: none, to the right or below the primary one.
  const int secondMonitor = data[0] % 3;
  const auto onSomeMonitor = [secondMonitor](int left, int top) {
    const auto overlaps = [](long long start, long long length, long long from, long long to) {
      return start < to && from < start + length;
    };
    const bool primary = overlaps(left, 258, 0, 1024) && overlaps(top, 194, 0, 768);
    if (secondMonitor == 1)
      return primary || (overlaps(left, 258, 1024, 2304) && overlaps(top, 194, 0, 1024));
    if (secondMonitor == 2)
      return primary || (overlaps(left, 258, 0, 1024) && overlaps(top, 194, 768, 1536));
    return primary;
  };
  static const std::string directory = [] {
    const std::string path = nimbrel::fuzz::ScratchFile("boot.ini");
    return path.substr(0, path.size() - 9);
  }();
  const std::string path = directory + "/boot.ini";
  nimbrel::fuzz::WriteBytes(path, Text(reinterpret_cast<const char*>(data) + 1, size - 1));

  nimbrel::IniFileStore store;
  const nimbrel::RegionCatalogue catalogue(store, path);
  WidgetSettings loaded;
  nimbrel::LoadSettings(loaded, store, path, {1024, 768}, {258, 194}, onSomeMonitor);
  const auto catalogueBefore = ReadCatalogue(catalogue);
  nimbrel::SaveSettings(loaded, store, path);

  if (ReadCatalogue(catalogue) != catalogueBefore)
    nimbrel::fuzz::Fail("saving changed the catalogue");
  WidgetSettings reloaded;
  nimbrel::LoadSettings(reloaded, store, path, {1024, 768}, {258, 194}, onSomeMonitor);
  const std::vector<Text> before = Fields(loaded);
  const std::vector<Text> after = Fields(reloaded);
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (SurvivesARoundTrip(before[i]) && after[i] != before[i])
      nimbrel::fuzz::Fail("a setting did not survive a save");
  }
  return 0;
}

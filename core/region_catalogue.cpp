#include "core/region_catalogue.h"

#include <algorithm>

#include "core/conversions.h"
#include "core/profile_access.h"

namespace nimbrel {
namespace {

constexpr char kProvinceSection[] = "province";
constexpr char kCountKey[] = "count";
constexpr char kFirstKey[] = "1";

// Far above any real list, and low enough that a damaged or hostile count cannot keep the
// settings window reading keys for hours or exhaust memory on the way.
constexpr std::int32_t kMostEntries = 1000;

}  // namespace

std::vector<Text> RegionCatalogue::ReadNumberedList(const Text& section,
                                                    const Text& fallback) const {
  // The count's default "安徽" reads as 0: a missing count means an empty list.
  const std::int32_t count = std::min(
      kMostEntries,
      TextToInteger(ReadProfileValue(store_, profilePath_, section, kCountKey, kDefaultProvince)));
  std::vector<Text> names;
  for (std::int32_t i = 1; i <= count; ++i) {
    names.push_back(ReadProfileValue(store_, profilePath_, section, IntegerToText(i), fallback));
  }
  return names;
}

std::vector<Text> RegionCatalogue::ReadProvinceNames() const {
  return ReadNumberedList(kProvinceSection, kDefaultProvince);
}

std::vector<Text> RegionCatalogue::ReadCityNames(const Text& province, const Text& fallback) const {
  return ReadNumberedList(province, fallback);
}

Text RegionCatalogue::ReadFirstCity(const Text& province) const {
  return ReadProfileValue(store_, profilePath_, province, kFirstKey, kDefaultProvince);
}

}  // namespace nimbrel

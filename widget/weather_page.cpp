#include "widget/weather_page.h"

#include "core/profile_access.h"

namespace nimbrel {
namespace {

constexpr char kWeatherQuery[] = "tb.q?cid=tb.tq&cin=&city=";

}  // namespace

Text ReadWeatherBaseAddress(const ProfileStore& store, const Text& profilePath) {
  const Text configured =
      ReadProfileValue(store, profilePath, "weather", "base", kDefaultWeatherBaseAddress);
  // An empty value would give a relative address that can never load.
  return configured.empty() ? kDefaultWeatherBaseAddress : configured;
}

Text BuildWeatherPageAddress(const Text& baseAddress, const Text& city) {
  return baseAddress + kWeatherQuery + city;
}

}  // namespace nimbrel

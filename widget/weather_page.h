#pragma once

#include "core/profile_store.h"
#include "core/text.h"

namespace nimbrel {

// The portal used when boot.ini names none in section "weather", key "base": the Nimbrel
// portal that the release starts beside the widget for each user.
inline const Text kDefaultWeatherBaseAddress = "http://127.0.0.1:8383/";

// Read once at start and never written back.
Text ReadWeatherBaseAddress(const ProfileStore& store, const Text& profilePath);

// The city is appended byte for byte: the browser does whatever encoding the page needs.
Text BuildWeatherPageAddress(const Text& baseAddress, const Text& city);

}  // namespace nimbrel

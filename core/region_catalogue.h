#pragma once

#include <vector>

#include "core/profile_store.h"
#include "core/system_texts.h"
#include "core/text.h"

namespace nimbrel {

// The province and city lists kept in the profile file. Every call reads the file anew, so
// an edited catalogue shows the next time a list is filled.
class RegionCatalogue {
 public:
  RegionCatalogue(const ProfileStore& store, Text profilePath)
      : store_(store), profilePath_(std::move(profilePath)) {}

  std::vector<Text> ReadProvinceNames() const;
  // Missing numbered keys read as `fallback`, so a count above the keys shows repeated rows.
  std::vector<Text> ReadCityNames(const Text& province, const Text& fallback) const;
  Text ReadFirstCity(const Text& province) const;

 private:
  std::vector<Text> ReadNumberedList(const Text& section, const Text& fallback) const;

  const ProfileStore& store_;
  Text profilePath_;
};

}  // namespace nimbrel

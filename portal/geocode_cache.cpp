#include "portal/geocode_cache.h"

#include <fstream>
#include <nlohmann/json.hpp>

namespace nimbrel::portal {

GeocodeCache::GeocodeCache(std::filesystem::path path, std::chrono::seconds unknown_for)
    : path_(std::move(path)), unknown_for_(unknown_for) {
  Load();
}

GeocodeAnswer GeocodeCache::Find(const std::string& city, Instant now) {
  std::lock_guard lock(mutex_);
  if (const auto known = known_.find(city); known != known_.end()) {
    return {Whereabouts::kKnown, known->second};
  }
  if (const auto unknown = unknown_since_.find(city); unknown != unknown_since_.end()) {
    if (now - unknown->second < unknown_for_) return {Whereabouts::kUnknown, {}};
    unknown_since_.erase(unknown);
  }
  return {};
}

void GeocodeCache::RememberKnown(const std::string& city, Coordinates coordinates) {
  std::lock_guard lock(mutex_);
  known_[city] = coordinates;
  unknown_since_.erase(city);
  Save();
}

void GeocodeCache::RememberUnknown(const std::string& city, Instant now) {
  std::lock_guard lock(mutex_);
  // Expired names go here rather than on a timer: the map stays bounded by the lookup rate.
  for (auto entry = unknown_since_.begin(); entry != unknown_since_.end();) {
    entry = now - entry->second >= unknown_for_ ? unknown_since_.erase(entry) : std::next(entry);
  }
  unknown_since_[city] = now;
}

void GeocodeCache::Load() {
  if (path_.empty()) return;
  std::ifstream file(path_, std::ios::binary);
  if (!file) return;
  const nlohmann::json stored = nlohmann::json::parse(file, nullptr, false);
  if (!stored.is_object()) return;  // a damaged file costs lookups, never the service
  for (const auto& [city, place] : stored.items()) {
    const auto latitude = place.find("latitude");
    const auto longitude = place.find("longitude");
    if (latitude == place.end() || longitude == place.end() || !latitude->is_number() ||
        !longitude->is_number()) {
      continue;
    }
    known_[city] = {latitude->get<double>(), longitude->get<double>()};
  }
}

void GeocodeCache::Save() const {
  if (path_.empty()) return;
  nlohmann::json stored = nlohmann::json::object();
  for (const auto& [city, place] : known_) {
    stored[city] = {{"latitude", place.latitude}, {"longitude", place.longitude}};
  }
  // Written beside and renamed over, so a crash never leaves half a file.
  std::filesystem::path temporary = path_;
  temporary += ".tmp";
  {
    std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
    if (!file) return;
    file << stored.dump(1) << '\n';
    if (!file) return;
  }
  std::error_code ignored;
  std::filesystem::rename(temporary, path_, ignored);
}

}  // namespace nimbrel::portal

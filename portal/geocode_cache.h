#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "portal/clock.h"
#include "portal/forecast.h"

namespace nimbrel::portal {

enum class Whereabouts { kNotAsked, kKnown, kUnknown };

struct GeocodeAnswer {
  Whereabouts whereabouts = Whereabouts::kNotAsked;
  Coordinates coordinates;
};

// Where each city lies. Found places are kept in a JSON file, so a city is looked up once
// ever, across restarts; names the provider does not know are remembered for a while only,
// in memory, since places get added.
class GeocodeCache {
 public:
  // An empty path keeps everything in memory. A missing or unreadable file starts empty.
  GeocodeCache(std::filesystem::path path, std::chrono::seconds unknown_for);

  GeocodeAnswer Find(const std::string& city, Instant now);
  void RememberKnown(const std::string& city, Coordinates coordinates);
  void RememberUnknown(const std::string& city, Instant now);

 private:
  void Load();
  void Save() const;  // caller holds mutex_

  const std::filesystem::path path_;
  const std::chrono::seconds unknown_for_;
  std::mutex mutex_;
  std::map<std::string, Coordinates> known_;
  std::map<std::string, Instant> unknown_since_;
};

}  // namespace nimbrel::portal

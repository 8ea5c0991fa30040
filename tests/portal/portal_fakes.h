#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>

#include "portal/clock.h"
#include "portal/weather_source.h"

namespace nimbrel::portal::testing {

// Time that moves only when a test says so.
struct ManualClock {
  Instant now = Instant() + std::chrono::hours(1000);
  WallTime wall = WallTime() + std::chrono::hours(24 * 20000);

  PortalClock Portal() {
    return {[this] { return now; }, [this] { return wall; }};
  }
  void Advance(std::chrono::seconds by) {
    now += by;
    wall += by;
  }
};

inline Forecast SampleForecast(double temperature = 21.4, int code = 2) {
  return {temperature,
          code,
          {{"2026-12-11", 3, 24.0, 12.0},
           {"2026-12-12", 61, 18.0, 10.0},
           {"2026-12-13", 0, 20.0, 9.0},
           {"2026-12-14", 71, -1.0, -7.0}}};
}

// A provider that knows some cities, counts calls, and can fail or hold calls on demand.
class FakeSource : public WeatherSource {
 public:
  LookupResult Locate(const std::string& city, Instant) override {
    ++lookups;
    Hold();
    if (failing) return {};
    if (city == "不存在") return {LookupOutcome::kNoSuchPlace, {}};
    return {LookupOutcome::kFound, {39.9, 116.4}};
  }

  std::optional<Forecast> FetchForecast(Coordinates, Instant) override {
    ++forecasts;
    Hold();
    if (failing) return std::nullopt;
    return SampleForecast(temperature);
  }

  void HoldCalls() {
    std::lock_guard lock(mutex);
    held = true;
  }
  void ReleaseCalls() {
    {
      std::lock_guard lock(mutex);
      held = false;
    }
    released.notify_all();
  }

  std::atomic<int> lookups{0};
  std::atomic<int> forecasts{0};
  std::atomic<int> waiting{0};
  std::atomic<bool> failing{false};
  double temperature = 21.4;

 private:
  void Hold() {
    std::unique_lock lock(mutex);
    ++waiting;
    released.wait(lock, [this] { return !held; });
    --waiting;
  }

  std::mutex mutex;
  std::condition_variable released;
  bool held = false;
};

}  // namespace nimbrel::portal::testing

#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace nimbrel::portal {

using Instant = std::chrono::steady_clock::time_point;
using WallTime = std::chrono::system_clock::time_point;

// Time as the portal sees it; tests step it by hand.
struct PortalClock {
  std::function<Instant()> now = [] { return std::chrono::steady_clock::now(); };
  std::function<WallTime()> wall = [] { return std::chrono::system_clock::now(); };
};

// "HH:MM" of a moment in China Standard Time (UTC+8 all year).
std::string ChinaClockText(WallTime moment);

}  // namespace nimbrel::portal

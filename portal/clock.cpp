#include "portal/clock.h"

#include <cstdio>

namespace nimbrel::portal {

std::string ChinaClockText(WallTime moment) {
  using std::chrono::duration_cast;
  using std::chrono::minutes;
  constexpr long kChinaOffsetMinutes = 8 * 60;
  constexpr long kMinutesPerDay = 24 * 60;
  const long since_epoch = static_cast<long>(
      duration_cast<minutes>(moment.time_since_epoch()).count() + kChinaOffsetMinutes);
  const long of_day = ((since_epoch % kMinutesPerDay) + kMinutesPerDay) % kMinutesPerDay;
  char text[8];
  std::snprintf(text, sizeof text, "%02ld:%02ld", of_day / 60, of_day % 60);
  return text;
}

}  // namespace nimbrel::portal

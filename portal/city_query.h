#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nimbrel::portal {

// Longest city name accepted, in UTF-8 bytes: far above any catalogue name, far below abuse.
inline constexpr size_t kMaxCityBytes = 64;

enum class CityProblem { kNone, kMissing, kEmpty, kTooLong, kBadEncoding };

struct DecodedCity {
  std::string utf8;  // set only when problem is kNone
  CityProblem problem = CityProblem::kNone;
};

// The raw (still escaped) value of the first `name=` parameter of a query string.
std::optional<std::string_view> RawQueryValue(std::string_view query, std::string_view name);

// %XX escapes to bytes; nothing when an escape is malformed. '+' stays '+': the widget sends
// the name unencoded, so a plus is the name's own.
std::optional<std::string> PercentDecode(std::string_view escaped);

bool IsValidUtf8(std::string_view bytes);

// The city as any client sends it: raw GBK bytes (the WebBrowser control), %-escaped GBK, or
// %-escaped UTF-8 (modern browsers). UTF-8 is tried first: a GBK name of two or more
// characters is practically never valid UTF-8, while UTF-8 is rarely valid GBK of the same text.
DecodedCity DecodeCity(std::string_view raw_value);

}  // namespace nimbrel::portal

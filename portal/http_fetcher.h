#pragma once

#include <chrono>
#include <string>

namespace nimbrel::portal {

// Upstream connections give up after this long, and whole answers after kUpstreamTotalTimeout.
inline constexpr std::chrono::milliseconds kUpstreamConnectTimeout{3000};
inline constexpr std::chrono::milliseconds kUpstreamTotalTimeout{5000};

struct FetchResult {
  bool transferred = false;  // false: no answer at all (refused, timed out, TLS...)
  int status = 0;
  std::string body;
  std::string error;
};

// An HTTP(S) GET with a time limit: libcurl on Linux, WinHTTP on Windows.
class HttpFetcher {
 public:
  virtual ~HttpFetcher() = default;
  virtual FetchResult Get(const std::string& url, std::chrono::milliseconds timeout) = 0;
};

}  // namespace nimbrel::portal

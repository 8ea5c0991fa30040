#pragma once

#include <memory>

#include "portal/http_fetcher.h"

namespace nimbrel::portal {

// WinHTTP, the HTTP client every Windows has: TLS and proxy settings are the system's.
class WinHttpFetcher : public HttpFetcher {
 public:
  WinHttpFetcher();
  ~WinHttpFetcher() override;
  WinHttpFetcher(const WinHttpFetcher&) = delete;
  WinHttpFetcher& operator=(const WinHttpFetcher&) = delete;

  FetchResult Get(const std::string& url, std::chrono::milliseconds timeout) override;

 private:
  struct Session;
  std::unique_ptr<Session> session_;
};

}  // namespace nimbrel::portal

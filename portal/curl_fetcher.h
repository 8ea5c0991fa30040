#pragma once

#include "portal/http_fetcher.h"

namespace nimbrel::portal {

// libcurl, one easy handle per call so that calls run in parallel without sharing state.
class CurlFetcher : public HttpFetcher {
 public:
  CurlFetcher();
  ~CurlFetcher() override;
  CurlFetcher(const CurlFetcher&) = delete;
  CurlFetcher& operator=(const CurlFetcher&) = delete;

  FetchResult Get(const std::string& url, std::chrono::milliseconds timeout) override;
};

}  // namespace nimbrel::portal

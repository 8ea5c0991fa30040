#include "portal/curl_fetcher.h"

#include <curl/curl.h>

#include <memory>

namespace nimbrel::portal {
namespace {

// A forecast answer is a few kilobytes; anything far larger is not one.
constexpr size_t kLargestAnswer = 1 << 20;

struct EasyCleanup {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};

size_t AppendBody(char* data, size_t size, size_t count, void* user) {
  auto* body = static_cast<std::string*>(user);
  const size_t bytes = size * count;
  if (body->size() + bytes > kLargestAnswer) return 0;  // aborts the transfer
  body->append(data, bytes);
  return bytes;
}

}  // namespace

CurlFetcher::CurlFetcher() {
  curl_global_init(CURL_GLOBAL_DEFAULT);
}

CurlFetcher::~CurlFetcher() {
  curl_global_cleanup();
}

FetchResult CurlFetcher::Get(const std::string& url, std::chrono::milliseconds timeout) {
  FetchResult result;
  if (timeout.count() <= 0) {
    result.error = "no time left";
    return result;
  }
  std::unique_ptr<CURL, EasyCleanup> easy(curl_easy_init());
  if (!easy) {
    result.error = "curl_easy_init failed";
    return result;
  }
  CURL* handle = easy.get();
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);  // timeouts without SIGALRM, thread-safe
  curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(std::min(timeout, kUpstreamConnectTimeout).count()));
  curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, static_cast<long>(timeout.count()));
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_USERAGENT, "nimbrel-portal/1");
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &result.body);
  const CURLcode code = curl_easy_perform(handle);
  if (code != CURLE_OK) {
    result.error = curl_easy_strerror(code);
    return result;
  }
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  result.transferred = true;
  result.status = static_cast<int>(status);
  return result;
}

}  // namespace nimbrel::portal

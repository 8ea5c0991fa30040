#include "portal/win32/winhttp_fetcher.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>

namespace nimbrel::portal {
namespace {

constexpr size_t kLargestAnswer = 1 << 20;
constexpr DWORD kReadChunk = 16 * 1024;

struct InternetCloser {
  void operator()(HINTERNET handle) const { WinHttpCloseHandle(handle); }
};
using InternetHandle = std::unique_ptr<void, InternetCloser>;

std::wstring Widen(const std::string& utf8) {
  const int length =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(std::max(length, 0)), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

FetchResult Failure(const char* what) {
  FetchResult result;
  result.error = std::string(what) + " failed, error " + std::to_string(GetLastError());
  return result;
}

int Milliseconds(std::chrono::milliseconds span) {
  return static_cast<int>(std::max<long long>(1, span.count()));
}

}  // namespace

struct WinHttpFetcher::Session {
  InternetHandle handle;
};

WinHttpFetcher::WinHttpFetcher()
    : session_(std::make_unique<Session>(Session{
          InternetHandle(WinHttpOpen(L"nimbrel-portal/1", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0))})) {}

WinHttpFetcher::~WinHttpFetcher() = default;

FetchResult WinHttpFetcher::Get(const std::string& url, std::chrono::milliseconds timeout) {
  if (!session_->handle) return Failure("WinHttpOpen");
  if (timeout.count() <= 0) return Failure("no time left:");
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  const std::wstring wide_url = Widen(url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wide_url.c_str(), 0, 0, &parts)) return Failure("WinHttpCrackUrl");
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring target = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

  // WinHTTP has no limit for a whole transfer: each step gets what is left of it, and the
  // reads stop once it has passed.
  const int total = Milliseconds(timeout);
  const int connect = Milliseconds(std::min(timeout, kUpstreamConnectTimeout));
  InternetHandle connection(WinHttpConnect(session_->handle.get(), host.c_str(), parts.nPort, 0));
  if (!connection) return Failure("WinHttpConnect");
  const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
  InternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", target.c_str(), nullptr,
                                            WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                            secure));
  if (!request) return Failure("WinHttpOpenRequest");
  WinHttpSetTimeouts(request.get(), connect, connect, total, total);
  if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                          0, 0, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr)) {
    return Failure("WinHTTP request");
  }
  DWORD status = 0;
  DWORD status_size = sizeof status;
  WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                      WINHTTP_HEADER_NAME_BY_INDEX, &status, &status_size, WINHTTP_NO_HEADER_INDEX);
  FetchResult result;
  char chunk[kReadChunk];
  for (;;) {
    if (std::chrono::steady_clock::now() > deadline) return Failure("the answer took too long;");
    DWORD read = 0;
    if (!WinHttpReadData(request.get(), chunk, sizeof chunk, &read)) {
      return Failure("WinHttpReadData");
    }
    if (read == 0) break;
    if (result.body.size() + read > kLargestAnswer) return Failure("an oversized answer;");
    result.body.append(chunk, read);
  }
  result.transferred = true;
  result.status = static_cast<int>(status);
  return result;
}

}  // namespace nimbrel::portal

// The portal on a Windows desktop: windowless, one per user, stopped by `--stop`, its
// geocoding file beside the exe unless told otherwise. Serves loopback only by default.
#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "portal/portal_options.h"
#include "portal/portal_server.h"
#include "portal/win32/single_instance.h"
#include "portal/win32/winhttp_fetcher.h"

namespace {

using nimbrel::portal::OptionsError;
using nimbrel::portal::PortalOptions;

std::string Narrow(const wchar_t* wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(Narrow(wide[i]));
  LocalFree(wide);
  return arguments;
}

std::string ExeDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  return std::filesystem::path(path).parent_path().u8string();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const auto parsed = nimbrel::portal::ParsePortalOptions(Arguments());
  if (const auto* error = std::get_if<OptionsError>(&parsed)) {
    std::fprintf(stderr, "nimbrel-portal: %s\n", error->message.c_str());
    return 2;
  }
  PortalOptions options = std::get<PortalOptions>(parsed);
  if (options.help) {
    std::fputs(nimbrel::portal::PortalUsage().c_str(), stdout);
    return 0;
  }
  if (options.stop) {
    nimbrel::portal::StopRunningPortal();
    return 0;
  }
  const std::optional<nimbrel::portal::PortalInstance> instance =
      nimbrel::portal::PortalInstance::Claim();
  if (!instance) return 0;
  if (options.cache_file == nimbrel::portal::kDefaultCacheFileName) {
    options.cache_file = ExeDirectory() + "\\" + options.cache_file;
  }

  nimbrel::portal::WinHttpFetcher fetcher;
  nimbrel::portal::PortalServer server(options, fetcher);
  std::atomic<bool> serving{true};
  std::thread stopper([&] {
    instance->WaitForStopRequest();
    // A request that comes while the server is still starting must not be lost.
    while (serving) {
      server.Stop();
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  });
  const bool listened = server.Listen();
  serving = false;
  instance->RequestStop();  // wakes the stopper when the server ended on its own
  stopper.join();
  return listened ? 0 : 1;
}

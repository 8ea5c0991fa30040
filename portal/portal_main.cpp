// The portal as a POSIX service: runs in the foreground until SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <thread>
#include <variant>

#include "portal/curl_fetcher.h"
#include "portal/portal_options.h"
#include "portal/portal_server.h"

using nimbrel::portal::OptionsError;
using nimbrel::portal::PortalOptions;

int main(int argc, char** argv) {
  const auto parsed = nimbrel::portal::ParsePortalOptions({argv + 1, argv + argc});
  if (const auto* error = std::get_if<OptionsError>(&parsed)) {
    std::fprintf(stderr, "nimbrel-portal: %s\n%s", error->message.c_str(),
                 nimbrel::portal::PortalUsage().c_str());
    return 2;
  }
  const PortalOptions& options = std::get<PortalOptions>(parsed);
  if (options.help) {
    std::fputs(nimbrel::portal::PortalUsage().c_str(), stdout);
    return 0;
  }

  // Blocked before any thread starts, so only the waiter below ever receives them.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);

  nimbrel::portal::CurlFetcher fetcher;
  nimbrel::portal::PortalServer server(options, fetcher);
  std::thread([&server, stop_signals] {
    int received = 0;
    sigwait(&stop_signals, &received);
    server.Stop();
  }).detach();

  return server.Listen() ? 0 : 1;
}

#pragma once

#include <memory>

#include "portal/http_fetcher.h"
#include "portal/portal_options.h"

namespace nimbrel::portal {

// The HTTP face of the portal: cpp-httplib in front of the weather service.
class PortalServer {
 public:
  PortalServer(const PortalOptions& options, HttpFetcher& fetcher);
  ~PortalServer();
  PortalServer(const PortalServer&) = delete;
  PortalServer& operator=(const PortalServer&) = delete;

  // Blocks until Stop(); false when the address cannot be bound.
  bool Listen();
  // Safe from any thread.
  void Stop();

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
};

}  // namespace nimbrel::portal

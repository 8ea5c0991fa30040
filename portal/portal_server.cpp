#include "portal/portal_server.h"

#include <httplib.h>

#include <cstdio>
#include <ctime>

#include "portal/geocode_cache.h"
#include "portal/open_meteo_source.h"
#include "portal/portal_handler.h"
#include "portal/weather_service.h"

namespace nimbrel::portal {
namespace {

// Enough workers that every keep-alive client of a busy proxy holds one, while the rest of a
// crowd queues; those asking for one uncached city wait on a single upstream call.
constexpr size_t kWorkerThreads = 64;
constexpr size_t kKeepAliveRequests = 100000;
constexpr time_t kClientReadSeconds = 5;
constexpr size_t kLargestRequestBody = 0;  // GET only

std::string UtcTimestamp() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
#ifdef _WIN32
  gmtime_s(&utc, &now);
#else
  gmtime_r(&now, &utc);
#endif
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

void LogRequest(const PortalResponse& response) {
  std::fprintf(stderr, "%s %d city=%s cache=%.*s upstream_ms=%ld\n", UtcTimestamp().c_str(),
               response.status, response.city.empty() ? "-" : response.city.c_str(),
               static_cast<int>(response.cache.size()), response.cache.data(),
               response.upstream_ms);
}

std::string_view QueryOf(const std::string& target) {
  const size_t question = target.find('?');
  return question == std::string::npos ? std::string_view()
                                       : std::string_view(target).substr(question + 1);
}

}  // namespace

struct PortalServer::Parts {
  Parts(const PortalOptions& options, HttpFetcher& fetcher)
      : listen_host(options.listen_host),
        listen_port(options.listen_port),
        places(std::filesystem::u8path(options.cache_file), std::chrono::hours(1)),
        source(fetcher, options.forecast_base, options.geocode_base),
        service(source, places, Settings(options)) {}

  static ServiceSettings Settings(const PortalOptions& options) {
    ServiceSettings settings;
    settings.ttl = options.ttl;
    return settings;
  }

  const std::string listen_host;
  const int listen_port;
  GeocodeCache places;
  OpenMeteoSource source;
  WeatherService service;
  httplib::Server http;
};

PortalServer::PortalServer(const PortalOptions& options, HttpFetcher& fetcher)
    : parts_(std::make_unique<Parts>(options, fetcher)) {
  httplib::Server& http = parts_->http;
  http.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
  http.set_keep_alive_max_count(kKeepAliveRequests);
  // Headers and body leave in separate writes; Nagle would hold the second for an ACK.
  http.set_tcp_nodelay(true);
  http.set_read_timeout(kClientReadSeconds, 0);
  http.set_payload_max_length(kLargestRequestBody);
  WeatherService& service = parts_->service;
  http.Get(".*", [&service](const httplib::Request& request, httplib::Response& reply) {
    const std::string if_none_match = request.get_header_value("If-None-Match");
    PortalResponse response =
        HandlePortalRequest(service, {request.path, QueryOf(request.target), if_none_match});
    reply.status = response.status;
    for (const auto& [name, value] : response.headers) reply.set_header(name, value);
    if (response.status != 304) reply.set_content(response.body, response.content_type.c_str());
    LogRequest(response);
  });
}

PortalServer::~PortalServer() = default;

bool PortalServer::Listen() {
  if (!parts_->http.bind_to_port(parts_->listen_host, parts_->listen_port)) {
    std::fprintf(stderr, "nimbrel-portal: cannot listen on %s:%d\n", parts_->listen_host.c_str(),
                 parts_->listen_port);
    return false;
  }
  std::fprintf(stderr, "nimbrel-portal: listening on %s:%d\n", parts_->listen_host.c_str(),
               parts_->listen_port);
  return parts_->http.listen_after_bind();
}

void PortalServer::Stop() {
  parts_->http.stop();
}

}  // namespace nimbrel::portal

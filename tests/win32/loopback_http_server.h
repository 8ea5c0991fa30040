#pragma once

// A one-thread HTTP server on 127.0.0.1 that answers every request with a tiny page and keeps
// the request lines it saw. Every wait in it is bounded, so a silent client cannot hold a test.

#include <winsock2.h>
#include <ws2tcpip.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nimbrel::test_support {

class LoopbackHttpServer {
 public:
  LoopbackHttpServer() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    if (started_ && Listen()) worker_ = std::thread([this] { Serve(); });
  }
  LoopbackHttpServer(const LoopbackHttpServer&) = delete;
  LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;
  ~LoopbackHttpServer() {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
    if (listener_ != INVALID_SOCKET) closesocket(listener_);
    if (started_) WSACleanup();
  }

  bool Running() const { return worker_.joinable(); }
  std::uint16_t Port() const { return port_; }
  std::string Origin() const { return "http://127.0.0.1:" + std::to_string(port_); }

  std::vector<std::string> RequestLines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requestLines_;
  }

 private:
  // The poll interval bounds how long the destructor waits for the thread to notice the stop.
  static constexpr long kPollMicroseconds = 50'000;
  static constexpr auto kRequestDeadline = std::chrono::seconds(3);
  static constexpr std::size_t kLargestRequest = 16 * 1024;

  bool Listen() {
    listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener_ == INVALID_SOCKET) return false;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof(address);
    if (bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, SOMAXCONN) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      return false;
    }
    port_ = ntohs(address.sin_port);
    return true;
  }

  static bool Readable(SOCKET socket) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    timeval timeout = {0, kPollMicroseconds};
    return select(0, &set, nullptr, nullptr, &timeout) == 1;
  }

  void Serve() {
    while (!stop_) {
      if (!Readable(listener_)) continue;
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) continue;
      Answer(client);
      closesocket(client);
    }
  }

  void Answer(SOCKET client) {
    const std::string head = ReadHead(client);
    if (head.empty()) return;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      requestLines_.push_back(head.substr(0, head.find("\r\n")));
    }
    static const std::string kPage = "<html><body>ok</body></html>";
    // No caching, or a second visit to the same address could be served without asking.
    const std::string response =
        "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-store, no-cache\r\n"
        "Pragma: no-cache\r\nExpires: 0\r\nConnection: close\r\nContent-Length: " +
        std::to_string(kPage.size()) + "\r\n\r\n" + kPage;
    send(client, response.data(), static_cast<int>(response.size()), 0);
    shutdown(client, SD_SEND);
  }

  // Everything up to the blank line ending the headers; empty if the client went silent.
  std::string ReadHead(SOCKET client) const {
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + kRequestDeadline;
    while (!stop_ && std::chrono::steady_clock::now() < deadline &&
           received.size() < kLargestRequest) {
      if (!Readable(client)) continue;
      char buffer[2048];
      const int count = recv(client, buffer, sizeof(buffer), 0);
      if (count <= 0) break;
      received.append(buffer, static_cast<std::size_t>(count));
      if (received.find("\r\n\r\n") != std::string::npos) return received;
    }
    return {};
  }

  bool started_ = false;
  SOCKET listener_ = INVALID_SOCKET;
  std::uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requestLines_;
  std::thread worker_;
};

}  // namespace nimbrel::test_support

#pragma once

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <thread>

#include "testing/listings.h"

namespace venmark {

// A server of httplib (Server, or SSLServer made from a certificate and
// its key) on a free loopback port, serving from its own thread for as long
// as it lives. Add handlers through server() before the first request.
template <typename Server>
class TestServer {
 public:
  template <typename... Args>
  explicit TestServer(const Args&... args) : server_(args...) {
    if (!server_.is_valid()) throw std::runtime_error("no server");
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("no free port on 127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    // This version of httplib has no wait_until_ready().
    while (!server_.is_running()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  ~TestServer() {
    server_.stop();
    thread_.join();
  }
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  Server& server() { return server_; }
  int port() const { return port_; }
  // "http://127.0.0.1:PORT" (https for TLS) followed by path.
  std::string Url(const std::string& path) const {
    return std::string(std::is_same_v<Server, httplib::Server> ? "http"
                                                               : "https") +
           "://127.0.0.1:" + std::to_string(port_) + path;
  }

 private:
  Server server_;
  int port_ = 0;
  std::thread thread_;
};

using TestHttpServer = TestServer<httplib::Server>;
using TestHttpsServer = TestServer<httplib::SSLServer>;

// A certificate authority made for the test with the openssl command, and
// server certificates it signs, in folder: ca.pem, and NAME.pem with
// NAME.key for each.
// A server whose listings (every path matching pattern) send a first line
// and then nothing, until Release() or until `stall` has passed: a stalled
// download, for cancelling and timing out.
class StalledServer {
 public:
  explicit StalledServer(
      const std::string& pattern = R"(.*/oui\.txt)",
      std::chrono::milliseconds stall = std::chrono::milliseconds(30000));
  ~StalledServer() { Release(); }
  StalledServer(const StalledServer&) = delete;
  StalledServer& operator=(const StalledServer&) = delete;

  // "http://127.0.0.1:PORT" followed by path.
  std::string Url(const std::string& path) const { return server_.Url(path); }
  // Whether a listing was asked for since the last Forget().
  bool requested() const { return requested_; }
  void Forget() { requested_ = false; }
  // Ends every stall now, and every one to come.
  void Release() { release_ = true; }
  std::chrono::milliseconds stall() const { return stall_; }

 private:
  std::atomic<bool> requested_{false}, release_{false};
  std::chrono::milliseconds stall_;
  TestHttpServer server_;  // last: it stops before what its handler uses
};

class TestCertificates {
 public:
  explicit TestCertificates(const std::filesystem::path& folder);
  // A certificate for subject_alt_name ("IP:127.0.0.1", "DNS:example.org")
  // signed by the CA; returns the path of NAME.pem (its key is NAME.key).
  std::string Issue(const std::string& name,
                    const std::string& subject_alt_name);
  std::string ca() const { return (folder_ / "ca.pem").string(); }
  std::string Key(const std::string& name) const {
    return (folder_ / (name + ".key")).string();
  }

 private:
  std::filesystem::path folder_;
};

}  // namespace venmark

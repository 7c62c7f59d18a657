#pragma once

#include <httplib.h>

#include <string>
#include <thread>

#include "testing/listings.h"

namespace venmark {

// An HTTP server on a free loopback port, serving from its own thread for as
// long as it lives. Add handlers through server() before the first request.
class TestHttpServer {
 public:
  TestHttpServer();
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  httplib::Server& server() { return server_; }
  int port() const { return port_; }
  // "http://127.0.0.1:PORT" followed by path.
  std::string Url(const std::string& path) const;

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace venmark

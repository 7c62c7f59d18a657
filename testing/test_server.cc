#include "testing/test_server.h"

#include <chrono>
#include <stdexcept>

namespace venmark {

TestHttpServer::TestHttpServer() {
  port_ = server_.bind_to_any_port("127.0.0.1");
  if (port_ <= 0) throw std::runtime_error("no free port on 127.0.0.1");
  thread_ = std::thread([this] { server_.listen_after_bind(); });
  // This version of httplib has no wait_until_ready().
  while (!server_.is_running()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

TestHttpServer::~TestHttpServer() {
  server_.stop();
  thread_.join();
}

std::string TestHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

}  // namespace venmark

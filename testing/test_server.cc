#include "testing/test_server.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace venmark {
namespace {

void Run(const std::string& command) {
  if (std::system((command + " >/dev/null 2>&1").c_str()) != 0) {
    throw std::runtime_error("failed: " + command);
  }
}

std::string Quoted(const std::filesystem::path& path) {
  return "'" + path.string() + "'";
}

}  // namespace

StalledServer::StalledServer(const std::string& pattern,
                             std::chrono::milliseconds stall)
    : stall_(stall) {
  server_.server().Get(
      pattern, [this](const httplib::Request&, httplib::Response& response) {
        requested_ = true;
        response.set_chunked_content_provider(
            "text/plain", [this](std::size_t offset, httplib::DataSink& sink) {
              if (offset == 0)
                return sink.write("00-00-00   (hex)\t\tA\r\n", 21);
              const auto until = std::chrono::steady_clock::now() + stall_;
              while (!release_ && std::chrono::steady_clock::now() < until) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
              return false;
            });
      });
}

TestCertificates::TestCertificates(const std::filesystem::path& folder)
    : folder_(folder) {
  Run("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
      "-nodes -days 2 -subj '/CN=Venmark Test CA' -keyout " +
      Quoted(folder_ / "ca.key") + " -out " + Quoted(folder_ / "ca.pem"));
}

std::string TestCertificates::Issue(const std::string& name,
                                    const std::string& subject_alt_name) {
  const auto key = folder_ / (name + ".key");
  const auto request = folder_ / (name + ".csr");
  const auto extensions = folder_ / (name + ".ext");
  const auto certificate = folder_ / (name + ".pem");
  std::ofstream(extensions) << "subjectAltName=" << subject_alt_name << "\n";
  Run("openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes "
      "-subj '/CN=" +
      name + "' -keyout " + Quoted(key) + " -out " + Quoted(request));
  Run("openssl x509 -req -days 2 -in " + Quoted(request) + " -CA " +
      Quoted(folder_ / "ca.pem") + " -CAkey " + Quoted(folder_ / "ca.key") +
      " -CAcreateserial -extfile " + Quoted(extensions) + " -out " +
      Quoted(certificate));
  return certificate.string();
}

}  // namespace venmark

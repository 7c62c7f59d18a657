#include "testing/test_server.h"

#include <cstdlib>
#include <fstream>

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

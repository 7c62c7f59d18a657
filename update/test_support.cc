#include "update/test_support.h"

#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
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

TestFolder::TestFolder() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "venmark-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot create a temporary folder");
  }
  path_ = pattern;
}

TestFolder::~TestFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::string MakeListing(int records, const std::string& vendor) {
  std::string text =
      "OUI/MA-L                                                    "
      "Organization\r\ncompany_id                                         "
      "         Organization\r\n\r\n";
  char line[64];
  for (int i = 0; i < records; ++i) {
    const std::string name = vendor + " " + std::to_string(i) + "\r\n";
    std::snprintf(line, sizeof line, "00-%02X-%02X   (hex)\t\t", i >> 8 & 0xFF,
                  i & 0xFF);
    text += line + name;
    std::snprintf(line, sizeof line, "00%02X%02X     (base 16)\t\t",
                  i >> 8 & 0xFF, i & 0xFF);
    text += line + name + "\r\n";
  }
  return text;
}

std::string MakeBlockListing(int records, const std::string& vendor) {
  std::string text =
      "OUI                                                         "
      "Organization\r\nOUI-36/MA-S Range\r\n\r\n";
  char line[64];
  for (int i = 0; i < records; ++i) {
    const std::string name = vendor + " " + std::to_string(i) + "\r\n";
    text += "70-B3-D5   (hex)\t\t" + name;
    std::snprintf(line, sizeof line, "%03X000-%03XFFF     (base 16)\t\t",
                  i & 0xFFF, i & 0xFFF);
    text += line + name + "\t\t\t\tSomewhere\r\n\r\n";
  }
  return text;
}

}  // namespace venmark

#pragma once

#include <httplib.h>

#include <filesystem>
#include <string>
#include <thread>

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

// A fresh, empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of name inside the folder.
  std::filesystem::path operator/(const std::string& name) const {
    return path_ / name;
  }

 private:
  std::filesystem::path path_;
};

// The bytes of the file at path; empty when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// A listing of `records` record lines ("00-00-00 … Vendor 0"), laid out as
// the IEEE publishes it.
std::string MakeListing(int records, const std::string& vendor = "Vendor");

// A block listing (MA-M, MA-S, IAB) of `records` 36-bit blocks in 70-B3-D5,
// laid out as the IEEE publishes it.
std::string MakeBlockListing(int records, const std::string& vendor = "Vendor");

// Paths of the four IEEE listings on a server, in update order.
inline constexpr const char* kListingPaths[] = {
    "/oui.txt", "/oui28/mam.txt", "/oui36/oui36.txt", "/iab/iab.txt"};

}  // namespace venmark

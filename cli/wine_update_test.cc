// The update of venmark-scan.exe, over WinHTTP under Wine, against a local
// stand-in for the IEEE's server. Run by scripts/test-windows.sh with
// VENMARK_WINDOWS_SCAN naming the program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>

#include "update/test_support.h"

namespace venmark {
namespace {

namespace fs = std::filesystem;

class WineUpdateTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* program = std::getenv("VENMARK_WINDOWS_SCAN");
    ASSERT_NE(program, nullptr) << "VENMARK_WINDOWS_SCAN names no program";
    program_ = program;
    old_ = MakeListing(20, "Old");
    std::ofstream(dir_ / "base.dat", std::ios::binary) << old_;
    for (const char* path : kListingPaths) {
      server_.server().Get(path, [this, path](const httplib::Request& request,
                                              httplib::Response& response) {
        std::lock_guard lock(mutex_);
        const std::string agent = request.get_header_value("User-Agent");
        if (browser_only_ && !agent.starts_with("Mozilla/5.0 (")) {
          response.status = 418;
          return;
        }
        const auto& [status, body] = answers_[path];
        response.status = status;
        if (cut_ && status == 200) {
          // Hangs up at half of the length it promised.
          const std::string whole = body;
          response.set_content_provider(whole.size(), "text/plain",
                                        [whole](std::size_t offset, std::size_t,
                                                httplib::DataSink& sink) {
                                          if (offset >= whole.size() / 2)
                                            return false;
                                          sink.write(whole.data() + offset,
                                                     whole.size() / 2 - offset);
                                          return true;
                                        });
          return;
        }
        response.set_content(body, "text/plain");
      });
      answers_[path] = {200, std::string(path) == "/oui.txt"
                                 ? MakeListing(30, "New")
                                 : MakeBlockListing(5, "Block")};
    }
  }

  // Runs venmark-scan.exe --update on the test folder; its exit status.
  int Update() {
    const std::string command = "cd '" + dir_.path().string() +
                                "' && VENMARK_IEEE_ORIGIN=" + server_.Url("") +
                                " wine '" + program_ +
                                "' --update --db base.dat > out.txt 2> err.txt";
    const int raw = std::system(command.c_str());
    err_ = ReadWholeFile((dir_ / "err.txt").string());
    fs::remove(dir_ / "out.txt");
    fs::remove(dir_ / "err.txt");
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }

  // Only base.dat (and companions) stay in the folder: no download file.
  void ExpectNoLeftovers() {
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      EXPECT_TRUE(entry.path().filename().string().starts_with("base"))
          << entry.path();
      EXPECT_EQ(entry.path().string().find(".new-"), std::string::npos)
          << entry.path();
    }
  }

  std::string program_, old_, err_;
  std::mutex mutex_;
  std::map<std::string, std::pair<int, std::string>> answers_;
  bool browser_only_ = false;
  bool cut_ = false;
  TestHttpServer server_;
  TestFolder dir_;
};

TEST_F(WineUpdateTest, ReplacesTheListingsAndRefusesWhatIsNoListing) {
  // A server that turns away every agent but a browser's.
  browser_only_ = true;
  EXPECT_EQ(Update(), 0) << err_;
  EXPECT_EQ(ReadWholeFile((dir_ / "base.dat").string()),
            MakeListing(30, "New"));
  EXPECT_EQ(ReadWholeFile((dir_ / "base-mas.dat").string()),
            MakeBlockListing(5, "Block"));
  ExpectNoLeftovers();

  std::ofstream(dir_ / "base.dat", std::ios::binary) << old_;
  {
    std::lock_guard lock(mutex_);
    answers_["/oui.txt"].first = 404;
  }
  EXPECT_EQ(Update(), 3);
  EXPECT_NE(err_.find("сервер ответил HTTP 404"), std::string::npos) << err_;
  EXPECT_EQ(ReadWholeFile((dir_ / "base.dat").string()), old_);

  {
    std::lock_guard lock(mutex_);
    answers_["/oui.txt"].first = 200;
    cut_ = true;
  }
  EXPECT_EQ(Update(), 3);
  EXPECT_NE(err_.find("получен не полностью"), std::string::npos) << err_;
  EXPECT_EQ(ReadWholeFile((dir_ / "base.dat").string()), old_);
  ExpectNoLeftovers();
}

}  // namespace
}  // namespace venmark

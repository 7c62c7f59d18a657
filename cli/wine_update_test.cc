// The update of venmark-scan.exe, over WinHTTP under Wine, against a local
// stand-in for the IEEE's server. Run by scripts/test-windows.sh with
// VENMARK_WINDOWS_SCAN naming the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "testing/test_server.h"

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
    for (const std::string& path : ListingPaths()) {
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
      answers_[path] = {200, std::string(path) == "/oui/oui.txt"
                                 ? MakeListing(30, "New")
                                 : MakeKindListing(KindAt(path), 5, "Block")};
    }
  }

  // Runs venmark-scan.exe --update on the test folder; its exit status.
  int Update() {
    const std::string command = "cd '" + dir_.path().string() +
                                "' && VENMARK_IEEE_ORIGIN=" + server_.Url("") +
                                " timeout -k 5 300 wine '" + program_ +
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
    answers_["/oui/oui.txt"].first = 404;
  }
  EXPECT_EQ(Update(), 3);
  EXPECT_NE(err_.find("сервер ответил HTTP 404"), std::string::npos) << err_;
  EXPECT_EQ(ReadWholeFile((dir_ / "base.dat").string()), old_);

  {
    std::lock_guard lock(mutex_);
    answers_["/oui/oui.txt"].first = 200;
    cut_ = true;
  }
  EXPECT_EQ(Update(), 3);
  EXPECT_NE(err_.find("получен не полностью"), std::string::npos) << err_;
  EXPECT_EQ(ReadWholeFile((dir_ / "base.dat").string()), old_);
  ExpectNoLeftovers();
}

// Ctrl+C while the server stalls: WinHTTP gives up at once, nothing is
// replaced and nothing is left behind.
TEST_F(WineUpdateTest, CtrlCCancelsAStalledDownloadAtOnce) {
  StalledServer stalled("/oui/oui.txt");
  const std::string origin = "VENMARK_IEEE_ORIGIN=" + stalled.Url("");
  const std::string folder = dir_.path().string();
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // A group of its own: Wine runs the program in a process of its own.
    ::setpgid(0, 0);
    if (::chdir(folder.c_str()) != 0) ::_exit(127);
    ::putenv(const_cast<char*>(origin.c_str()));
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execlp("wine", "wine", program_.c_str(), "--update", "--db", "base.dat",
             static_cast<char*>(nullptr));
    ::_exit(127);
  }
  for (int i = 0; i < 3000 && !stalled.requested(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // The listing is asked for: the program is in the transfer, its Ctrl+C
  // handler long in place.
  ASSERT_TRUE(stalled.requested());
  const auto sent = std::chrono::steady_clock::now();
  ::kill(-pid, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  // Long before the server would have gone on.
  EXPECT_LT(std::chrono::steady_clock::now() - sent, std::chrono::seconds(10));
  stalled.Release();
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_EQ(ReadWholeFile((dir_ / "base.dat").string()), old_);
  ExpectNoLeftovers();
}

}  // namespace
}  // namespace venmark

#include "update/database_update.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "update/test_support.h"

namespace venmark {
namespace {

namespace fs = std::filesystem;

class DatabaseUpdateTest : public testing::Test {
 protected:
  void SetUp() override {
    options_.database = (dir_ / "base.dat").string();
    options_.download = (dir_ / "downloaded-new-base.dat").string();
    options_.url = server_.Url("/oui.txt");
    old_listing_ = MakeListing(20, "Old");
    std::ofstream(dir_ / "base.dat", std::ios::binary) << old_listing_;
  }

  std::string ReadFile(const std::string& name) const {
    return ReadWholeFile((dir_ / name).string());
  }

  // What /oui.txt answers from now on.
  void Serve(int status, const std::string& body,
             const std::string& type = "text/plain") {
    std::lock_guard lock(answer_mutex_);
    answer_ = {status, body, type};
  }

  void ServeAnswer() {
    server_.server().Get("/oui.txt", [this](const httplib::Request&,
                                            httplib::Response& response) {
      std::lock_guard lock(answer_mutex_);
      response.status = answer_.status;
      response.set_content(answer_.body, answer_.type.c_str());
    });
  }

  // The update failed, said so in Russian, and left every file as it was.
  void ExpectUntouched(const UpdateResult& result, const std::string& says) {
    EXPECT_EQ(result.status, UpdateStatus::kFailed);
    EXPECT_TRUE(result.message.starts_with("Не удалось обновить базу: "))
        << result.message;
    EXPECT_NE(result.message.find(says), std::string::npos) << result.message;
    EXPECT_TRUE(ReadFile("base.dat") == old_listing_) << "base.dat changed";
    EXPECT_FALSE(fs::exists(dir_ / "downloaded-new-base.dat"));
  }

  struct Answer {
    int status = 200;
    std::string body;
    std::string type;
  };
  std::mutex answer_mutex_;
  Answer answer_;
  TestHttpServer server_;
  TestFolder dir_;
  UpdateOptions options_;
  std::string old_listing_;
};

TEST_F(DatabaseUpdateTest, ReplacesTheDatabaseWithAGoodListing) {
  const std::string fresh = MakeListing(30, "New");
  Serve(200, fresh);
  ServeAnswer();
  std::int64_t last_received = 0;
  const UpdateResult result =
      UpdateDatabase(options_, [&](std::int64_t received, std::int64_t) {
        last_received = received;
        return true;
      });
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << result.message;
  EXPECT_EQ(result.records, 30u);
  EXPECT_TRUE(ReadFile("base.dat") == fresh);
  EXPECT_FALSE(fs::exists(dir_ / "downloaded-new-base.dat"));
  EXPECT_GT(last_received, 0);  // compressed on the way, so not fresh.size()
}

TEST_F(DatabaseUpdateTest, FollowsRedirectsAndSendsItsOwnUserAgent) {
  std::mutex mutex;
  std::vector<std::string> agents;
  server_.server().Get("/oui.txt", [&](const httplib::Request& request,
                                       httplib::Response& response) {
    std::lock_guard lock(mutex);
    agents.push_back(request.get_header_value("User-Agent"));
    response.set_redirect("/oui/oui.txt", 302);
  });
  const std::string fresh = MakeListing(25);
  server_.server().Get("/oui/oui.txt", [&](const httplib::Request& request,
                                           httplib::Response& response) {
    std::lock_guard lock(mutex);
    agents.push_back(request.get_header_value("User-Agent"));
    response.set_content(fresh, "text/plain");
  });
  const UpdateResult result = UpdateDatabase(options_);
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << result.message;
  EXPECT_TRUE(ReadFile("base.dat") == fresh);
  ASSERT_EQ(agents.size(), 2u);
  for (const std::string& agent : agents) {
    EXPECT_TRUE(agent.starts_with("Venmark/")) << agent;
  }
}

TEST_F(DatabaseUpdateTest, RefusesErrorStatusesAndLeavesEverythingUntouched) {
  ServeAnswer();
  for (const int status : {404, 418, 500}) {
    SCOPED_TRACE(status);
    // Even a body that reads as a listing must not be taken.
    Serve(status, MakeListing(30));
    ExpectUntouched(UpdateDatabase(options_),
                    "сервер ответил HTTP " + std::to_string(status));
  }
}

TEST_F(DatabaseUpdateTest, RefusesAPageThatIsNoListing) {
  Serve(200,
        "<html><head><title>Request Rejected</title></head><body>The "
        "requested URL was rejected.</body></html>",
        "text/html");
  ServeAnswer();
  ExpectUntouched(UpdateDatabase(options_), "не список OUI");
}

TEST_F(DatabaseUpdateTest, RefusesATruncatedBody) {
  const std::string fresh = MakeListing(30);
  server_.server().Get(
      "/oui.txt", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content_provider(
            fresh.size(), "text/plain",
            [&](std::size_t offset, std::size_t, httplib::DataSink& sink) {
              if (offset >= fresh.size() / 2) return false;  // hang up early
              sink.write(fresh.data() + offset, fresh.size() / 2 - offset);
              return true;
            });
      });
  ExpectUntouched(UpdateDatabase(options_), "получен не полностью");
}

TEST_F(DatabaseUpdateTest, RefusesAListingMuchSmallerThanTheCurrentOne) {
  Serve(200, MakeListing(9));
  ServeAnswer();
  ExpectUntouched(UpdateDatabase(options_),
                  "список неполон — записей в нём 9, а в нынешней базе 20");
  Serve(200, MakeListing(10));  // exactly half is still taken
  EXPECT_EQ(UpdateDatabase(options_).status, UpdateStatus::kUpdated);
}

TEST_F(DatabaseUpdateTest, RefusesABodyOverTheSizeLimit) {
  options_.max_bytes = 4096;
  Serve(200, MakeListing(200));
  ServeAnswer();
  ExpectUntouched(UpdateDatabase(options_), "больше");
}

TEST_F(DatabaseUpdateTest, ReportsAFullDisk) {
  Serve(200, MakeListing(2000));
  ServeAnswer();
  // A file size limit fails the write the way a full disk does.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const UpdateResult result = UpdateDatabase(options_);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
  ExpectUntouched(result, "не удалось записать");
}

TEST_F(DatabaseUpdateTest, ReportsARefusedConnection) {
  int closed_port;
  {
    TestHttpServer gone;
    closed_port = gone.port();
  }
  options_.url = "http://127.0.0.1:" + std::to_string(closed_port) + "/oui.txt";
  ExpectUntouched(UpdateDatabase(options_), "не удалось подключиться");
}

TEST_F(DatabaseUpdateTest, RefusesRedirectsToOtherProtocols) {
  server_.server().Get(
      "/oui.txt", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("ftp://127.0.0.1/oui.txt", 302);
      });
  ExpectUntouched(UpdateDatabase(options_), "неподдерживаемый");
}

TEST_F(DatabaseUpdateTest, CancelsAStalledDownloadFromTheProgressCallback) {
  std::atomic<bool> release{false};
  server_.server().Get(
      "/oui.txt", [&](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            "text/plain", [&](std::size_t offset, httplib::DataSink& sink) {
              if (offset == 0) {
                sink.write("00-00-00   (hex)\t\tFirst\r\n", 25);
                return true;
              }
              // Stall until the test is over.
              for (int i = 0; i < 500 && !release; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
              return false;
            });
      });
  const auto started = std::chrono::steady_clock::now();
  const UpdateResult result =
      UpdateDatabase(options_, [&](std::int64_t, std::int64_t) {
        return std::chrono::steady_clock::now() - started <
               std::chrono::milliseconds(300);
      });
  release = true;
  EXPECT_EQ(result.status, UpdateStatus::kCancelled);
  EXPECT_EQ(result.message, "");
  EXPECT_TRUE(ReadFile("base.dat") == old_listing_);
  EXPECT_FALSE(fs::exists(dir_ / "downloaded-new-base.dat"));
}

TEST_F(DatabaseUpdateTest, GivesUpOnAStalledTransfer) {
  std::atomic<bool> release{false};
  server_.server().Get(
      "/oui.txt", [&](const httplib::Request&, httplib::Response& response) {
        response.set_chunked_content_provider(
            "text/plain", [&](std::size_t, httplib::DataSink&) {
              for (int i = 0; i < 500 && !release; ++i) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
              }
              return false;
            });
      });
  options_.low_speed_seconds = 1;
  const UpdateResult result = UpdateDatabase(options_);
  release = true;
  ExpectUntouched(result, "загрузка остановилась");
}

TEST_F(DatabaseUpdateTest, CreatesAMissingDatabaseAndOverwritesAStaleDownload) {
  fs::remove(dir_ / "base.dat");
  std::ofstream(dir_ / "downloaded-new-base.dat", std::ios::binary)
      << std::string(100000, 'x');
  const std::string fresh = MakeListing(3);
  Serve(200, fresh);
  ServeAnswer();
  const UpdateResult result = UpdateDatabase(options_);
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << result.message;
  EXPECT_TRUE(ReadFile("base.dat") == fresh);
  EXPECT_FALSE(fs::exists(dir_ / "downloaded-new-base.dat"));
}

TEST_F(DatabaseUpdateTest, ReportsADatabaseThatCannotBeReplaced) {
  // A folder in the database's place cannot be renamed over.
  fs::remove(dir_ / "base.dat");
  fs::create_directories(dir_ / "base.dat" / "keep");
  Serve(200, MakeListing(30));
  ServeAnswer();
  const UpdateResult result = UpdateDatabase(options_);
  EXPECT_EQ(result.status, UpdateStatus::kFailed);
  EXPECT_NE(result.message.find("не удалось заменить"), std::string::npos)
      << result.message;
  EXPECT_TRUE(fs::is_directory(dir_ / "base.dat" / "keep"));
  EXPECT_FALSE(fs::exists(dir_ / "downloaded-new-base.dat"));
}

}  // namespace
}  // namespace venmark

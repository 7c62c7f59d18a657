#include "update/listing_update.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "testing/test_server.h"
#include "testing/update_problems.h"

namespace venmark {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

class ListingUpdateTest : public testing::Test {
 protected:
  void SetUp() override {
    options_.listing = Path("base.dat");
    options_.sources = IeeeSources(server_.Url(""));
    old_listing_ = MakeListing(20, "Old");
    Write("base.dat", old_listing_);
    for (const std::string& path : ListingPaths()) {
      server_.server().Get(path, [this, path](const httplib::Request& request,
                                              httplib::Response& response) {
        std::lock_guard lock(mutex_);
        agents_.push_back(request.get_header_value("User-Agent"));
        const auto answer = answers_.find(path);
        if (answer == answers_.end()) {
          response.status = 404;
          response.set_content("Not Found", "text/plain");
          return;
        }
        response.status = answer->second.first;
        response.set_content(answer->second.second, "text/plain");
        if (!last_modified_.empty()) {
          response.set_header("Last-Modified", last_modified_);
        }
      });
    }
  }

  std::string Path(const std::string& name) const {
    return (dir_ / name).string();
  }
  std::string ReadFile(const std::string& name) const {
    return ReadWholeFile(Path(name));
  }
  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  // The names in the folder, so that nothing left behind goes unseen.
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  // What a listing's path answers from now on.
  void Serve(const std::string& path, int status, const std::string& body) {
    std::lock_guard lock(mutex_);
    answers_[path] = {status, body};
  }

  UpdateResult Update(const UpdateProgress& progress = {}) {
    return UpdateListings(options_, *transport_, progress);
  }

  // The update failed as said, and left every file as it was. What is
  // said is matched on its kind, and on each number it gives; a cut-off
  // transfer may be told by the transport or by the check of the file.
  void ExpectUntouched(const UpdateResult& result, const UpdateProblem& says) {
    EXPECT_EQ(result.status, UpdateStatus::kFailed);
    const UpdateProblem& got = result.problem;
    if (says.kind == UpdateFailure::kCutOff &&
        got.kind == UpdateFailure::kNetwork) {
      EXPECT_EQ(got.network, NetworkFailure::kCutOff) << Debug(got);
    } else {
      EXPECT_EQ(got.kind, says.kind) << Debug(got);
    }
    if (says.kind == UpdateFailure::kNetwork) {
      EXPECT_EQ(got.network, says.network) << Debug(got);
    }
    if (says.count != 0) {
      EXPECT_EQ(got.count, says.count) << Debug(got);
    }
    if (says.other != 0) {
      EXPECT_EQ(got.other, says.other) << Debug(got);
    }
    if (says.error_number != 0) {
      EXPECT_EQ(got.error_number, says.error_number) << Debug(got);
    }
    EXPECT_TRUE(ReadFile("base.dat") == old_listing_) << "base.dat changed";
    EXPECT_EQ(Files(), std::set<std::string>{"base.dat"});
  }

  std::mutex mutex_;
  std::map<std::string, std::pair<int, std::string>> answers_;
  std::vector<std::string> agents_;
  std::string last_modified_;
  TestHttpServer server_;
  TestFolder dir_;
  UpdateOptions options_;
  std::string old_listing_;
  std::unique_ptr<Transport> transport_ = MakeSystemTransport();
};

TEST_F(ListingUpdateTest,
       ReplacesEveryKindsListingKeepingModesWithTheIeeeDate) {
  // Each kind of the table at its place in the IEEE's layout.
  std::vector<std::string> fresh;
  for (const ListingKindRow& row : kListingKinds) {
    fresh.push_back(
        row.kind == ListingKind::kMaL
            ? MakeListing(30, "New")
            : MakeKindListing(row.kind, 5 + static_cast<int>(fresh.size())));
    Serve("/" + std::string(row.ieee_path), 200, fresh.back());
  }
  last_modified_ = "Wed, 21 Oct 2015 07:28:00 GMT";
  ASSERT_EQ(::chmod(Path("base.dat").c_str(), 0640), 0);
  // Each listing in turn, its size told by the server, the last step of
  // each at its full size.
  std::vector<UpdateStep> last;
  const UpdateResult result = Update([&](const UpdateStep& step) {
    EXPECT_EQ(step.listings, kListingKindCount);
    if (last.empty() || last.back().listing != step.listing) {
      EXPECT_EQ(step.listing, last.size());
      // A listing starts with nothing in and is not over.
      EXPECT_EQ(step.received, 0);
      EXPECT_FALSE(step.over);
      last.push_back(step);
    }
    EXPECT_GE(step.received, last.back().received);
    last.back() = step;
    return true;
  });
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  EXPECT_EQ(result.records, 30u);
  EXPECT_TRUE(result.kept.empty());
  ASSERT_EQ(last.size(), kListingKindCount);
  for (std::size_t i = 0; i < last.size(); ++i) {
    EXPECT_EQ(last[i].kind, kListingKinds[i].kind);
  }
  for (const UpdateStep& step : last) {
    EXPECT_GT(step.received, 0);
    EXPECT_EQ(step.received, step.total);
  }
  // The next listing's start tells that one is over; the last is told so.
  EXPECT_TRUE(last.back().over);

  for (std::size_t i = 0; i < kListingKindCount; ++i) {
    const std::string name(kListingKinds[i].our_name);
    EXPECT_TRUE(ReadFile(name) == fresh[i]) << name;
    struct stat info {};
    ASSERT_EQ(::stat(Path(name).c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 1445412480) << name;
    EXPECT_EQ(info.st_mode & 07777, i == 0 ? 0640u : 0644u) << name;
  }
  EXPECT_EQ(Files().size(), kListingKindCount);
  // Every request is known by libcurl's own agent.
  for (const std::string& agent : agents_) {
    EXPECT_TRUE(agent.starts_with("curl/")) << agent;
  }
}

TEST_F(ListingUpdateTest, TheMaLListingDecidesACompanionOnlyKeepsItsOldFile) {
  const std::string old_mas = MakeBlockListing(10, "Old");
  Write("base-mas.dat", old_mas);
  Serve("/oui28/mam.txt", 200, MakeKindListing(ListingKind::kMaM, 5, "M"));
  Serve("/oui36/oui36.txt", 200, MakeBlockListing(4, "S"));  // under half
  Serve("/iab/iab.txt", 500, "");

  // Without the MA-L listing nothing is replaced.
  Serve("/oui/oui.txt", 404, MakeListing(30));
  UpdateResult result = Update();
  EXPECT_EQ(result.status, UpdateStatus::kFailed);
  EXPECT_EQ(Debug(result.problem),
            Debug({.kind = UpdateFailure::kHttpStatus, .count = 404}));
  EXPECT_EQ(Files(), (std::set<std::string>{"base.dat", "base-mas.dat"}));

  Serve("/oui/oui.txt", 200, MakeListing(30, "New"));
  result = Update();
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  ASSERT_EQ(result.kept.size(), 3u);
  EXPECT_EQ(result.kept[0].kind, ListingKind::kMaS);
  EXPECT_EQ(result.kept[0].path, Path("base-mas.dat"));
  EXPECT_EQ(Debug(result.kept[0].why),
            Debug({.kind = UpdateFailure::kTooFew, .count = 4, .other = 10}));
  EXPECT_EQ(result.kept[1].kind, ListingKind::kIab);
  EXPECT_EQ(result.kept[1].path, Path("base-iab.dat"));
  EXPECT_EQ(Debug(result.kept[1].why),
            Debug({.kind = UpdateFailure::kHttpStatus, .count = 500}));
  // A server without the CID listing keeps none.
  EXPECT_EQ(result.kept[2].kind, ListingKind::kCid);
  EXPECT_EQ(Debug(result.kept[2].why),
            Debug({.kind = UpdateFailure::kHttpStatus, .count = 404}));
  EXPECT_TRUE(ReadFile("base-mas.dat") == old_mas);
  EXPECT_EQ(Files(), (std::set<std::string>{"base.dat", "base-mas.dat",
                                            "base-mam.dat"}));
}

TEST_F(ListingUpdateTest, TriesABrowserAgentWhenTheServerTurnsItsOwnAway) {
  const std::string fresh = MakeListing(30, "New");
  // Like the IEEE's server: 418 for unknown agents, a rejection page with
  // a 200 for some.
  server_.server().Get("/filtered/oui.txt", [&](const httplib::Request& request,
                                                httplib::Response& response) {
    const std::string agent = request.get_header_value("User-Agent");
    {
      std::lock_guard lock(mutex_);
      agents_.push_back(agent);
    }
    if (agent.starts_with("Mozilla/5.0 (")) {
      response.set_content(fresh, "text/plain");
    } else if (agent.starts_with("curl/") || agent.starts_with("Wget/")) {
      response.status = 418;
    } else {
      response.set_content("<html>Request Rejected</html>", "text/html");
    }
  });
  options_.sources[ListingKind::kMaL] = server_.Url("/filtered/oui.txt");
  UpdateResult result = Update();
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  EXPECT_TRUE(ReadFile("base.dat") == fresh);
  ASSERT_GE(agents_.size(), 2u);
  EXPECT_TRUE(agents_[0].starts_with("curl/")) << agents_[0];
  // Once the browser's agent got through, the other listings ask with it.
  for (std::size_t i = 1; i < agents_.size(); ++i) {
    EXPECT_TRUE(agents_[i].starts_with("Mozilla/5.0 (")) << agents_[i];
  }

  Write("base.dat", old_listing_);
  agents_.clear();
  options_.user_agent = "Venmark/1.0";  // turned away with a page, not a 418
  result = Update();
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  EXPECT_EQ(agents_.at(0), "Venmark/1.0");

  Write("base.dat", old_listing_);
  options_.fallback_agent = "Wget/1.21";  // refused both times
  options_.user_agent = "";
  ExpectUntouched(Update(), {.kind = UpdateFailure::kHttpStatus, .count = 418});
}

TEST_F(ListingUpdateTest, RefusesWhatIsNoWholeListing) {
  const std::string fresh = MakeListing(30);
  const struct {
    int status;
    std::string body;
    UpdateProblem says;
  } cases[] = {
      // Even a body that reads as a listing is not taken from an error.
      {404, fresh, {.kind = UpdateFailure::kHttpStatus, .count = 404}},
      {500, fresh, {.kind = UpdateFailure::kHttpStatus, .count = 500}},
      {200,
       "<html><title>Request Rejected</title></html>",
       {.kind = UpdateFailure::kNotAListing}},
      // From 98 % to 150 % of the records of the file it replaces.
      {200,
       MakeListing(9),
       {.kind = UpdateFailure::kTooFew, .count = 9, .other = 20}},
      {200,
       MakeListing(19),
       {.kind = UpdateFailure::kTooFew, .count = 19, .other = 20}},
      {200,
       MakeListing(31),
       {.kind = UpdateFailure::kTooMany, .count = 31, .other = 20}},
      // Cut at a line break inside the last record, or with no line break.
      {200,
       fresh.substr(0, fresh.rfind("0000", fresh.rfind("(base 16)"))),
       {.kind = UpdateFailure::kCutOff}},
      {200,
       fresh.substr(0, fresh.size() - 5),
       {.kind = UpdateFailure::kCutOff}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Debug(c.says));
    Serve("/oui/oui.txt", c.status, c.body);
    ExpectUntouched(Update(), c.says);
  }
  Serve("/oui/oui.txt", 200, MakeListing(30));  // exactly 150 % is taken
  EXPECT_EQ(Update().status, UpdateStatus::kUpdated);
}

// A server that answers HTTP/1.0 without a length and hangs up after
// `send` bytes of body: only the listing's own shape can tell it is cut.
TEST_F(ListingUpdateTest, RefusesABodyCutWithoutALengthToTellIt) {
  const std::string fresh = MakeListing(200);
  const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
  ASSERT_EQ(::listen(listener, 1), 0);
  ASSERT_EQ(
      ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length),
      0);
  std::thread server([&] {
    const int client = ::accept(listener, nullptr, nullptr);
    char request[4096];
    (void)!::read(client, request, sizeof request);
    const std::string answer =
        "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" +
        fresh.substr(0, fresh.size() * 3 / 4);
    (void)!::write(client, answer.data(), answer.size());
    ::close(client);
  });
  options_.sources[ListingKind::kMaL] =
      "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) +
      "/oui/oui.txt";
  const UpdateResult result = Update();
  server.join();
  ::close(listener);
  ExpectUntouched(result, {.kind = UpdateFailure::kCutOff});
}

TEST_F(ListingUpdateTest, RefusesABodyOverTheSizeLimit) {
  options_.max_bytes = 4096;
  Serve("/oui/oui.txt", 200, MakeListing(200));
  ExpectUntouched(Update(), {.kind = UpdateFailure::kTooLarge, .count = 4096});
}

// A file size limit fails writes the way a full disk does: wherever the
// write fails, at the last flush too, the old listing stays byte for byte.
TEST_F(ListingUpdateTest, AFailedWriteLeavesTheOldListing) {
  const std::string fresh = MakeListing(2000);
  Serve("/oui/oui.txt", 200, fresh);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = std::signal(SIGXFSZ, SIG_IGN);
  for (const rlim_t limit : {rlim_t{64 * 1024}, rlim_t{fresh.size() - 1}}) {
    SCOPED_TRACE(limit);
    rlimit small = saved;
    small.rlim_cur = limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const UpdateResult result = Update();
    setrlimit(RLIMIT_FSIZE, &saved);
    ExpectUntouched(
        result, {.kind = UpdateFailure::kCannotWrite, .error_number = EFBIG});
  }
  std::signal(SIGXFSZ, previous);
}

TEST_F(ListingUpdateTest, ReportsNetworkFailuresByKind) {
  int closed_port;
  {
    TestHttpServer gone;
    closed_port = gone.port();
  }
  options_.sources[ListingKind::kMaL] =
      "http://127.0.0.1:" + std::to_string(closed_port) + "/oui/oui.txt";
  ExpectUntouched(Update(), {.kind = UpdateFailure::kNetwork,
                             .network = NetworkFailure::kCannotConnect});

  server_.server().Get(
      "/ftp/oui.txt", [](const httplib::Request&, httplib::Response& response) {
        response.set_redirect("ftp://127.0.0.1/oui.txt", 302);
      });
  options_.sources[ListingKind::kMaL] = server_.Url("/ftp/oui.txt");
  ExpectUntouched(Update(), {.kind = UpdateFailure::kNetwork,
                             .network = NetworkFailure::kBadRedirect});

  // A server that redirects for ever is left after a few.
  server_.server().Get("/loop/oui.txt",
                       [&](const httplib::Request&, httplib::Response& r) {
                         r.set_redirect(server_.Url("/loop/oui.txt"), 302);
                       });
  options_.sources[ListingKind::kMaL] = server_.Url("/loop/oui.txt");
  ExpectUntouched(Update(), {.kind = UpdateFailure::kNetwork,
                             .network = NetworkFailure::kTooManyRedirects});
}

// The bar shows the listing's own bytes: a redirect's body never fills it,
// and what has come never passes the total shown.
TEST_F(ListingUpdateTest, ProgressCountsOnlyTheListingsOwnBody) {
  const std::string page(std::size_t{3} << 20, 'x');
  server_.server().Get("/moved/oui.txt",
                       [&](const httplib::Request&, httplib::Response& r) {
                         r.set_redirect(server_.Url("/oui/oui.txt"), 301);
                         r.set_content(page, "text/html");
                       });
  const std::string fresh = MakeListing(30, "New");
  Serve("/oui/oui.txt", 200, fresh);
  options_.sources[ListingKind::kMaL] = server_.Url("/moved/oui.txt");
  std::vector<UpdateStep> steps;
  const UpdateResult result = Update([&](const UpdateStep& step) {
    steps.push_back(step);
    return true;
  });
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  // The listing's size on the wire (compressed or not), as its last step
  // tells it: every step that tells a size tells this one.
  std::int64_t total = -1;
  for (const UpdateStep& step : steps) {
    if (step.listing == 0) total = step.total;
  }
  ASSERT_GT(total, 0);
  for (const UpdateStep& step : steps) {
    if (step.listing != 0) continue;
    // -1 while no size is known, then the listing's own.
    EXPECT_TRUE(step.total == -1 || step.total == total) << step.total;
    EXPECT_LE(step.received, total);
  }
}

// Over TLS the server's certificate is checked against the system's store,
// or the bundle that SSL_CERT_FILE or CURL_CA_BUNDLE names, as behind a
// TLS-inspecting proxy; and a redirect never leaves TLS.
TEST_F(ListingUpdateTest, ChecksTheCertificateAndNeverLeavesTls) {
  const TestFolder folder;
  TestCertificates certificates(folder.path());
  const std::string good = certificates.Issue("good", "IP:127.0.0.1");
  const std::string wrong = certificates.Issue("wrong", "DNS:example.org");
  TestHttpsServer right_name(good.c_str(), certificates.Key("good").c_str());
  TestHttpsServer wrong_name(wrong.c_str(), certificates.Key("wrong").c_str());
  const std::string fresh = MakeListing(21, "Secure");
  for (TestHttpsServer* tls : {&right_name, &wrong_name}) {
    tls->server().Get("/oui/oui.txt",
                      [&](const httplib::Request&, httplib::Response& r) {
                        r.set_content(fresh, "text/plain");
                      });
    tls->server().Get("/down/oui.txt",
                      [&](const httplib::Request&, httplib::Response& r) {
                        r.set_redirect(server_.Url("/oui/oui.txt"), 302);
                      });
  }
  Serve("/oui/oui.txt", 200, fresh);
  const struct {
    TestHttpsServer* server;
    const char* path;
    const char* bundle;  // the variable that names the test's CA, if any
    std::optional<NetworkFailure> says;  // nothing: the update goes through
  } cases[] = {
      {&right_name, "/oui/oui.txt", nullptr, NetworkFailure::kUntrusted},
      {&right_name, "/oui/oui.txt", "SSL_CERT_FILE", std::nullopt},
      {&right_name, "/oui/oui.txt", "CURL_CA_BUNDLE", std::nullopt},
      {&wrong_name, "/oui/oui.txt", "CURL_CA_BUNDLE",
       NetworkFailure::kUntrusted},
      {&right_name, "/down/oui.txt", "SSL_CERT_FILE",
       NetworkFailure::kBadRedirect},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " " + (c.bundle ? c.bundle : "-"));
    ::unsetenv("SSL_CERT_FILE");
    ::unsetenv("CURL_CA_BUNDLE");
    if (c.bundle != nullptr) ::setenv(c.bundle, certificates.ca().c_str(), 1);
    options_.sources = IeeeSources(c.server->Url(""));
    options_.sources[ListingKind::kMaL] = c.server->Url(c.path);
    const UpdateResult result = Update();
    if (c.says) {
      ExpectUntouched(result,
                      {.kind = UpdateFailure::kNetwork, .network = *c.says});
    } else {
      EXPECT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
      EXPECT_TRUE(ReadFile("base.dat") == fresh);
      for (const char* name :
           {"base.dat", "base-mas.dat", "base-mam.dat", "base-iab.dat"}) {
        fs::remove(dir_ / name);
      }
      Write("base.dat", old_listing_);
    }
  }
  ::unsetenv("SSL_CERT_FILE");
  ::unsetenv("CURL_CA_BUNDLE");
}

// The MA-L listing from a server that sends a first line, then nothing.
class StalledServerTest : public ListingUpdateTest {
 protected:
  void SetUp() override {
    ListingUpdateTest::SetUp();
    options_.sources[ListingKind::kMaL] = stalled_.Url("/stalled/oui.txt");
  }

  StalledServer stalled_{R"(.*/oui\.txt)", milliseconds(8000)};
};

TEST_F(StalledServerTest, CancelEndsTheTransferAtOnce) {
  const auto started = Clock::now();
  const UpdateResult result = Update([&](const UpdateStep&) {
    return Clock::now() - started < milliseconds(300);
  });
  // Long before the stall would have ended on its own.
  EXPECT_LT(Clock::now() - started, stalled_.stall() / 2);
  EXPECT_EQ(result.status, UpdateStatus::kCancelled);
  EXPECT_EQ(result.problem.kind, UpdateFailure::kNone);
  EXPECT_TRUE(ReadFile("base.dat") == old_listing_);
  EXPECT_EQ(Files(), std::set<std::string>{"base.dat"});
}

TEST_F(StalledServerTest, GivesUpOnAStallAndOnTheOverallTimeLimit) {
  options_.low_speed_time = std::chrono::seconds(1);
  ExpectUntouched(Update(), {.kind = UpdateFailure::kNetwork,
                             .network = NetworkFailure::kTimedOut});
  options_.low_speed_time = std::chrono::seconds(60);
  options_.time_limit = std::chrono::seconds(1);
  ExpectUntouched(Update(), {.kind = UpdateFailure::kTimeLimit, .count = 1});
}

TEST_F(StalledServerTest, OneUpdateAtATimePerFolder) {
  std::atomic<bool> released{false};
  std::thread first([&] {
    const UpdateResult result =
        Update([&](const UpdateStep&) { return !released; });
    EXPECT_EQ(result.status, UpdateStatus::kCancelled);
  });
  while (!stalled_.requested()) std::this_thread::sleep_for(milliseconds(5));
  const auto started = Clock::now();
  const UpdateResult second = Update();
  EXPECT_LT(Clock::now() - started, milliseconds(1000));  // at once
  released = true;
  stalled_.Release();
  first.join();
  ExpectUntouched(second, {.kind = UpdateFailure::kBusy});
}

TEST_F(ListingUpdateTest, NeverFollowsAPlantedLink) {
  const std::string victim = Path("victim.txt");
  Write("victim.txt", "precious");
  for (const std::string& name :
       {std::string("downloaded-new-base.dat"), std::string("base.dat.new-")}) {
    fs::create_symlink(victim, dir_ / name);
  }
  for (const int status : {404, 200}) {
    SCOPED_TRACE(status);
    Serve("/oui/oui.txt", status, MakeListing(30, "New"));
    Update();
    EXPECT_EQ(ReadFile("victim.txt"), "precious");
    EXPECT_TRUE(fs::is_symlink(dir_ / "downloaded-new-base.dat"));
    EXPECT_FALSE(fs::is_symlink(dir_ / "base.dat"));
    EXPECT_EQ(Files().size(), 4u);  // base.dat, the victim, the two links
  }
  EXPECT_EQ(ReadFile("base.dat"), MakeListing(30, "New"));
}

TEST_F(ListingUpdateTest, CreatesAMissingDatabaseAndReportsOneItCannotReplace) {
  fs::remove(dir_ / "base.dat");
  const std::string fresh = MakeListing(3);
  Serve("/oui/oui.txt", 200, fresh);
  UpdateResult result = Update();
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  EXPECT_TRUE(ReadFile("base.dat") == fresh);

  // A folder in the database's place is no listing to replace.
  fs::remove(dir_ / "base.dat");
  fs::create_directories(dir_ / "base.dat" / "keep");
  result = Update();
  EXPECT_EQ(result.status, UpdateStatus::kFailed);
  EXPECT_EQ(result.problem.kind, UpdateFailure::kCurrentUnreadable);
  EXPECT_EQ(result.problem.read.error_number, EISDIR);
  EXPECT_TRUE(fs::is_directory(dir_ / "base.dat" / "keep"));
  EXPECT_EQ(Files(), std::set<std::string>{"base.dat"});
}

}  // namespace
}  // namespace venmark

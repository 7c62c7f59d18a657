// The update's rules over a stand-in transport, on the file system of
// whichever system runs it: Linux, and Windows under Wine.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "listings/paths.h"
#include "testing/fake_transport.h"
#include "testing/listings.h"
#include "testing/update_problems.h"
#include "update/file_replacement.h"
#include "update/listing_update.h"
#include "update/update_checks.h"

namespace venmark {
namespace {

namespace fs = std::filesystem;

class UpdateLogicTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("venmark-update-" + std::to_string(std::random_device()()));
    fs::create_directory(dir_);
    options_.listing = Utf8FromPath(dir_ / "base.dat");
    options_.sources = IeeeSources("http://ieee");
    Write("base.dat", old_);
    // Every kind of the table served, each in its shape.
    for (const ListingKindRow& row : kListingKinds) {
      transport_.answers[options_.sources[row.kind]] = {
          200, row.kind == ListingKind::kMaL
                   ? MakeListing(30, "New")
                   : MakeKindListing(row.kind, 5, "B")};
    }
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
  }
  std::string Read(const std::string& name) const {
    std::ifstream file(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), {});
  }
  std::set<std::string> Files() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }
  UpdateResult Update(const UpdateProgress& progress = {}) {
    return UpdateListings(options_, transport_, progress);
  }
  FakeTransport::Answer& MaL() {
    return transport_.answers[options_.sources[ListingKind::kMaL]];
  }

  const std::string old_ = MakeListing(20, "Old");
  fs::path dir_;
  UpdateOptions options_;
  FakeTransport transport_;
};

// A listing's kind, as most of its records tell it: the shape of the
// "(base 16)" lines, the local bit of whole prefixes, the IEEE's two IAB
// prefixes under 36-bit blocks.
TEST(KindOfListingTest, TellsEachKindByItsRecords) {
  using enum ListingKind;
  const auto block = [](const char* prefix, const char* range) {
    return std::string(prefix) + "   (hex)\t\tCo\r\n" + range +
           "     (base 16)\t\tCo\r\n\r\n";
  };
  const struct {
    std::string text;
    std::optional<ListingKind> kind;
  } cases[] = {
      {"", std::nullopt},
      {"no records at all\n", std::nullopt},
      {MakeListing(3, "A"), kMaL},
      {MakeKindListing(kCid, 3, "C"), kCid},
      // A few local prefixes in an MA-L listing (DEC's AA-00-04) are kept.
      {MakeListing(3, "A") + block("AA-00-04", "AA0004"), kMaL},
      {block("70-B3-D5", "000000-0FFFFF"), kMaM},
      {block("70-B3-D5", "123000-123FFF"), kMaS},
      {block("00-50-C2", "123000-123FFF"), kIab},
      {block("40-D8-55", "123000-123FFF"), kIab},
      {block("40-D8-56", "123000-123FFF"), kMaS},
      // A "(hex)" key not written with dashes names no prefix.
      {block("00-50:C2", "123000-123FFF"), kMaS},
      {block("00:50-C2", "123000-123FFF"), kMaS},
      // Ranges of no assignment's size, or upside down, are no record.
      {block("70-B3-D5", "000000-00FFFF"), std::nullopt},
      {block("70-B3-D5", "0FFFFF-000000"), std::nullopt},
      {MakeKindListing(kMaM, 3, "M") + block("00-50-C2", "123000-123FFF"),
       kMaM},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(KindOfListing(c.text), c.kind) << c.text;
  }
}

TEST_F(UpdateLogicTest, ReplacesEveryKindWithTheServersDate) {
  MaL().last_modified = 1445412480;  // 2015-10-21 07:28:00 UTC
  const UpdateResult result = Update();
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  EXPECT_EQ(result.records, 30u);
  EXPECT_TRUE(result.kept.empty());
  EXPECT_EQ(Read("base.dat"), MakeListing(30, "New"));
  std::set<std::string> every;
  for (const ListingKindRow& row : kListingKinds) {
    every.emplace(row.our_name);
    if (row.kind == ListingKind::kMaL) continue;
    EXPECT_EQ(Read(std::string(row.our_name)),
              MakeKindListing(row.kind, 5, "B"));
  }
  EXPECT_EQ(Files(), every);
  const auto written =
      std::chrono::file_clock::to_sys(fs::last_write_time(dir_ / "base.dat"));
  EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(
                written.time_since_epoch())
                .count(),
            1445412480);
  // A date no listing can have is the day of the download instead: before
  // 2000, or more than a day ahead of this machine's clock.
  const auto now = std::chrono::system_clock::now();
  const std::int64_t seconds_now =
      std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch())
          .count();
  for (const std::int64_t date :
       {std::int64_t{0}, std::int64_t{946684799}, std::int64_t{4102444800},
        seconds_now + 24 * 60 * 60 + 600}) {
    MaL().last_modified = date;
    ASSERT_EQ(Update().status, UpdateStatus::kUpdated) << date;
    const auto day =
        std::chrono::file_clock::to_sys(fs::last_write_time(dir_ / "base.dat"));
    EXPECT_LT(std::chrono::abs(day - now), std::chrono::hours(1)) << date;
  }
  // The earliest taken, and a clock a little behind the server's.
  for (const std::int64_t date :
       {std::int64_t{946684800}, seconds_now + 24 * 60 * 60 - 600}) {
    MaL().last_modified = date;
    ASSERT_EQ(Update().status, UpdateStatus::kUpdated);
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(
                  std::chrono::file_clock::to_sys(
                      fs::last_write_time(dir_ / "base.dat"))
                      .time_since_epoch())
                  .count(),
              date);
  }
}

TEST_F(UpdateLogicTest, RefusesWhatIsNoWholeListingAndLeavesNothingBehind) {
  const std::string fresh = MakeListing(30, "New");
  const struct {
    int status;
    std::string body;
    UpdateProblem says;
  } cases[] = {
      {404, fresh, {.kind = UpdateFailure::kHttpStatus, .count = 404}},
      {200,
       "<html>Request Rejected</html>",
       {.kind = UpdateFailure::kNotAListing}},
      {200,
       MakeListing(9, "Short"),
       {.kind = UpdateFailure::kTooFew, .count = 9, .other = 20}},
      {200,
       fresh.substr(0, fresh.size() - 5),
       {.kind = UpdateFailure::kCutOff}},
      {200,
       fresh.substr(0, fresh.rfind("\r\n00") + 2),
       {.kind = UpdateFailure::kCutOff}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(Debug(c.says));
    MaL() = {c.status, c.body};
    const UpdateResult result = Update();
    EXPECT_EQ(result.status, UpdateStatus::kFailed);
    EXPECT_EQ(Debug(result.problem), Debug(c.says));
    EXPECT_EQ(Read("base.dat"), old_);
    EXPECT_EQ(Files(), std::set<std::string>{"base.dat"});
  }
  options_.max_bytes = 1000;
  MaL() = {200, fresh};
  const UpdateProblem large = Update().problem;
  EXPECT_EQ(large.kind, UpdateFailure::kTooLarge);
  EXPECT_EQ(large.count, 1000);
  EXPECT_EQ(Files(), std::set<std::string>{"base.dat"});
}

TEST_F(UpdateLogicTest, ACompanionThatFailsKeepsItsOldFile) {
  Write("base-mas.dat", MakeBlockListing(10, "Old"));
  transport_.answers[options_.sources[ListingKind::kMaS]] = {
      200, MakeBlockListing(4, "Few")};
  transport_.answers[options_.sources[ListingKind::kIab]] = {500, ""};
  const UpdateResult result = Update();
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  ASSERT_EQ(result.kept.size(), 2u);
  EXPECT_EQ(result.kept[0].kind, ListingKind::kMaS);
  EXPECT_EQ(result.kept[0].path, Utf8FromPath(dir_ / "base-mas.dat"));
  EXPECT_EQ(result.kept[0].why.kind, UpdateFailure::kTooFew);
  EXPECT_EQ(result.kept[1].kind, ListingKind::kIab);
  EXPECT_EQ(Debug(result.kept[1].why),
            Debug({.kind = UpdateFailure::kHttpStatus, .count = 500}));
  EXPECT_EQ(Read("base-mas.dat"), MakeBlockListing(10, "Old"));
  EXPECT_EQ(Files(), (std::set<std::string>{"base.dat", "base-mam.dat",
                                            "base-mas.dat", "base-cid.dat"}));
}

TEST_F(UpdateLogicTest, TriesABrowserAgentOnlyWhenTurnedAway) {
  transport_.admitted_prefix = "Mozilla/5.0 (";
  for (const int refusal : {403, 418}) {
    SCOPED_TRACE(refusal);
    transport_.refusal = refusal;
    transport_.agents.clear();
    ASSERT_EQ(Update().status, UpdateStatus::kUpdated);
    // MA-L twice, then the rest.
    ASSERT_EQ(transport_.agents.size(), kListingKindCount + 1);
    EXPECT_EQ(transport_.agents[0], "fake/1.0");
    for (std::size_t i = 1; i < transport_.agents.size(); ++i) {
      EXPECT_TRUE(transport_.agents[i].starts_with("Mozilla/5.0 ("));
    }
    Write("base.dat", old_);
  }
  transport_.agents.clear();
  transport_.admitted_prefix = "";
  ASSERT_EQ(Update().status, UpdateStatus::kUpdated);
  EXPECT_EQ(transport_.agents,
            std::vector<std::string>(kListingKindCount, "fake/1.0"));
}

TEST_F(UpdateLogicTest, CancelAndABusyFolderReplaceNothing) {
  int calls = 0;
  const UpdateResult cancelled =
      Update([&](const UpdateStep&) { return ++calls < 3; });
  EXPECT_EQ(cancelled.status, UpdateStatus::kCancelled);
  EXPECT_EQ(Read("base.dat"), old_);
  EXPECT_EQ(Files(), std::set<std::string>{"base.dat"});
  // A cancel that comes once every listing has arrived still keeps them
  // out.
  EXPECT_EQ(Update([&](const UpdateStep& step) {
              return step.listing < 3 || step.received < step.total;
            }).status,
            UpdateStatus::kCancelled);
  EXPECT_EQ(Read("base.dat"), old_);
  EXPECT_EQ(Files(), std::set<std::string>{"base.dat"});

  const Result<FolderLock, LockRefusal> held =
      FolderLock::TryTake(Utf8FromPath(dir_));
  ASSERT_TRUE(held) << held.problem().error_number;
  const UpdateResult busy = Update();
  EXPECT_EQ(busy.problem.kind, UpdateFailure::kBusy) << Debug(busy.problem);
  EXPECT_EQ(Read("base.dat"), old_);
}

// An origin names its listings whatever its case and trailing slashes;
// only https:// and http:// are fetched.
TEST(UpdateSourcesTest, AnOriginNamesItsListings) {
  const struct {
    const char* origin;
    const char* ma_l;
    bool fetched;
  } cases[] = {
      {"https://mirror", "https://mirror/oui/oui.txt", true},
      {"https://mirror/", "https://mirror/oui/oui.txt", true},
      {"https://mirror/ieee//", "https://mirror/ieee/oui/oui.txt", true},
      {"HTTPS://Mirror", "HTTPS://Mirror/oui/oui.txt", true},
      {"Http://mirror:8080", "Http://mirror:8080/oui/oui.txt", true},
      {"ftp://mirror", "ftp://mirror/oui/oui.txt", false},
      {"https:/mirror", "https:/mirror/oui/oui.txt", false},
      {"mirror", "mirror/oui/oui.txt", false},
      {"", "/oui/oui.txt", false},
  };
  for (const auto& c : cases) {
    const UpdateSources sources = IeeeSources(c.origin);
    EXPECT_EQ(sources[ListingKind::kMaL], c.ma_l);
    EXPECT_TRUE(sources[ListingKind::kIab].ends_with("/iab/iab.txt"));
    EXPECT_EQ(CheckSources(sources).ok(), c.fetched) << c.origin;
  }
}

// A new listing holds from 98 % to 150 % of the records of the one it is
// held to, both edges taken.
TEST(UpdateChecksTest, ANewListingIsMuchLikeTheOld) {
  const struct {
    std::size_t fetched, current;
    UpdateFailure kind;
  } cases[] = {
      {98, 100, UpdateFailure::kNone},  {97, 100, UpdateFailure::kTooFew},
      {150, 100, UpdateFailure::kNone}, {151, 100, UpdateFailure::kTooMany},
      {49, 50, UpdateFailure::kNone},   {48, 50, UpdateFailure::kTooFew},
      {1, 0, UpdateFailure::kNone},     {100000, 0, UpdateFailure::kNone},
  };
  for (const auto& c : cases) {
    const Result<Done, UpdateProblem> alike =
        CheckRecordCount(c.fetched, c.current);
    EXPECT_EQ(alike.ok(), c.kind == UpdateFailure::kNone)
        << c.fetched << " of " << c.current;
    if (!alike) {
      EXPECT_EQ(alike.problem().kind, c.kind);
      EXPECT_EQ(alike.problem().count, static_cast<std::int64_t>(c.fetched));
      EXPECT_EQ(alike.problem().other, static_cast<std::int64_t>(c.current));
    }
  }
}

// Each companion is held to its own file, or to its own twin beside the
// listing in use, never to the MA-L listing's count.
TEST_F(UpdateLogicTest, EachCompanionIsHeldToItsOwnFile) {
  Write("base-mas.dat", MakeBlockListing(100, "Old"));
  transport_.answers[options_.sources[ListingKind::kMaS]] = {
      200, MakeBlockListing(99, "New")};
  UpdateResult result = Update();
  ASSERT_EQ(result.status, UpdateStatus::kUpdated);
  EXPECT_TRUE(result.kept.empty()) << Debug(result.kept[0].why);
  EXPECT_EQ(Read("base-mas.dat"), MakeBlockListing(99, "New"));

  // A new folder, held to the listings in use in another.
  fs::create_directory(dir_ / "in-use");
  WriteWholeFile(dir_ / "in-use" / "base.dat", MakeListing(30, "In use"));
  WriteWholeFile(dir_ / "in-use" / "base-mam.dat",
                 MakeKindListing(ListingKind::kMaM, 50, "M"));
  options_.reference = Utf8FromPath(dir_ / "in-use" / "base.dat");
  fs::create_directory(dir_ / "new");
  options_.listing = Utf8FromPath(dir_ / "new" / "base.dat");
  transport_.answers[options_.sources[ListingKind::kMaM]] = {
      200, MakeKindListing(ListingKind::kMaM, 5, "M")};
  result = Update();
  ASSERT_EQ(result.status, UpdateStatus::kUpdated);
  ASSERT_EQ(result.kept.size(), 1u);
  EXPECT_EQ(result.kept[0].kind, ListingKind::kMaM);
  EXPECT_EQ(Debug(result.kept[0].why),
            Debug({.kind = UpdateFailure::kTooFew, .count = 5, .other = 50}));
}

// A transfer that fails within a second of the update's deadline ran out
// of the update's time; one that fails sooner failed on its own.
TEST_F(UpdateLogicTest, AFailureAtTheDeadlineIsTheDeadlines) {
  MaL() = {0};
  const struct {
    int seconds;
    UpdateFailure kind;
  } cases[] = {{1, UpdateFailure::kTimeLimit}, {30, UpdateFailure::kNetwork}};
  for (const auto& c : cases) {
    options_.time_limit = std::chrono::seconds(c.seconds);
    const UpdateProblem problem = Update().problem;
    EXPECT_EQ(problem.kind, c.kind) << c.seconds;
    if (c.kind == UpdateFailure::kTimeLimit) {
      EXPECT_EQ(problem.count, c.seconds);
    }
  }
}

// Each transfer gets what is left of the time of the whole update.
TEST_F(UpdateLogicTest, PassesTheTimeLeftToEachTransfer) {
  options_.time_limit = std::chrono::seconds(7);
  ASSERT_EQ(Update().status, UpdateStatus::kUpdated);
  ASSERT_EQ(transport_.time_limits.size(), kListingKindCount);
  for (const std::chrono::milliseconds left : transport_.time_limits) {
    EXPECT_GT(left.count(), 0);
    EXPECT_LE(left.count(), 7000);
  }
}

// Only a listing is ever replaced, only by a listing much like it, and
// only what killed updates left is cleared away.
TEST_F(UpdateLogicTest, ReplacesOnlyAListingWithOneLikeIt) {
  // What a killed update left beside each kind's file.
  std::set<std::string> kept{"base.dat.new-mine", "notes.txt.new-Ab12Cd"};
  for (const ListingKindRow& row : kListingKinds) {
    Write(std::string(row.our_name) + ".new-Ab12Cd", "half a listing");
    kept.emplace(row.our_name);
  }
  Write("base-mas.dat.new-x9Y8z7", "");
  Write("base.dat.new-mine", "not ours");
  Write("notes.txt.new-Ab12Cd", "not ours");
  ASSERT_EQ(Update().status, UpdateStatus::kUpdated);
  EXPECT_EQ(Files(), kept);

  // A file that is no listing stays as it is, and says why.
  Write("base.dat", "notes\n");
  Write("base-mas.dat", "more notes\n");
  UpdateResult result = Update();
  EXPECT_EQ(result.status, UpdateStatus::kFailed);
  EXPECT_EQ(Debug(result.problem),
            Debug({.kind = UpdateFailure::kCurrentNotAListing,
                   .path = Utf8FromPath(dir_ / "base.dat")}));
  EXPECT_EQ(Read("base.dat"), "notes\n");
  Write("base.dat", old_);
  result = Update();
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  EXPECT_EQ(Read("base-mas.dat"), "more notes\n");
  ASSERT_FALSE(result.kept.empty());
  EXPECT_EQ(result.kept[0].why.kind, UpdateFailure::kCurrentNotAListing);
  // It is there: told as kept, not as not got.
  EXPECT_TRUE(result.kept[0].existed);

  // A new listing is held to the one in use: 30 records against 100.
  fs::remove(dir_ / "base.dat");
  Write("in-use.dat", MakeListing(100, "In use"));
  options_.reference = Utf8FromPath(dir_ / "in-use.dat");
  result = Update();
  EXPECT_EQ(Debug(result.problem),
            Debug({.kind = UpdateFailure::kTooFew, .count = 30, .other = 100}));
  EXPECT_FALSE(fs::exists(dir_ / "base.dat"));
  MaL() = {200, MakeListing(120, "New")};
  EXPECT_EQ(Update().status, UpdateStatus::kUpdated);

  // Addresses the update cannot fetch are named as such.
  options_.sources[ListingKind::kIab] = "ftp://ieee/iab.txt";
  result = Update();
  EXPECT_EQ(Debug(result.problem), Debug({.kind = UpdateFailure::kBadSource,
                                          .path = "ftp://ieee/iab.txt"}));
}

#ifdef _WIN32
// A listing another program holds open is told as busy, not as one the
// user may not read or replace.
TEST_F(UpdateLogicTest, AListingHeldOpenIsBusyNotForbidden) {
  const std::wstring path = (dir_ / "base.dat").wstring();
  for (const DWORD share : {DWORD{0}, DWORD{FILE_SHARE_READ}}) {
    const HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, share, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const UpdateResult result = Update();
    CloseHandle(held);
    EXPECT_EQ(result.status, UpdateStatus::kFailed);
    const UpdateProblem& problem = result.problem;
    EXPECT_EQ(share == 0 ? problem.read.error_number : problem.error_number,
              EBUSY)
        << Debug(problem);
    EXPECT_EQ(Read("base.dat"), old_);
  }
}
#endif

#ifndef _WIN32
// A link from the user's folder into the system's is the system's folder;
// a link planted at the lock's name is never followed.
TEST_F(UpdateLogicTest, NeitherLinksIntoUsrNorALinkedLockAreFollowed) {
  fs::create_directory_symlink("/usr/share", dir_ / "share");
  options_.listing = Utf8FromPath(dir_ / "share" / "base.dat");
  EXPECT_EQ(Update().problem.kind, UpdateFailure::kSystemFolder);
  EXPECT_TRUE(InSystemFolder("/usr/share/ieee-data/oui.txt"));
  EXPECT_TRUE(InSystemFolder("/usr/base.dat"));
  EXPECT_FALSE(InSystemFolder("/usrlocal/base.dat"));
  EXPECT_FALSE(InSystemFolder(Utf8FromPath(dir_ / "base.dat")));

  options_.listing = Utf8FromPath(dir_ / "base.dat");
  Write("victim.txt", "precious");
  fs::create_symlink(dir_ / "victim.txt", dir_ / ".venmark-update.lock");
  const UpdateResult result = Update();
  EXPECT_EQ(result.problem.kind, UpdateFailure::kCannotLock);
  EXPECT_EQ(result.problem.error_number, ELOOP);
  EXPECT_EQ(Read("victim.txt"), "precious");
  EXPECT_EQ(Read("base.dat"), old_);
}

// The system's files are never written, and a replaced file keeps its
// owner, group and mode, a new one the umask's.
TEST_F(UpdateLogicTest, KeepsOwnersAndLeavesTheSystemsFilesAlone) {
  options_.listing = "/usr/share/ieee-data/oui.txt";
  const UpdateResult refused = Update();
  EXPECT_EQ(refused.status, UpdateStatus::kFailed);
  EXPECT_EQ(refused.problem.kind, UpdateFailure::kSystemFolder)
      << Debug(refused.problem);
  options_.listing = Utf8FromPath(dir_ / "base.dat");

  const bool root = ::geteuid() == 0;
  if (root) {
    ASSERT_EQ(::chown((dir_ / "base.dat").c_str(), 1000, 1001), 0);
  }
  ::chmod((dir_ / "base.dat").c_str(), 0640);
  fs::remove(dir_ / "base-mas.dat");
  const mode_t saved = ::umask(077);
  const UpdateResult result = Update();
  ::umask(saved);
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  struct stat replaced {
  }, made{};
  ASSERT_EQ(::stat((dir_ / "base.dat").c_str(), &replaced), 0);
  ASSERT_EQ(::stat((dir_ / "base-mas.dat").c_str(), &made), 0);
  EXPECT_EQ(replaced.st_mode & 07777, 0640u);
  EXPECT_EQ(made.st_mode & 07777, 0600u);
  if (root) {
    EXPECT_EQ(replaced.st_uid, 1000u);
    EXPECT_EQ(replaced.st_gid, 1001u);
  }
}

// Runs update in a child process as user 1000 with the groups given (the
// first its own), in a folder every user may reach; the child's exit
// status: the failure's kind, or 100 and the number of notes after an
// update. Needs root.
class SharedFolderTest : public testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "only root may act as other users";
    char name[] = "/var/tmp/venmark-shared-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    dir_ = name;
    ::chmod(dir_.c_str(), 0755);
    folder_ = dir_ / "shared";
    fs::create_directory(folder_);
    options_.listing = Utf8FromPath(folder_ / "base.dat");
    options_.sources = IeeeSources("http://ieee");
    transport_.answers[options_.sources[ListingKind::kMaL]] = {
        200, MakeListing(30, "New")};
    Make("base.dat", MakeListing(30, "Old"), 0, 2000, 0640);
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  void Make(const std::string& name, const std::string& text, uid_t owner,
            gid_t group, mode_t mode) {
    std::ofstream(folder_ / name, std::ios::binary) << text;
    ASSERT_EQ(::chown((folder_ / name).c_str(), owner, group), 0);
    ASSERT_EQ(::chmod((folder_ / name).c_str(), mode), 0);
  }

  int UpdateAs(std::vector<gid_t> groups) {
    const pid_t child = ::fork();
    if (child == 0) {
      if (::setgroups(groups.size(), groups.data()) != 0 ||
          ::setgid(groups[0]) != 0 || ::setuid(1000) != 0) {
        ::_exit(99);
      }
      const UpdateResult result = UpdateListings(options_, transport_, {});
      ::_exit(result.status == UpdateStatus::kUpdated
                  ? 100 + static_cast<int>(result.notes.size())
                  : static_cast<int>(result.problem.kind));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  struct stat Stat(const std::string& name) const {
    struct stat info {};
    ::stat((folder_ / name).c_str(), &info);
    return info;
  }

  fs::path dir_, folder_;
  UpdateOptions options_;
  FakeTransport transport_;
};

// A member of the folder's group keeps the listing the group's, mode and
// all; one who is not says that the group could not be kept.
TEST_F(SharedFolderTest, AnUpdateKeepsTheGroupWhereTheUserMay) {
  ASSERT_EQ(::chown(folder_.c_str(), 0, 2000), 0);
  ASSERT_EQ(::chmod(folder_.c_str(), 02775), 0);
  EXPECT_EQ(UpdateAs({1000, 2000}), 100);
  EXPECT_EQ(Stat("base.dat").st_gid, 2000u);
  EXPECT_EQ(Stat("base.dat").st_mode & 07777, 0640u);
  EXPECT_EQ(Stat("base.dat").st_uid, 1000u);  // none may give it away

  // A listing the user may read, of a group they are not in.
  Make("base.dat", MakeListing(30, "Old"), 0, 3000, 0644);
  ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
  EXPECT_EQ(UpdateAs({1000, 2000}), 101);  // one note: the group
  EXPECT_NE(Stat("base.dat").st_gid, 3000u);
  EXPECT_EQ(Stat("base.dat").st_mode & 07777, 0644u);
}

// A lock left by another user's killed update is taken over where the
// folder lets this user remove it; one of an update that still runs says
// so; one in a folder where only its owner may remove it names its owner.
TEST_F(SharedFolderTest, AnotherUsersLockIsTakenOverOrNamed) {
  ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
  Make("base.dat", MakeListing(30, "Old"), 0, 1000, 0644);
  const std::string lock = ".venmark-update.lock";
  // An older, private lock, long left.
  Make(lock, "", 0, 0, 0600);
  const timespec old[2] = {{::time(nullptr) - 7200, 0},
                           {::time(nullptr) - 7200, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, (folder_ / lock).c_str(), old, 0), 0);
  EXPECT_EQ(UpdateAs({1000}), 100);
  EXPECT_FALSE(fs::exists(folder_ / lock));
  // A young private one may be a running update's.
  Make(lock, "", 0, 0, 0600);
  EXPECT_EQ(UpdateAs({1000}), static_cast<int>(UpdateFailure::kBusy));

  // Root's update running now.
  fs::remove(folder_ / lock);
  {
    const Result<FolderLock, LockRefusal> held =
        FolderLock::TryTake(Utf8FromPath(folder_));
    ASSERT_TRUE(held);
    EXPECT_EQ(UpdateAs({1000}), static_cast<int>(UpdateFailure::kBusy));
  }

  // Killed, in a sticky folder the user may not remove it from.
  Make(lock, "", 0, 0, 0644);
  ASSERT_EQ(::chmod(folder_.c_str(), 01777), 0);
  EXPECT_EQ(UpdateAs({1000}), static_cast<int>(UpdateFailure::kStaleLock));
  ASSERT_EQ(::chmod(folder_.c_str(), 0777), 0);
  EXPECT_EQ(UpdateAs({1000}), 100);
  // The problem as told, naming whose lock it is.
  ASSERT_EQ(::chmod(folder_.c_str(), 01777), 0);
  Make(lock, "", 0, 0, 0644);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setuid(1000) != 0) ::_exit(99);
    const Result<FolderLock, LockRefusal> refused =
        FolderLock::TryTake(Utf8FromPath(folder_));
    ::_exit(!refused && refused.problem().stale_owner == "root" &&
                    refused.problem().lock_file == Utf8FromPath(folder_ / lock)
                ? 0
                : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}
#endif

}  // namespace
}  // namespace venmark

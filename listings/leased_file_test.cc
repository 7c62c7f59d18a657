#include "listings/leased_file.h"

#include <gtest/gtest.h>

#ifdef __linux__
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <sstream>
#include <string>
#include <vector>

#include "listings/listing_file.h"
#include "testing/listings.h"

namespace venmark {
namespace {

#ifdef __linux__

// A listing-sized text whose every line differs.
std::string Lines(const std::string& word, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += word + " " + std::to_string(i) + "\n";
  }
  return text;
}

// Whether /proc/locks shows a lease on the file at path.
bool Leased(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return false;
  std::ifstream locks("/proc/locks");
  const std::string inode = ":" + std::to_string(status.st_ino) + " ";
  for (std::string line; std::getline(locks, line);) {
    if (line.find("LEASE") != std::string::npos &&
        line.find(inode) != std::string::npos) {
      return true;
    }
  }
  return false;
}

// Runs write on another thread; true when it is over within a deadline far
// beyond the moment a kept lease lets go, far below the kernel's own 45 s.
bool WritesSoon(std::function<void()> write) {
  std::future<void> done = std::async(std::launch::async, std::move(write));
  return done.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
}

// Every way a file is rewritten where it stands holds the writer until the
// mapping is a copy of the old bytes; the mapping then reads the old file,
// the file holds the new one, and the lease is gone.
TEST(LeasedFileTest, KeepsTheOldBytesWhateverRewritesTheFile) {
  const std::string old_text = Lines("old", 20000);
  const std::string new_text = Lines("new", 500);
  struct Case {
    const char* name;
    std::function<void(const std::string& path)> rewrite;
    std::string after;  // what the file then holds
  };
  const std::vector<Case> cases = {
      {"written over", [&](const std::string& path) {
         std::ofstream(path, std::ios::binary | std::ios::trunc) << new_text;
       }, new_text},
      {"cut", [](const std::string& path) { ::truncate(path.c_str(), 0); },
       ""},
      {"changed inside", [](const std::string& path) {
         const int fd = ::open(path.c_str(), O_WRONLY);
         ASSERT_EQ(::pwrite(fd, "NEW", 3, 0), 3);
         ::close(fd);
       }, "NEW" + old_text.substr(3)},
      {"cp from another process", [&](const std::string& path) {
         WriteWholeFile(path + ".new", new_text);
         ASSERT_EQ(std::system(("cp '" + path + ".new' '" + path + "'").c_str()),
                   0);
       }, new_text},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TestFolder folder;
    const std::string path = Utf8FromPath(folder / "base.dat");
    WriteWholeFile(path, old_text);
    std::optional<LeasedFile> mapped = LeasedFile::Map(path, 1 << 20);
    ASSERT_TRUE(mapped);
    EXPECT_TRUE(mapped->shared());
    EXPECT_TRUE(Leased(path));
    ASSERT_EQ(mapped->view(), old_text);

    ASSERT_TRUE(WritesSoon([&] { c.rewrite(path); }));
    EXPECT_EQ(mapped->view(), old_text);
    EXPECT_FALSE(mapped->shared());
    EXPECT_FALSE(Leased(path));
    EXPECT_EQ(ReadWholeFile(path), c.after);
  }
}

// A reader on another thread sees the same bytes all through the copy.
TEST(LeasedFileTest, ReadersSeeOneFileWhileItIsCopied) {
  const TestFolder folder;
  const std::string path = Utf8FromPath(folder / "base.dat");
  const std::string old_text = Lines("old", 200000);
  WriteWholeFile(path, old_text);
  std::optional<LeasedFile> mapped = LeasedFile::Map(path, 16 << 20);
  ASSERT_TRUE(mapped);
  std::atomic<bool> written{false};
  std::future<int> reads = std::async(std::launch::async, [&] {
    int wrong = 0;
    while (!written.load()) wrong += mapped->view() != old_text;
    return wrong;
  });
  ASSERT_TRUE(WritesSoon([&] {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "short";
  }));
  written = true;
  EXPECT_EQ(reads.get(), 0);
  EXPECT_EQ(mapped->view(), old_text);
}

// What cannot be leased or mapped is left to reading, at once: an empty
// file, a folder, a FIFO, a missing file, one over the size allowed, one
// somebody holds open for writing.
TEST(LeasedFileTest, LeavesToReadingWhatCannotBeLeased) {
  const TestFolder folder;
  const std::string base = Utf8FromPath(folder / "base.dat");
  WriteWholeFile(base, Lines("old", 10));
  const std::string empty = Utf8FromPath(folder / "empty.dat");
  WriteWholeFile(empty, "");
  const std::string fifo = Utf8FromPath(folder / "fifo.dat");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

  EXPECT_FALSE(LeasedFile::Map(empty, 1 << 20));
  EXPECT_FALSE(LeasedFile::Map(Utf8FromPath(folder.path()), 1 << 20));
  EXPECT_FALSE(LeasedFile::Map(fifo, 1 << 20));
  EXPECT_FALSE(LeasedFile::Map(base + ".none", 1 << 20));
  EXPECT_FALSE(LeasedFile::Map(base, 10));  // 60 bytes
  EXPECT_TRUE(LeasedFile::Map(base, 60));
  {
    std::ofstream writer(base, std::ios::binary | std::ios::app);
    EXPECT_FALSE(LeasedFile::Map(base, 1 << 20));
    // Read instead, whole.
    ListingBytes bytes;
    ReadFailure why;
    ASSERT_TRUE(ListingBytes::Read(base, &bytes, &why));
    EXPECT_EQ(bytes.view(), Lines("old", 10));
    EXPECT_FALSE(bytes.shared());
  }
  ListingBytes bytes;
  ReadFailure why;
  ASSERT_TRUE(ListingBytes::Read(base, &bytes, &why));
  EXPECT_TRUE(bytes.shared());
  EXPECT_FALSE(Leased(base + ".none"));
}

// A process holds a bounded number of leases; each one given back, by its
// end or by moving another over it, makes room for the next, and a moved
// one keeps its bytes and its lease.
TEST(LeasedFileTest, GivesLeasesBack) {
  const TestFolder folder;
  std::vector<LeasedFile> held;
  std::vector<std::string> paths;
  for (int i = 0;; ++i) {
    paths.push_back(Utf8FromPath(folder / ("file" + std::to_string(i))));
    WriteWholeFile(paths.back(), Lines("file" + std::to_string(i), 3));
    std::optional<LeasedFile> mapped = LeasedFile::Map(paths.back(), 1 << 20);
    if (!mapped) break;
    held.push_back(std::move(*mapped));
    ASSERT_LT(i, 1000);
  }
  ASSERT_GE(held.size(), 8u);
  const std::string last = paths.back();
  EXPECT_FALSE(Leased(last));

  held.erase(held.begin());  // moves each one after it down
  EXPECT_FALSE(Leased(paths[0]));
  for (std::size_t i = 0; i < held.size(); ++i) {
    EXPECT_EQ(held[i].view(), Lines("file" + std::to_string(i + 1), 3));
    EXPECT_TRUE(Leased(paths[i + 1]));
  }
  std::optional<LeasedFile> again = LeasedFile::Map(last, 1 << 20);
  ASSERT_TRUE(again);
  EXPECT_TRUE(Leased(last));
  held.back() = std::move(*again);
  EXPECT_FALSE(Leased(paths[held.size()]));
  EXPECT_EQ(held.back().view(), ReadWholeFile(last));
  held.clear();
  for (const std::string& path : paths) EXPECT_FALSE(Leased(path));
}

// A program started with standard input closed still finds it closed
// after mapping a listing, not the listing in its place.
TEST(LeasedFileTest, LeavesStandardInputClosed) {
  const TestFolder folder;
  const std::string path = Utf8FromPath(folder / "base.dat");
  WriteWholeFile(path, Lines("old", 10));
  const int saved = ::dup(STDIN_FILENO);
  ::close(STDIN_FILENO);
  std::optional<LeasedFile> mapped = LeasedFile::Map(path, 1 << 20);
  const int next = ::open("/dev/null", O_RDONLY);
  ::dup2(saved, STDIN_FILENO);
  ::close(saved);
  if (next != STDIN_FILENO) ::close(next);
  ASSERT_TRUE(mapped);
  EXPECT_EQ(next, STDIN_FILENO);
  EXPECT_EQ(mapped->view(), Lines("old", 10));
  ASSERT_TRUE(WritesSoon([&] { WriteWholeFile(path, "new"); }));
  EXPECT_EQ(mapped->view(), Lines("old", 10));
}

// Run as a process of its own by the test after it: a program whose own
// handler serves the signal keeps it, and its listings are read.
TEST(LeasedFileTest, DISABLED_LeavesATakenSignalAlone) {
  struct sigaction own {};
  own.sa_handler = [](int) {};
  sigemptyset(&own.sa_mask);
  ASSERT_EQ(::sigaction(LeasedFile::BreakSignal(), &own, nullptr), 0);
  const TestFolder folder;
  const std::string path = Utf8FromPath(folder / "base.dat");
  WriteWholeFile(path, Lines("old", 10));
  EXPECT_FALSE(LeasedFile::Map(path, 1 << 20));
  struct sigaction after {};
  ASSERT_EQ(::sigaction(LeasedFile::BreakSignal(), nullptr, &after), 0);
  EXPECT_EQ(after.sa_handler, own.sa_handler);
}

TEST(LeasedFileTest, LeavesASignalTheProgramUsesAlone) {
  char self[4096] = {};
  ASSERT_GT(::readlink("/proc/self/exe", self, sizeof self - 1), 0);
  EXPECT_EQ(std::system((std::string("'") + self +
                         "' --gtest_also_run_disabled_tests "
                         "--gtest_filter=LeasedFileTest.DISABLED_"
                         "LeavesATakenSignalAlone >/dev/null 2>&1")
                            .c_str()),
            0);
}

#else

TEST(LeasedFileTest, LeavesEveryFileToReading) {
  const TestFolder folder;
  const std::string path = Utf8FromPath(folder / "base.dat");
  WriteWholeFile(path, "text\n");
  EXPECT_FALSE(LeasedFile::Map(path, 1 << 20));
}

#endif

}  // namespace
}  // namespace venmark

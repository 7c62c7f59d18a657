#include "listings/file_read.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "listings/paths.h"
#include "testing/listings.h"

namespace venmark {
namespace {

namespace fs = std::filesystem;

// What cannot be a listing is refused at once, and by kind; a FIFO is
// refused without waiting for a writer that never comes.
TEST(FileReadTest, ReadsARegularFileWholeAndRefusesTheRest) {
  const TestFolder folder;
  WriteWholeFile(folder / "listing", "00-1A-2B   (hex)\t\tExample\r\n");
  WriteWholeFile(folder / "unended", "00-1A-2B   (hex)\t\tNo line end");
  // Written long ago: a file that simply lacks its last line end.
  fs::last_write_time(folder / "unended",
                      fs::file_time_type::clock::now() - std::chrono::hours(1));
  ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
  fs::create_directory(folder / "folder");
  using Kind = ReadFailure::Kind;
  const struct {
    std::string path;
    std::size_t max;
    bool read;
    Kind kind;
    int error_number;
    std::string text;
  } cases[] = {
      {Utf8FromPath(folder / "listing"), 100, true, Kind::kSystem, 0,
       "00-1A-2B   (hex)\t\tExample\r\n"},
      {Utf8FromPath(folder / "unended"), 100, true, Kind::kSystem, 0,
       "00-1A-2B   (hex)\t\tNo line end"},
      // Exactly at the limit is read; a byte over is not.
      {Utf8FromPath(folder / "listing"), 27, true, Kind::kSystem, 0,
       "00-1A-2B   (hex)\t\tExample\r\n"},
      {Utf8FromPath(folder / "listing"), 26, false, Kind::kTooLarge, 0, ""},
      {Utf8FromPath(folder / "missing"), 100, false, Kind::kSystem, ENOENT, ""},
      {Utf8FromPath(folder / "folder"), 100, false, Kind::kSystem, EISDIR, ""},
      {Utf8FromPath(folder / "fifo"), 100, false, Kind::kNotAFile, 0, ""},
      {"/dev/zero", 100, false, Kind::kNotAFile, 0, ""},
  };
  for (const auto& c : cases) {
    const Result<FileBytes, ReadFailure> bytes = ReadRegularFile(c.path, c.max);
    ASSERT_EQ(bytes.ok(), c.read) << c.path;
    if (c.read) {
      EXPECT_EQ(bytes->view(), c.text) << c.path;
      EXPECT_EQ(bytes->stamp, StampOf(c.path)) << c.path;
    } else {
      EXPECT_EQ(bytes.problem().kind, c.kind) << c.path;
      EXPECT_EQ(bytes.problem().error_number, c.error_number) << c.path;
    }
  }
}

// A file written to all the while is read again a few times, then
// refused as changing: never taken half-written.
TEST(FileReadTest, RefusesAFileThatKeepsChanging) {
  const TestFolder folder;
  const fs::path path = folder / "growing";
  WriteWholeFile(path, "00-1A-2B   (hex)\t\tExample\r\n");
  std::atomic<bool> stop = false;
  std::thread writer([&] {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    while (!stop) {
      std::fputc('x', file);
      std::fflush(file);
    }
    std::fclose(file);
  });
  while (fs::file_size(path) < 100) std::this_thread::yield();
  const Result<FileBytes, ReadFailure> read =
      ReadRegularFile(Utf8FromPath(path), 1 << 24);
  stop = true;
  writer.join();
  ASSERT_FALSE(read);
  EXPECT_EQ(read.problem().kind, ReadFailure::Kind::kChanging);
  // Once the writer is done, the same file reads at once.
  WriteWholeFile(path, "00-1A-2B   (hex)\t\tExample\r\n");
  EXPECT_TRUE(ReadRegularFile(Utf8FromPath(path), 1 << 24));
}

// A piece filter that keeps the whole text.
class Collect : public PieceFilter {
 public:
  void Restart() override { text.clear(); }
  std::size_t Take(std::string_view piece, bool) override {
    text.append(piece);
    return piece.size();
  }
  std::string text;
};

// Reads path whole, or a few bytes at a time through a filter.
bool Read(const fs::path& path, bool in_pieces, std::string* text,
          ReadFailure* why) {
  if (!in_pieces) {
    const Result<FileBytes, ReadFailure> bytes =
        ReadRegularFile(Utf8FromPath(path), 1 << 24);
    if (!bytes) {
      *why = bytes.problem();
      return false;
    }
    text->assign(bytes->view());
    return true;
  }
  Collect collect;
  const Result<FileStamp, ReadFailure> read =
      FilterRegularFile(Utf8FromPath(path), 1 << 24, &collect, 100);
  if (!read) {
    *why = read.problem();
    return false;
  }
  *text = collect.text;
  return true;
}

// Waits up to wait_ms for at least `count` events on watch; how many came.
int WaitForEvents(int watch, int count, int wait_ms = 10000) {
  char events[4096];
  int seen = 0;
  while (seen < count) {
    pollfd ready{watch, POLLIN, 0};
    if (::poll(&ready, 1, wait_ms) != 1) break;
    const ssize_t got = ::read(watch, events, sizeof events);
    if (got <= 0) break;
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(events + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      ++seen;
    }
  }
  return seen;
}

// Either reader: a whole file that stands still is opened once; one
// ending inside a line that a writer completes a moment later (after the
// reader's first look, or its third) is read whole, not as it stood.
TEST(FileReadTest, WaitsForAWriterToEndTheLastLine) {
  // Its last line ends in a lone LF: the byte before it is no line end.
  const std::string whole =
      MakeListing(100, "Vendor") + "00-AB-CD   (hex)\t\tLast\n";
  for (const bool in_pieces : {false, true}) {
    for (const int looks : {0, 1, 3}) {
      SCOPED_TRACE(std::string(in_pieces ? "in pieces" : "whole") + ", looks " +
                   std::to_string(looks));
      const TestFolder folder;
      const fs::path path = folder / "listing";
      const std::size_t cut = looks == 0 ? whole.size() : whole.size() - 5;
      WriteWholeFile(path, whole.substr(0, cut));
      const int watch = ::inotify_init1(IN_CLOEXEC);
      ASSERT_GE(watch, 0);
      // Opens and closes alternate, so that inotify, which merges an event
      // into the same one before it, tells each.
      ASSERT_GE(
          ::inotify_add_watch(watch, path.c_str(), IN_OPEN | IN_CLOSE_NOWRITE),
          0);
      std::string text;
      ReadFailure why;
      bool read = false;
      std::thread reader([&] { read = Read(path, in_pieces, &text, &why); });
      if (looks > 0) {
        EXPECT_GE(WaitForEvents(watch, 2 * looks), 2 * looks);
        // Appended: the file only grows, as under a copy.
        std::FILE* file = std::fopen(path.c_str(), "ab");
        ASSERT_NE(file, nullptr);
        std::fputs(whole.substr(cut).c_str(), file);
        std::fclose(file);
      }
      reader.join();
      EXPECT_TRUE(read);
      EXPECT_EQ(text, whole);
      if (looks == 0) {
        // One look at a whole file standing still: the reader's closes
        // were all told before it ended.
        EXPECT_EQ(WaitForEvents(watch, 3, 0), 2);
      }
      ::close(watch);
    }
  }
}

// A filter that rewrites the file it is handed, in place and as long, at
// its first piece: a writer at work in the middle of a read.
class RewriteWhileRead : public Collect {
 public:
  RewriteWhileRead(fs::path path, std::string rewrite)
      : path_(std::move(path)), text_(std::move(rewrite)) {}
  std::size_t Take(std::string_view piece, bool at_end) override {
    if (!done_) {
      done_ = true;
      std::FILE* file = std::fopen(path_.c_str(), "r+b");
      std::fwrite(text_.data(), 1, text_.size(), file);
      std::fclose(file);
    }
    return Collect::Take(piece, at_end);
  }

 private:
  fs::path path_;
  std::string text_;
  bool done_ = false;
};

// A file rewritten in place while it is read, its size unchanged, is read
// again: the text is the new version whole, never half of each.
TEST(FileReadTest, ReadsAFileRewrittenInPlaceAgain) {
  const TestFolder folder;
  const fs::path path = folder / "listing";
  const std::string old_text = "# Old\r\n" + MakeListing(100, "Old");
  const std::string new_text = "# New\r\n" + MakeListing(100, "New");
  ASSERT_EQ(old_text.size(), new_text.size());
  WriteWholeFile(path, old_text);
  // Written long ago: the rewrite's time differs whatever the clock's step.
  fs::last_write_time(path,
                      fs::file_time_type::clock::now() - std::chrono::hours(1));
  RewriteWhileRead filter(path, new_text);
  ASSERT_TRUE(FilterRegularFile(Utf8FromPath(path), 1 << 24, &filter, 64));
  EXPECT_EQ(filter.text, new_text);
}

// A read the system fails is told as such, not as a file that changes.
TEST(FileReadTest, TellsAFailedRead) {
  // The process's own memory reads as a regular file whose first page
  // cannot be read.
  for (const bool in_pieces : {false, true}) {
    std::string text;
    ReadFailure why;
    EXPECT_FALSE(Read("/proc/self/mem", in_pieces, &text, &why));
    EXPECT_EQ(why.kind, ReadFailure::Kind::kSystem) << in_pieces;
    EXPECT_EQ(why.error_number, EIO) << in_pieces;
  }
}

}  // namespace
}  // namespace venmark

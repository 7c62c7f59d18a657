#include "cli/stream_scan.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/texts.h"
#include "listings/paths.h"
#include "testing/listings.h"

namespace venmark {
namespace {

// A log of n lines, each with a MAC of VMware's.
std::string Log(int lines) {
  std::string text;
  char line[96];
  for (int i = 0; i < lines; ++i) {
    std::snprintf(line, sizeof line,
                  "Jun  1 dhcpd: DHCPACK to 00:50:56:%02x:%02x:%02x via eth1\n",
                  i >> 16 & 0xFF, i >> 8 & 0xFF, i & 0xFF);
    text += line;
  }
  return text;
}

// A stream that appends what is written to it to *written.
std::FILE* Collecting(std::string* written) {
  return fopencookie(written, "w",
                     {nullptr,
                      [](void* cookie, const char* data, size_t size) {
                        static_cast<std::string*>(cookie)->append(data, size);
                        return static_cast<ssize_t>(size);
                      },
                      nullptr, nullptr});
}

// What a scan of path writes, naming from the listings beside base: as
// handed on when the scan ends, and once the output is flushed.
struct Scanned {
  std::string at_end, flushed;
};

Scanned ScanCollecting(const std::string& path, const std::string& base,
                       const ResultFormat& format, std::size_t whole_limit) {
  Result<LiveListings, ListingProblem> listings = LiveListings::Load(base);
  EXPECT_TRUE(listings);
  if (!listings) return {};
  PendingListings pending(std::move(*listings));
  std::string written;
  std::FILE* stream = Collecting(&written);
  EXPECT_NE(stream, nullptr);
  if (stream == nullptr) return {};
  Scanned scanned;
  {
    Output out(stream);
    EXPECT_TRUE(ScanInput(path, nullptr, &pending, format, &out, whole_limit));
    scanned.at_end = written;
    EXPECT_EQ(out.Flush(), 0);
  }
  std::fclose(stream);
  scanned.flushed = written;
  return scanned;
}

// An output that cuts the scanned file short at its first write, when
// the scan has read pieces ahead of what it wrote.
struct Cutter {
  int fd;
  std::string written = {};
  bool cut = false;
};

ssize_t CutAndKeep(void* cookie, const char* data, size_t size) {
  auto* cutter = static_cast<Cutter*>(cookie);
  if (!cutter->cut) {
    cutter->cut = true;
    if (::ftruncate(cutter->fd, 0) != 0) return -1;
  }
  cutter->written.append(data, size);
  return static_cast<ssize_t>(size);
}

// A log truncated while it is scanned gives the lines of the MACs that
// were read, whole, and nothing made up: read a piece at a time, those
// before the cut; read whole before the first line is written, all.
TEST(StreamScanTest, ALogCutShortWhileScannedInventsNothing) {
  for (const bool whole : {false, true}) {
    SCOPED_TRACE(whole ? "whole" : "in pieces");
    const TestFolder folder;
    const std::string path = Utf8FromPath(folder / "log.txt");
    WriteWholeFile(folder / "log.txt", Log(100000));
    WriteWholeFile(folder / "base.dat", "00-50-56   (hex)\t\tVMware, Inc.\r\n");
    Result<LiveListings, ListingProblem> listings =
        LiveListings::Load(Utf8FromPath(folder / "base.dat"));
    ASSERT_TRUE(listings);
    const int fd = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    Cutter cutter{fd};
    std::FILE* stream =
        fopencookie(&cutter, "w", {nullptr, CutAndKeep, nullptr, nullptr});
    ASSERT_NE(stream, nullptr);
    {
      Output out(stream);
      PendingListings pending(std::move(*listings));
      EXPECT_TRUE(ScanInput(path, nullptr, &pending, ResultFormat::kText, &out,
                            whole ? kWholeInputBytes : 0));
      EXPECT_EQ(out.Flush(), 0);
    }
    std::fclose(stream);
    ::close(fd);
    ASSERT_TRUE(cutter.cut);
    EXPECT_EQ(cutter.written.find('\0'), std::string::npos);
    std::size_t lines = 0;
    for (std::size_t at = 0; at < cutter.written.size();) {
      const std::size_t end = cutter.written.find('\n', at);
      ASSERT_NE(end, std::string::npos);
      const std::string line = cutter.written.substr(at, end - at);
      ASSERT_TRUE(line.starts_with("00:50:56:") &&
                  line.ends_with(" - VMware, Inc.") && line.size() == 32)
          << line;
      at = end + 1;
      ++lines;
    }
    EXPECT_GT(lines, 0u);
    if (whole) {
      EXPECT_EQ(lines, 100000u);
    } else {
      EXPECT_LT(lines, 100000u);
    }
  }
}

// A long text read whole is scanned in two halves on two threads, and
// gives the lines of one scan from its start: a column of bare digits
// crossing the middle keeps the heading far above it, and the lines are
// counted from the first (CR LF ends them here); read in pieces, the same.
TEST(StreamScanTest, TwoHalvesOfALongTextGiveWhatOneScanGives) {
  const TestFolder folder;
  std::string text = "Name    MAC address\r\n";
  char row[64];
  for (int i = 0; i < 3000; ++i) {
    std::snprintf(row, sizeof row, "pc%04d  00505600%04X\r\n", i, i);
    text += row;
    if (i % 97 == 0) text += "  Hex-STRING: 00 50 56 AA BB CC \r\n";
  }
  text += "\r\nlater 00:50:56:01:02:03\r\n";
  ASSERT_GT(text.size(), ListingSet::kLongText);
  WriteWholeFile(folder / "table.txt", text);
  WriteWholeFile(folder / "base.dat", "00-50-56   (hex)\t\tVMware, Inc.\r\n");
  const std::string base = Utf8FromPath(folder / "base.dat");
  const Result<ListingSet, ListingProblem> set = ListingSet::Load(base);
  ASSERT_TRUE(set);
  for (const ResultFormat* format : kResultFormats) {
    const std::string one_scan =
        SearchText(text, *set, {format, "\n", &text::ResultLineWords()});
    if (format == &ResultFormat::kText) {
      // Every row, the 31 Hex-STRING lines and the last.
      ASSERT_EQ(std::count(one_scan.begin(), one_scan.end(), '\n'), 3032);
    }
    for (const std::size_t whole_limit : {kWholeInputBytes, std::size_t{0}}) {
      SCOPED_TRACE(std::string(format->name) + " " +
                   std::to_string(whole_limit));
      EXPECT_EQ(ScanCollecting(Utf8FromPath(folder / "table.txt"), base,
                               *format, whole_limit)
                    .flushed,
                one_scan);
    }
  }
}

// A line of hundreds of kilobytes with a MAC every few words.
std::string LongLine() {
  std::string line;
  while (line.size() < (300 << 10)) line += "seen 00:50:56:00:00:01 ";
  return line;
}

// A file read in pieces has its second half read and scanned on a thread
// of its own, and gives what the file read whole gives: where a bare word
// past the middle rests on a heading far above it, where a blank line
// before it makes it rest on lines of its own half, and where a line in
// a Russian code page far above makes the second half's Cyrillic label
// something else (its lines numbered from the file's first throughout);
// a file short enough that its first part is named on the scanning
// thread; and one with no line start near its middle, which is not split.
TEST(StreamScanTest, AFileScannedInTwoHalvesGivesWhatOneScanGives) {
  const std::string log = Log(3000);
  const std::string cases[] = {
      "Name    MAC address\n" + log + log + "pc1  00505600ABCD\n" + log,
      log + log + "\nName    MAC address\npc1  00505600ABCD\n" + log,
      "\xCF\xEE\xF0\xF2 00-50-56-01-02-03\n" + log + log +
          "\xD0\x9C\xD0\x90\xD0\x9A: 00505600ABCD\n" + log,
      log + log + "\xD0\x9C\xD0\x90\xD0\x9A: 00505600ABCD\n" + log,
      Log(2000),
      Log(1500) + LongLine() + "\n" + Log(1500),
  };
  const TestFolder folder;
  WriteWholeFile(folder / "base.dat", "00-50-56   (hex)\t\tVMware, Inc.\r\n");
  const std::string base = Utf8FromPath(folder / "base.dat");
  for (const std::string& text : cases) {
    SCOPED_TRACE(text.substr(0, 24));
    WriteWholeFile(folder / "text.txt", text);
    const std::string path = Utf8FromPath(folder / "text.txt");
    for (const ResultFormat* format : kResultFormats) {
      const std::string whole =
          ScanCollecting(path, base, *format, kWholeInputBytes).flushed;
      EXPECT_EQ(ScanCollecting(path, base, *format, 0).flushed, whole);
      EXPECT_GE(std::count(whole.begin(), whole.end(), '\n'), 2000);
    }
  }
}

// Standard input that is a file read from the middle on (what a script
// read of it before) is split from where its descriptor stands: the
// lines are those of the rest read as a file of its own.
TEST(StreamScanTest, AFileReadFromWhereItsDescriptorStandsIsSplitFromThere) {
  const std::string skipped = Log(4000);
  const std::string rest = Log(3000) + "\nlast 00:50:56:01:02:03\n" + Log(3000);
  const TestFolder folder;
  WriteWholeFile(folder / "base.dat", "00-50-56   (hex)\t\tVMware, Inc.\r\n");
  WriteWholeFile(folder / "log.txt", skipped + rest);
  WriteWholeFile(folder / "rest.txt", rest);
  const std::string base = Utf8FromPath(folder / "base.dat");
  const std::string whole =
      ScanCollecting(Utf8FromPath(folder / "rest.txt"), base,
                     ResultFormat::kJson, kWholeInputBytes)
          .flushed;
  Result<LiveListings, ListingProblem> listings = LiveListings::Load(base);
  ASSERT_TRUE(listings);
  PendingListings pending(std::move(*listings));
  std::FILE* in = std::fopen(Utf8FromPath(folder / "log.txt").c_str(), "rb");
  ASSERT_NE(in, nullptr);
  ASSERT_EQ(::lseek(::fileno(in), static_cast<off_t>(skipped.size()), SEEK_SET),
            static_cast<off_t>(skipped.size()));
  std::string written;
  std::FILE* stream = Collecting(&written);
  ASSERT_NE(stream, nullptr);
  {
    Output out(stream);
    EXPECT_TRUE(ScanInput("-", in, &pending, ResultFormat::kJson, &out, 0));
    EXPECT_EQ(out.Flush(), 0);
  }
  std::fclose(stream);
  std::fclose(in);
  EXPECT_EQ(written, whole);
  EXPECT_GT(std::count(whole.begin(), whole.end(), '\n'), 6000);
}

// When an input's scan ends, every line of it has been handed on, though
// a second thread named them: a silent pipe named after it holds none
// back.
TEST(StreamScanTest, EachInputsLinesAreHandedOnWhenItEnds) {
  const TestFolder folder;
  WriteWholeFile(folder / "log.txt", Log(100000));
  WriteWholeFile(folder / "base.dat", "00-50-56   (hex)\t\tVMware, Inc.\r\n");
  for (const bool whole : {false, true}) {
    SCOPED_TRACE(whole ? "whole" : "in pieces");
    const Scanned scanned = ScanCollecting(
        Utf8FromPath(folder / "log.txt"), Utf8FromPath(folder / "base.dat"),
        ResultFormat::kText, whole ? kWholeInputBytes : 0);
    EXPECT_EQ(std::count(scanned.at_end.begin(), scanned.at_end.end(), '\n'),
              100000);
  }
}

// Without listings no line comes out and the scan says why, whether the
// input is named on a second thread that waits for them (long, in pieces
// or whole) or on this one (short).
TEST(StreamScanTest, NoListingsMeansNoLineWhicheverThreadNames) {
  const TestFolder folder;
  WriteWholeFile(folder / "long.txt", Log(5000));
  WriteWholeFile(folder / "short.txt", Log(3));
  const struct {
    const char* file;
    std::size_t whole_limit;
  } cases[] = {
      {"long.txt", 0},
      {"long.txt", kWholeInputBytes},
      {"short.txt", 0},
      {"short.txt", kWholeInputBytes},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " " + std::to_string(c.whole_limit));
    std::string written;
    std::FILE* stream = Collecting(&written);
    ASSERT_NE(stream, nullptr);
    {
      Output out(stream);
      PendingListings none([] { return std::optional<LiveListings>(); });
      const Result<Done, InputProblem> scanned =
          ScanInput(Utf8FromPath(folder / c.file), nullptr, &none,
                    ResultFormat::kText, &out, c.whole_limit);
      ASSERT_FALSE(scanned);
      EXPECT_EQ(scanned.problem().kind, InputProblem::Kind::kNoListings);
      EXPECT_EQ(out.Flush(), 0);
    }
    std::fclose(stream);
    EXPECT_EQ(written, "");
  }
}

// Where no second thread may start (a pids cgroup of one), a long file is
// scanned on the one there is: the same lines, and no abort.
TEST(StreamScanTest, NoSecondThreadMeansOneThread) {
  const std::filesystem::path pids = "/sys/fs/cgroup/pids";
  const std::filesystem::path group =
      pids / ("venmark-test-" + std::to_string(::getpid()));
  std::error_code error;
  if (!std::filesystem::create_directory(group, error)) {
    GTEST_SKIP() << "no pids cgroup to make here";
  }
  const TestFolder folder;
  WriteWholeFile(folder / "log.txt", Log(5000));
  WriteWholeFile(folder / "base.dat", "00-50-56   (hex)\t\tVMware, Inc.\r\n");
  std::ofstream(group / "pids.max") << 1;
  const std::string out = Utf8FromPath(folder / "out.txt");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::ofstream(group / "cgroup.procs") << ::getpid();
    if (::chdir(folder.path().c_str()) != 0) ::_exit(126);
    // LeakSanitizer would want a task of its own to look for leaks.
    ::setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
    const int file = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(file, 1);
    ::execl(VENMARK_SCAN_PATH, VENMARK_SCAN_PATH, "log.txt",
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  std::filesystem::remove(group, error);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string lines = ReadWholeFile(out);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 5000);
  EXPECT_TRUE(lines.starts_with("00:50:56:00:00:00 - VMware, Inc.\n"));
}

}  // namespace
}  // namespace venmark

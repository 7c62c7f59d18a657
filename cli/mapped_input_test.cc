#include "cli/mapped_input.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "scan/mac_scanner.h"
#include "testing/listings.h"

namespace venmark {
namespace {

// A log truncated by its rotation while it is scanned reads as ended where
// it now ends, as read() would have it, even when its writer goes on at
// its old offset and the file grows again; a page that could not be read
// while the file still reached it is a read error. SIGBUS is left as it
// was.
TEST(MappedInputTest, ReadsAShrunkenFileAsEndedAndAnUnreadablePageAsAnError) {
  const long page = ::sysconf(_SC_PAGESIZE);
  TestFolder dir;
  const std::string path = (dir / "log.txt").string();
  std::string text = "first 00:1a:2b:3c:4d:5e\n";
  text.resize(static_cast<std::size_t>(3 * page), '.');
  text.replace(text.size() - 18, 17, "00:1a:2b:3c:4d:5f");
  std::ofstream(path, std::ios::binary) << text;
  struct sigaction before {};
  ::sigaction(SIGBUS, nullptr, &before);

  for (const auto& [regrow, cut] :
       {std::pair(false, 100L), std::pair(true, 100L), std::pair(false, page)}) {
    SCOPED_TRACE(regrow ? "regrown" : "shrunk");
    SCOPED_TRACE(cut);
    const int fd = ::open(path.c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    {
      std::optional<MappedInput> mapped = MappedInput::Map(fd);
      ASSERT_TRUE(mapped.has_value());
      ASSERT_EQ(mapped->text(), text);
      ASSERT_EQ(::ftruncate(fd, cut), 0);
      std::size_t zeros = 0;
      for (const char c : mapped->text()) zeros += c == '\0';
      EXPECT_EQ(zeros, text.size() - static_cast<std::size_t>(cut));
      const std::vector<MacFinding> macs = FindMacs(mapped->text());
      ASSERT_EQ(macs.size(), 1u);
      EXPECT_EQ(macs[0].candidate_mac, "00:1a:2b:3c:4d:5e");
      if (regrow) {
        ASSERT_EQ(::ftruncate(fd, 3 * page), 0);
      }
      EXPECT_EQ(mapped->ReadError(), 0);
      // A fault at the second page: past the end of the file cut short, a
      // disk that failed to read it where the file reaches it.
      MappedInput::NoteFault(static_cast<std::size_t>(page));
      EXPECT_EQ(mapped->ReadError(), regrow ? EIO : 0);
      MappedInput::NoteFault(static_cast<std::size_t>(3 * page));
      EXPECT_EQ(mapped->ReadError(), regrow ? EIO : 0);
    }
    ::close(fd);
    std::ofstream(path, std::ios::binary) << text;
  }
  struct sigaction after {};
  ::sigaction(SIGBUS, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST(MappedInputTest, MapsOnlyARegularFileReadFromItsStart) {
  TestFolder dir;
  const std::string path = (dir / "a.txt").string();
  std::ofstream(dir / "empty.txt");
  std::ofstream(path) << "00:1a:2b:3c:4d:5e\n";
  const int fd = ::open(path.c_str(), O_RDONLY);
  const int empty = ::open((dir / "empty.txt").c_str(), O_RDONLY);
  int pipe_ends[2];
  ASSERT_EQ(::pipe(pipe_ends), 0);
  EXPECT_FALSE(MappedInput::Map(empty));
  EXPECT_FALSE(MappedInput::Map(pipe_ends[0]));
  {
    const std::optional<MappedInput> mapped = MappedInput::Map(fd);
    ASSERT_TRUE(mapped.has_value());
    // One mapping at a time: the SIGBUS handler knows of one.
    EXPECT_FALSE(MappedInput::Map(fd));
  }
  ASSERT_EQ(::lseek(fd, 3, SEEK_SET), 3);
  EXPECT_FALSE(MappedInput::Map(fd));
  for (const int open_fd : {fd, empty, pipe_ends[0], pipe_ends[1]}) {
    ::close(open_fd);
  }
}

}  // namespace
}  // namespace venmark

#include "cli/line_writer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace venmark {
namespace {

// A stream whose every write fails, setting errno to the given value
// (0: a failure that says nothing of why).
ssize_t Fail(void* cookie, const char*, size_t) {
  errno = *static_cast<int*>(cookie);
  return -1;
}

// A failed output is told by its errno, or as EIO where the failure gave
// none, whether it fails on a large piece or on the last flush; and it
// stays failed.
TEST(OutputTest, TellsAFailureByItsErrnoOrAsEio) {
  for (const int error : {ENOSPC, EPIPE, 0}) {
    for (const std::size_t size : {std::size_t{10}, std::size_t{1} << 19}) {
      int cookie = error;
      std::FILE* stream =
          fopencookie(&cookie, "w", {nullptr, Fail, nullptr, nullptr});
      ASSERT_NE(stream, nullptr);
      Output out(stream);
      out.Write(std::string(size, 'x'));
      const int expected = error != 0 ? error : EIO;
      EXPECT_EQ(out.Flush(), expected) << error << " " << size;
      EXPECT_TRUE(out.failed());
      out.Write("more\n");
      EXPECT_EQ(out.Flush(), expected);
      std::fclose(stream);
    }
  }
}

}  // namespace
}  // namespace venmark

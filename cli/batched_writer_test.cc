#include "cli/batched_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <thread>

#include "listings/listing_set.h"
#include "scan/mac_scanner.h"

namespace venmark {
namespace {

// An output stream that keeps what it is given, and fails once it has
// been given `room` bytes.
struct Sink {
  std::string written;
  std::size_t room = std::string::npos;
};

ssize_t Keep(void* cookie, const char* data, size_t size) {
  auto* sink = static_cast<Sink*>(cookie);
  if (sink->written.size() + size > sink->room) {
    errno = ENOSPC;
    return -1;
  }
  sink->written.append(data, size);
  return static_cast<ssize_t>(size);
}

// Lines for every MAC of text, in order, written on this thread or
// through a BatchedWriter (started or not); with room for `room` bytes;
// every other group of `shared` findings named on this thread and handed
// on as lines, when shared is not 0.
std::string Lines(const std::string& text, bool batched, bool started,
                  std::size_t room = std::string::npos,
                  std::size_t* taken = nullptr, std::size_t shared = 0) {
  static const ListingSet listings(
      MalListing::Parse("00-50-56   (hex)\t\tVMware, Inc.\r\n"));
  Sink sink;
  sink.room = room;
  std::FILE* stream =
      fopencookie(&sink, "w", {nullptr, Keep, nullptr, nullptr});
  {
    Output out(stream);
    LineWriter writer(ResultFormat::kTsv, &out);
    writer.Use(listings);
    LineWriter here(ResultFormat::kTsv, &out);
    here.Use(listings);
    std::string named;
    BatchedWriter lines(&writer);
    if (started) lines.Start();
    EXPECT_EQ(lines.started(), started);
    if (shared != 0) {
      EXPECT_TRUE(lines.WaitPrepared());
    }
    MacScanner scanner(text);
    scanner.CountLines(1);
    std::size_t count = 0;
    while (const std::optional<MacFinding> finding = scanner.Next()) {
      ++count;
      if (!batched) {
        if (!writer.Write(*finding)) break;
      } else if (shared != 0 && (count - 1) / shared % 2 == 1) {
        here.Name(*finding, &named);
        if (count % shared == 0 && !lines.AddNamed(&named)) break;
      } else if (!lines.Add(*finding)) {
        break;
      }
    }
    if (!named.empty()) lines.AddNamed(&named);
    lines.Drain();
    out.Flush();
    if (taken != nullptr) *taken = count;
  }
  std::fclose(stream);
  return sink.written;
}

std::string Log(int lines) {
  std::string text;
  char line[64];
  for (int i = 0; i < lines; ++i) {
    std::snprintf(line, sizeof line, "DHCPACK to 00:50:56:%02x:%02x:%02x\n",
                  i >> 16 & 0xFF, i >> 8 & 0xFF, i & 0xFF);
    text += line;
  }
  return text;
}

// On a second thread the lines are those written on one, in order, every
// one of them once Drain returns.
TEST(BatchedWriterTest, WritesTheSameLinesInOrder) {
  const std::string text = Log(20000);
  const std::string expected = Lines(text, false, false);
  ASSERT_EQ(std::count(expected.begin(), expected.end(), '\n'), 20000);
  EXPECT_EQ(Lines(text, true, true), expected);
  // With lines named on the scanning thread in between, in groups shorter
  // and longer than a batch.
  for (const std::size_t shared : {1000, 4096, 5000}) {
    SCOPED_TRACE(shared);
    EXPECT_EQ(Lines(text, true, true, std::string::npos, nullptr, shared),
              expected);
  }
}

// Once the output fails, the scan is told within a few batches instead
// of scanning on for nothing.
TEST(BatchedWriterTest, StopsTakingOnceTheOutputFails) {
  const std::string text = Log(200000);
  std::size_t taken = 0;
  Lines(text, true, true, 1 << 10, &taken);
  EXPECT_LT(taken, 200000u);
}

// What the thread prepares (the listings' indexes) is its own until Drain
// returns: the caller may replace the listings right after. A failure to
// prepare comes back from Drain, and nothing more is taken.
TEST(BatchedWriterTest, DrainWaitsForThePreparingAndRethrowsItsFailure) {
  static const ListingSet listings(MalListing::Parse(""));
  Output out(nullptr);
  LineWriter writer(ResultFormat::kText, &out);
  writer.Use(listings);
  {
    std::atomic<bool> prepared = false;
    BatchedWriter lines(&writer);
    lines.Start([&] {
      // Slow, so that a Drain that does not wait returns first.
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      prepared = true;
    });
    ASSERT_TRUE(lines.started());
    lines.Drain();
    EXPECT_TRUE(prepared);
  }
  BatchedWriter lines(&writer);
  lines.Start([] { throw std::runtime_error("no memory for the index"); });
  ASSERT_TRUE(lines.started());
  EXPECT_THROW(lines.Drain(), std::runtime_error);
  const MacFinding finding;
  bool taken = true;
  for (std::size_t i = 0; i < 20000 && taken; ++i) taken = lines.Add(finding);
  EXPECT_FALSE(taken);
}

}  // namespace
}  // namespace venmark

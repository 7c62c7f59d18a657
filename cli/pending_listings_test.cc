#include "cli/pending_listings.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <new>
#include <thread>
#include <vector>

#include "listings/paths.h"
#include "testing/listings.h"

namespace venmark {
namespace {

// The listings are read once, whoever asks first and however many ask at
// once; none, or a failure to read them, comes to every one who asks.
TEST(PendingListingsTest, ReadsOnceAndGivesTheSameAnswerToEveryThread) {
  const TestFolder folder;
  WriteWholeFile(folder / "base.dat", "00-50-56   (hex)\t\tVMware, Inc.\r\n");
  const std::string path = Utf8FromPath(folder / "base.dat");
  std::atomic<int> loads = 0;
  PendingListings pending([&] {
    ++loads;
    Result<LiveListings, ListingProblem> live = LiveListings::Load(path);
    return live ? std::optional<LiveListings>(std::move(*live)) : std::nullopt;
  });
  std::vector<LiveListings*> seen(4);
  std::vector<std::thread> askers;
  for (LiveListings*& answer : seen) {
    askers.emplace_back([&pending, &answer] { answer = pending.Get(); });
  }
  for (std::thread& asker : askers) asker.join();
  ASSERT_NE(seen[0], nullptr);
  for (LiveListings* answer : seen) EXPECT_EQ(answer, seen[0]);
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(seen[0]->current().ma_l().Find(0x005056).size(), 1u);

  PendingListings none([] { return std::optional<LiveListings>(); });
  EXPECT_EQ(none.Get(), nullptr);
  EXPECT_EQ(none.Get(), nullptr);

  // Let go of unasked, it waits for the reading thread to finish.
  std::atomic<bool> finished = false;
  {
    PendingListings unasked([&finished] {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      finished = true;
      return std::optional<LiveListings>();
    });
  }
  EXPECT_TRUE(finished);

  PendingListings failing(
      []() -> std::optional<LiveListings> { throw std::bad_alloc(); });
  EXPECT_THROW(failing.Get(), std::bad_alloc);
  EXPECT_THROW(failing.Get(), std::bad_alloc);
}

}  // namespace
}  // namespace venmark

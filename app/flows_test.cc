// The search and update flows every frontend runs, and their wording.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/search_flow.h"
#include "app/texts.h"
#include "app/update_flow.h"
#include "listings/listing_file.h"
#include "testing/fake_transport.h"
#include "testing/listings.h"

namespace venmark {
namespace {

TEST(TextsTest, SizesReadAsARussianReaderWritesThem) {
  const struct {
    std::int64_t bytes;
    const char* text;
  } cases[] = {
      {0, "Получено 0 КБ"},          {1, "Получено 1 КБ"},
      {1024, "Получено 1 КБ"},       {1025, "Получено 2 КБ"},
      {1048575, "Получено 1024 КБ"}, {1048576, "Получено 1,0 МБ"},
      {5452595, "Получено 5,2 МБ"},  {5505024, "Получено 5,3 МБ"},
  };
  for (const auto& c : cases) EXPECT_EQ(text::Received(c.bytes), c.text);
}

TEST(SearchFlowTest, NamesEveryMacOrTheFix) {
  const TestFolder folder;
  const std::string listing = Utf8FromPath(folder / "base.dat");
  WriteWholeFile(folder / "base.dat", MakeListing(3, "Maker"));
  const SearchOutcome found =
      RunSearch("a 00-00-01-aa-bb-cc b 00:00:07:00:00:01", listing, "\r\n");
  EXPECT_EQ(found.error, "");
  EXPECT_EQ(found.lines,
            "00-00-01-aa-bb-cc - Maker 1\r\n"
            "00:00:07:00:00:01 - производитель не определен\r\n");

  // A text without MACs needs no listing; a missing one names the fix.
  const std::string missing = Utf8FromPath(folder / "none.dat");
  EXPECT_EQ(RunSearch("no MAC here", missing, "\n").error, "");
  const SearchOutcome failed = RunSearch("00-00-01-aa-bb-cc", missing, "\n");
  EXPECT_EQ(failed.lines, "");
  EXPECT_NE(failed.error.find(missing), std::string::npos);
  EXPECT_NE(failed.error.find("нажмите «Обновить базу MAC-адресов с сервера "
                              "IEEE»"),
            std::string::npos);
}

#ifndef _WIN32
// With no listing anywhere, a search says where it looked and how to get
// one.
TEST(SearchFlowTest, NamesThePlacesWhenThereIsNoListingAnywhere) {
  const TestFolder folder;
  const auto saved = std::filesystem::current_path();
  std::filesystem::current_path(folder.path());
  ::setenv("HOME", folder.path().c_str(), 1);
  ::setenv("XDG_DATA_HOME", "", 1);
  ::setenv("XDG_DATA_DIRS", (folder / "system").c_str(), 1);
  const SearchOutcome outcome = RunSearch("00-1a-2b-00-00-01", "", "\n");
  std::filesystem::current_path(saved);
  EXPECT_EQ(outcome.lines, "");
  EXPECT_TRUE(outcome.error.starts_with("Не найден список производителей"))
      << outcome.error;
  EXPECT_NE(outcome.error.find((folder / "system/ieee-data/oui.txt").string()),
            std::string::npos)
      << outcome.error;
  EXPECT_NE(outcome.error.find("нажмите «Обновить базу"), std::string::npos);
}
#endif

TEST(UpdateFlowTest, ReplacesTheNamedListingAndWordsTheOutcome) {
  const TestFolder folder;
  const std::string listing = Utf8FromPath(folder / "base.dat");
  WriteWholeFile(folder / "base.dat", MakeListing(100, "Old"));
  FakeTransport transport;
  const UpdateSources sources = IeeeSources("http://mirror");
  transport.answers[sources.ma_l] = {200, MakeListing(101, "New")};
  transport.answers[sources.ma_s] = {200, MakeBlockListing(4)};
  std::int64_t last = 0;
  const UpdateResult result =
      RunUpdate({listing, sources, &transport}, [&](std::int64_t received) {
        last = received;
        return true;
      });
  ASSERT_EQ(result.status, UpdateStatus::kUpdated)
      << text::UpdateFailed(result.problem);
  EXPECT_EQ(ReadWholeFile(listing), MakeListing(101, "New"));
  EXPECT_GT(last, 0);
  // The companions the mirror lacks keep their old files, and say so.
  const std::string message = text::UpdateCompletion(result);
  EXPECT_TRUE(
      message.starts_with("Синхронизация завершена\nПрежними "
                          "оставлены: список IAB"))
      << message;
  EXPECT_NE(message.find("; список MA-M"), std::string::npos);
  EXPECT_EQ(text::UpdateCompletion({UpdateStatus::kCancelled, {}, 0, {}}), "");
  EXPECT_EQ(text::UpdateCompletion(
                {UpdateStatus::kFailed, {.kind = UpdateFailure::kBusy}, 0, {}}),
            "Не удалось обновить базу: обновление уже идёт");
}

// The folder of a listing the user named is never made: a typo must not
// leave a tree of folders behind.
TEST(UpdateFlowTest, MakesNoFolderForANamedListing) {
  const TestFolder folder;
  const auto missing = folder / "typo" / "base.dat";
  FakeTransport transport;
  const UpdateSources sources = IeeeSources("http://mirror");
  transport.answers[sources.ma_l] = {200, MakeListing(10)};
  const UpdateResult result =
      RunUpdate({Utf8FromPath(missing), sources, &transport}, {});
  EXPECT_EQ(result.status, UpdateStatus::kFailed);
  EXPECT_NE(text::UpdateFailed(result.problem).find("папка не найдена"),
            std::string::npos)
      << text::UpdateFailed(result.problem);
  EXPECT_FALSE(std::filesystem::exists(folder / "typo"));
}

}  // namespace
}  // namespace venmark

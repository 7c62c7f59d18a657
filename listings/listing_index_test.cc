#include "listings/listing_index.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "listings/listing_index_format.h"
#include "listings/paths.h"
#include "testing/listings.h"

namespace venmark {
namespace {

namespace fs = std::filesystem;
using std::chrono::nanoseconds;

// Where the test listings of each kind are: MA-L 00-00-xx, CID 0A-00-xx,
// MA-S 36-bit blocks in 70-B3-D5, MA-M 20-bit blocks from 70-B3-D5 on,
// IAB 12-bit blocks in 00-50-C2; addresses in and around every one.
std::vector<std::uint64_t> Addresses() {
  std::vector<std::uint64_t> addresses;
  for (std::uint64_t i = 0; i < 48; ++i) {
    addresses.push_back((i << 24) | 0x123456);
    addresses.push_back((0x0A0000 + i) << 24 | 0x000001);
    addresses.push_back(0x70B3D5000000 | i << 12 | 0x345);
    addresses.push_back((0x70B3D5 + (i >> 4)) << 24 | (i & 0xF) << 20 | 0x42);
    addresses.push_back(0x0050C2000000 | i << 12 | 0x7);
  }
  addresses.push_back(0x00ABCD000001);  // two records of one prefix
  addresses.push_back(0x00FFEE000001);  // a name in Windows-1252
  addresses.push_back(0x020000000001);  // a local address no CID names
  addresses.push_back(0xFCFFFF000001);  // assigned to no one
  return addresses;
}

// What the listings answer for address, as one line.
std::string Answer(const ListingSet& set, std::uint64_t address) {
  MacFinding finding;
  finding.address = address;
  Assignment assignment;
  set.Resolve(finding, &assignment);
  std::string answer =
      assignment.digits + " " + std::string(KindName(assignment.kind)) + ":";
  for (const std::string_view name : assignment.names) {
    answer += " [" + std::string(name) + "]";
  }
  return answer;
}

// Waits until the clock is past the tick of file's times (a few
// milliseconds where the system stamps times coarsely), so that a change
// now shows in them.
void WaitPastItsTimes(const fs::path& file) {
  const FileStamp stamp = StampOf(Utf8FromPath(file));
  const std::int64_t past =
      std::max(stamp.modified_ns, stamp.changed_ns) + 20'000'000;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (file_read_internal::NowNs() < past &&
         std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

class ListingIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const ListingKindRow& row : kListingKinds) {
      WriteWholeFile(folder_ / std::string(row.our_name),
                     MakeKindListing(row.kind, 48));
    }
    WriteWholeFile(folder_ / "base.dat",
                   MakeListing(48) +
                       "00-AB-CD   (hex)\t\tFirst\r\n"
                       "00-AB-CD   (hex)\t\tSecond\r\n"
                       "00-FF-EE   (hex)\t\tCaf\xE9 Ltd\r\n");
  }

  std::string ma_l() const { return Utf8FromPath(folder_ / "base.dat"); }
  std::string index() const {
    return Utf8FromPath(folder_ / "cache" / "listings.idx");
  }
  // Loads the listings and writes their index, as settled.
  void WriteIndex() {
    const Result<ListingSet, ListingProblem> set = ListingSet::Load(ma_l());
    ASSERT_TRUE(set);
    ASSERT_TRUE(WriteListingIndex(index(), ma_l(), *set, nanoseconds(0)));
  }

  TestFolder folder_;
};

TEST_F(ListingIndexTest, AnswersEveryAddressAsTheListingsThemselves) {
  WriteIndex();
  const Result<ListingSet, ListingProblem> listings = ListingSet::Load(ma_l());
  ASSERT_TRUE(listings);
  const std::optional<ListingSet> indexed = ReadListingIndex(index(), ma_l());
  ASSERT_TRUE(indexed);
  for (const std::uint64_t address : Addresses()) {
    EXPECT_EQ(Answer(*indexed, address), Answer(*listings, address))
        << std::hex << address;
  }
  EXPECT_EQ(Answer(*indexed, 0x00ABCD000001), "00ABCD MA-L: [First] [Second]");
  EXPECT_EQ(Answer(*indexed, 0x00FFEE000001), "00FFEE MA-L: [Caf\xC3\xA9 Ltd]");
  EXPECT_EQ(Answer(*indexed, 0x0A0005000001), "0A0005 CID: [Vendor 5]");
  for (const ListingKindRow& row : kListingKinds) {
    EXPECT_EQ(indexed->record_count(row.kind), listings->record_count(row.kind))
        << row.name;
    EXPECT_EQ(indexed->stamp(row.kind), listings->stamp(row.kind)) << row.name;
  }
}

TEST_F(ListingIndexTest, AnyOtherVersionOfAListingFileIsReadAfresh) {
  // Each change to one file, which an index of the files before must not
  // answer for; the listings read then answer from the new file.
  struct Change {
    std::string what;
    std::function<void(const fs::path&, ListingKind)> make;
    std::string answer;  // for 00-00-05… then, "" where the file is gone
  };
  const auto rewrite = [](const fs::path& file, bool keep_time) {
    const auto time = fs::last_write_time(file);
    std::string text = ReadWholeFile(Utf8FromPath(file));
    for (std::size_t at = text.find("Vendor"); at != std::string::npos;
         at = text.find("Vendor", at + 1)) {
      text.replace(at, 6, "Fresh!");
    }
    WriteWholeFile(file, text);
    if (keep_time) fs::last_write_time(file, time);
  };
  const std::vector<Change> changes = {
      {"rewritten in place, its size and time kept",
       [&](const fs::path& f, ListingKind) { rewrite(f, true); }, "Fresh! 5"},
      {"rewritten in place",
       [&](const fs::path& f, ListingKind) { rewrite(f, false); }, "Fresh! 5"},
      {"replaced by rename",
       [](const fs::path& f, ListingKind kind) {
         fs::path fresh = f;
         fresh += ".new";
         WriteWholeFile(fresh, MakeKindListing(kind, 48, "Renamed"));
         fs::rename(fresh, f);
       },
       "Renamed 5"},
      {"removed", [](const fs::path& f, ListingKind) { fs::remove(f); }, ""},
  };
  for (const ListingKindRow& row : kListingKinds) {
    for (const Change& change : changes) {
      SCOPED_TRACE(std::string(row.name) + " " + change.what);
      SetUp();
      WriteIndex();
      ASSERT_TRUE(ReadListingIndex(index(), ma_l()));
      const fs::path file = folder_ / std::string(row.our_name);
      WaitPastItsTimes(file);
      change.make(file, row.kind);
      EXPECT_FALSE(ReadListingIndex(index(), ma_l()));
      const Result<ListingSet, ListingProblem> now =
          LoadIndexed(ma_l(), index(), nanoseconds(0));
      if (row.kind == ListingKind::kMaL && change.answer.empty()) {
        EXPECT_FALSE(now);
        continue;
      }
      ASSERT_TRUE(now);
      EXPECT_EQ(now->has(row.kind), !change.answer.empty());
      if (row.kind == ListingKind::kMaL) {
        EXPECT_EQ(Answer(*now, 0x000005000001),
                  "000005 MA-L: [" + change.answer + "]");
      }
      // Read afresh, the index of the new files answers again.
      EXPECT_TRUE(ReadListingIndex(index(), ma_l()));
    }
  }
  // A companion put beside the listings after they were indexed.
  SetUp();
  fs::remove(folder_ / "base-cid.dat");
  WriteIndex();
  WriteWholeFile(folder_ / "base-cid.dat",
                 MakeKindListing(ListingKind::kCid, 48));
  EXPECT_FALSE(ReadListingIndex(index(), ma_l()));
}

TEST_F(ListingIndexTest, ADamagedOrForeignIndexAnswersNothing) {
  WriteIndex();
  const std::string whole = ReadWholeFile(index());
  ASSERT_GT(whole.size(), 1000u);
  std::vector<std::pair<std::string, std::string>> damaged = {
      {"empty", ""},
      {"its magic alone", whole.substr(0, 8)},
      {"cut in its header", whole.substr(0, 23)},
      {"cut in half", whole.substr(0, whole.size() / 2)},
      {"its last byte missing", whole.substr(0, whole.size() - 1)},
      {"a byte more", whole + "x"},
      {"another format", whole.substr(0, 8) + '\x02' + whole.substr(9)},
      {"another magic", "VMKINDEY" + whole.substr(8)},
  };
  // Bits here and there, and the lowest of each of the last eight bytes:
  // the last record's name, one number off, would still be a name.
  std::vector<std::pair<std::size_t, char>> flips;
  for (std::size_t at = 0; at < whole.size(); at += whole.size() / 16) {
    flips.emplace_back(at, '\x10');
  }
  for (std::size_t back = 1; back <= 8; ++back) {
    flips.emplace_back(whole.size() - back, '\x01');
  }
  for (const auto& [at, bit] : flips) {
    std::string flipped = whole;
    flipped[at] = static_cast<char>(flipped[at] ^ bit);
    damaged.emplace_back("a bit flipped at " + std::to_string(at), flipped);
  }
  for (const auto& [what, bytes] : damaged) {
    SCOPED_TRACE(what);
    WriteWholeFile(index(), bytes);
    EXPECT_FALSE(ReadListingIndex(index(), ma_l()));
    // The listings answer all the same, and the index is made again.
    const Result<ListingSet, ListingProblem> set =
        LoadIndexed(ma_l(), index(), nanoseconds(0));
    ASSERT_TRUE(set);
    EXPECT_EQ(Answer(*set, 0x000005000001), "000005 MA-L: [Vendor 5]");
    EXPECT_EQ(ReadWholeFile(index()), whole);
  }
  // An index of another MA-L listing is not this one's.
  const fs::path other = folder_ / "other";
  fs::create_directories(other);
  for (const ListingKindRow& row : kListingKinds) {
    fs::copy_file(folder_ / std::string(row.our_name),
                  other / std::string(row.our_name));
  }
  EXPECT_FALSE(ReadListingIndex(index(), Utf8FromPath(other / "base.dat")));
}

// Where the parts of an index of the test listings lie.
struct IndexParts {
  std::size_t names = 0;        // the count of names
  std::size_t prefixes = 0;     // the MA-L listing's record count
  std::size_t first_key = 0;    // its first record
  std::size_t block_count = 0;  // the MA-S listing's count of records
  std::size_t first_block = 0;  // its first record
};

std::uint32_t NumberAt(const std::string& bytes, std::size_t at) {
  std::uint32_t number = 0;
  std::memcpy(&number, bytes.data() + at, 4);
  return number;
}

void PutNumber(std::string* bytes, std::size_t at, std::uint32_t number) {
  std::memcpy(bytes->data() + at, &number, 4);
}

IndexParts PartsOf(const std::string& index) {
  IndexParts parts;
  parts.names = listing_index_internal::kHeaderBytes;
  const std::uint32_t names = NumberAt(index, parts.names);
  const std::size_t ends = parts.names + 4;
  std::size_t at = ends + 4 * (names + std::size_t{1}) +
                   NumberAt(index, ends + 4 * std::size_t{names});
  // Kind, path, stamp; then the MA-L listing's records and count.
  const auto after_stamp = [&](std::size_t file) {
    return file + 8 + NumberAt(index, file + 4) + 1 + 5 * 8;
  };
  parts.prefixes = after_stamp(at);
  parts.first_key = parts.prefixes + 8 + 4;
  const std::uint32_t keys = NumberAt(index, parts.prefixes + 8);
  at = parts.first_key + 8 * std::size_t{keys};
  parts.block_count = after_stamp(at);
  parts.first_block = parts.block_count + 4;
  return parts;
}

// An index whose hash holds, made by a faulty writer or by hand, is read
// no further than it adds up: no garbage name, no crash, no vast memory.
TEST_F(ListingIndexTest, AnIndexThatHoldsTogetherWrongAnswersNothing) {
  WriteIndex();
  const std::string whole = ReadWholeFile(index());
  const IndexParts parts = PartsOf(whole);
  ASSERT_EQ(NumberAt(whole, parts.first_key + 4 * 0), 0u);  // 00-00-00
  const auto set = [](std::size_t at, std::uint32_t number) {
    return [=](std::string* bytes) { PutNumber(bytes, at, number); };
  };
  const std::vector<std::pair<std::string, std::function<void(std::string*)>>>
      wrongs = {
          {"names past the end", set(parts.names, 0xFFFFFFFF)},
          {"more records than the listing has", set(parts.prefixes, 0)},
          {"records past the end", set(parts.prefixes + 8, 0xFFFFFFF0)},
          {"a key past 24 bits", set(parts.first_key, 0x01000000)},
          {"keys out of order", set(parts.first_key, 0xFFFFFF)},
          {"a name not in the table", set(parts.first_key + 4, 0xFFFFFF00)},
          {"blocks past the end", set(parts.block_count, 0xFFFFFFF0)},
          {"a block's prefix past 24 bits", set(parts.first_block, 1u << 24)},
          {"the last block's prefix past 24 bits, in order",
           set(parts.first_block +
                   20 * (NumberAt(whole, parts.block_count) - std::size_t{1}),
               1u << 24)},
          {"a block past its prefix", set(parts.first_block + 4, 0xFFFFFF)},
          {"blocks out of order", set(parts.first_block, 0xFFFFFF)},
          {"a block's name not in the table",
           set(parts.first_block + 16, 0xFFFFFF00)},
          {"cut short",
           [](std::string* bytes) { bytes->resize(bytes->size() - 8); }},
          {"cut in its last number",
           [](std::string* bytes) { bytes->resize(bytes->size() - 4); }},
          {"more after its end", [](std::string* bytes) { *bytes += "x"; }},
      };
  for (const auto& [what, make] : wrongs) {
    SCOPED_TRACE(what);
    std::string wrong = whole;
    make(&wrong);
    const std::string_view body =
        std::string_view(wrong).substr(listing_index_internal::kHeaderBytes);
    const std::uint64_t hash = listing_index_internal::Hash(body);
    std::memcpy(wrong.data() + 16, &hash, 8);
    WriteWholeFile(index(), wrong);
    EXPECT_FALSE(ReadListingIndex(index(), ma_l()));
  }
  // The same rewriting, with nothing wrong, is read.
  std::string same = whole;
  const std::uint64_t hash = listing_index_internal::Hash(
      std::string_view(same).substr(listing_index_internal::kHeaderBytes));
  std::memcpy(same.data() + 16, &hash, 8);
  WriteWholeFile(index(), same);
  EXPECT_TRUE(ReadListingIndex(index(), ma_l()));
}

TEST_F(ListingIndexTest, NoIndexIsKeptWhereItCannotBeOrOfFilesStillChanging) {
  const Result<ListingSet, ListingProblem> set = ListingSet::Load(ma_l());
  ASSERT_TRUE(set);
  // Just written: a writer may be at the files still.
  EXPECT_FALSE(WriteListingIndex(index(), ma_l(), *set, std::chrono::hours(1)));
  EXPECT_TRUE(LoadIndexed(ma_l(), index(), std::chrono::hours(1)));
  EXPECT_FALSE(fs::exists(index()));
  // A cache folder that cannot be made (a file where it would go), or no
  // cache folder at all: the listings answer without an index.
  WriteWholeFile(folder_ / "file", "");
  const std::string beyond = Utf8FromPath(folder_ / "file" / "listings.idx");
  EXPECT_FALSE(WriteListingIndex(beyond, ma_l(), *set, nanoseconds(0)));
  for (const std::string& place : {beyond, std::string()}) {
    const Result<ListingSet, ListingProblem> loaded =
        LoadIndexed(ma_l(), place, nanoseconds(0));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Answer(*loaded, 0x000005000001), "000005 MA-L: [Vendor 5]");
  }
  // A folder where the index would go: written, not put in place, and
  // its temporary file gone.
  fs::create_directories(index());
  EXPECT_FALSE(WriteListingIndex(index(), ma_l(), *set, nanoseconds(0)));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "cache"),
                          fs::directory_iterator()),
            1);
  fs::remove(index());
  // Nothing left behind by the writes that were made.
  EXPECT_TRUE(WriteListingIndex(index(), ma_l(), *set, nanoseconds(0)));
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(folder_ / "cache")) {
    left.push_back(Utf8FromPath(entry.path().filename()));
  }
  EXPECT_EQ(left, std::vector<std::string>{"listings.idx"});
}

TEST(ListingIndexPathTest, OneIndexForEachListingInTheUsersCacheFolder) {
  const std::string one = ListingIndexPath("/srv/a/base.dat");
  const std::string two = ListingIndexPath("/srv/b/base.dat");
  ASSERT_FALSE(one.empty());
  EXPECT_NE(one, two);
  // Paths apart in their last byte alone are two listings all the same.
  EXPECT_NE(one, ListingIndexPath("/srv/a/base.dau"));
  EXPECT_EQ(one, ListingIndexPath("/srv/a/../a/base.dat"));
  EXPECT_EQ(PathFromUtf8(one).parent_path(), PathFromUtf8(two).parent_path());
#ifdef _WIN32
  constexpr const char* kOurs = "Venmark";
#else
  constexpr const char* kOurs = "venmark";
#endif
  EXPECT_EQ(PathFromUtf8(one).parent_path().filename(), kOurs);
#ifndef _WIN32
  // Under the cache folder the user names.
  const TestFolder cache;
  const char* before = std::getenv("XDG_CACHE_HOME");
  const std::string kept = before != nullptr ? before : "";
  ::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1);
  EXPECT_EQ(PathFromUtf8(ListingIndexPath("/srv/a/base.dat")).parent_path(),
            cache / "venmark");
  ::setenv("XDG_CACHE_HOME", kept.c_str(), 1);
#endif
}

}  // namespace
}  // namespace venmark

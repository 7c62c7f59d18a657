#include "listings/user_names.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

#include "listings/listing_set.h"
#include "listings/paths.h"
#include "listings/result_rows.h"
#include "scan/text_codec.h"
#include "testing/listings.h"

namespace venmark {
namespace {

TEST(UserNamesTest, ReadsMacsAndPrefixesAsNamesFilesWriteThem) {
  using P = std::pair<std::uint64_t, int>;
  const struct {
    const char* text;
    std::optional<P> parsed;
  } cases[] = {
      {"00:50:56:aa:bb:cc", P{0x005056AABBCC, 48}},
      {"0:1d:aa:8:23:ed", P{0x001DAA0823ED, 48}},
      {"00-50-56-AA-BB-CC", P{0x005056AABBCC, 48}},
      {"0050.56aa.bbcc", P{0x005056AABBCC, 48}},
      {"005056aabbcc", P{0x005056AABBCC, 48}},
      {"02:42:ac:00:00:00/24", P{0x0242AC000000, 24}},
      {"0A-1B-2C/24", P{0x0A1B2C000000, 24}},
      {"00:50:56:80:00:00/28", P{0x005056800000, 28}},
      {"00:50:56:8f:ff:ff/28", P{0x005056800000, 28}},
      {"0A1B/12", P{0x0A1000000000, 12}},
      {"00:50:56:aa:bb:cc/48", P{0x005056AABBCC, 48}},
      {"00:50:56:8c:00:00/29", P{0x005056880000, 29}},
      {"82/1", P{0x800000000000, 1}},
      {"00:50:56:aa:bb:cc:dd/24", std::nullopt},
      {"/24", std::nullopt},
      {"00:50:56:aa:bb", std::nullopt},
      {"00:50:56:aa:bb:cc:dd", std::nullopt},
      {"0A-1B-2C/25", std::nullopt},
      {"0A-1B-2C/0", std::nullopt},
      {"0A-1B-2C/", std::nullopt},
      {"0A-1B-2C/x", std::nullopt},
      {"0A-1B-2C/-8", std::nullopt},
      {"100:50:56:aa:bb:cc", std::nullopt},
      {"0050.56aa.bb", std::nullopt},
      {"00:50-56:aa:bb:cc", std::nullopt},
      {"vcenter-01", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseNamedAddress(c.text), c.parsed) << c.text;
  }
}

// Of a range named in two files, the first file's name holds, however
// many of its own lines that file named twice.
TEST(UserNamesTest, TheFirstFilesNameOfARangeHolds) {
  UserNames names;
  names.Add("0A-00-00/24 a1\n0A-00-00/24 a2\n0A-00-00/24 a3\n0B-00-00/24 b1\n",
            "first", nullptr);
  names.Add("0B-00-00/24 b2\n0A-00-00/24 a4\n", "second", nullptr);
  ASSERT_NE(names.Range(0x0B0000000001), nullptr);
  EXPECT_EQ(names.Range(0x0B0000000001)->name, "b1");
  EXPECT_EQ(names.Range(0x0A0000000001)->name, "a1");
}

TEST(UserNamesTest, NamesDevicesAndTheMostSpecificRange) {
  UserNames names;
  std::vector<BadNameLine> bad;
  names.Add(
      "# our names\n"
      "00:50:56:aa:bb:cc vcenter-01   # the cluster's head\n"
      "00:50:56:80:00:00/28\tVM cluster\r\n"
      "00:50:56:00:00:00/24 all VMware\n"
      "\n"
      "00:50:56:aa:bb:cc second name\n"
      "garbage here\n"
      "00:50:56:aa:bb:dd\n"
      "02:42:ac:00:00:00/24 docker\n",
      "/etc/venmark/names.txt", &bad);
  EXPECT_EQ(names.size(), 4u);
  EXPECT_EQ(names.Device(0x005056AABBCC), "vcenter-01");
  EXPECT_FALSE(names.Device(0x005056AABBCD));
  ASSERT_NE(names.Range(0x00505680FFFF), nullptr);
  EXPECT_EQ(names.Range(0x00505680FFFF)->name, "VM cluster");
  EXPECT_EQ(names.Range(0x005056900000)->name, "all VMware");
  EXPECT_EQ(names.Range(0x0242AC110002)->name, "docker");
  EXPECT_EQ(names.Range(0x0242AD110002), nullptr);
  ASSERT_EQ(bad.size(), 2u);
  EXPECT_EQ(bad[0].path, "/etc/venmark/names.txt");
  EXPECT_EQ(bad[0].line, 7u);
  EXPECT_EQ(bad[1].line, 8u);
  // A range named again, in the file or a later one, keeps its first name.
  names.Add("0A-1B-2C/24 first\n0a:1b:2c:00:00:00/24 second\n", "a", &bad);
  names.Add("0a1b2c/24 third\n0a1b2c/16 wider\n", "b", &bad);
  EXPECT_EQ(names.Range(0x0A1B2C000001)->name, "first");
  EXPECT_EQ(names.Range(0x0A1B00000001)->name, "wider");
  EXPECT_EQ(names.size(), 6u);
}

// A names file as editors save it: UTF-8 with or without its mark, UTF-16
// either way round, and Notepad's "ANSI" on a Russian Windows (Windows-1251),
// each read into the same UTF-8 names.
// Ranges looked up through their index answer as a search of every range
// in turn would: the longest holding the address, of one named twice its
// first name. Many lengths, nested ranges, neighbours on either side.
TEST(UserNamesTest, TheIndexAnswersAsEveryRangeInTurnWould) {
  std::mt19937_64 random(7);
  struct Model {
    std::uint64_t prefix;
    int bits;
    std::string name;
  };
  std::vector<Model> ranges;
  std::string text;
  char line[64];
  for (int i = 0; i < 3000; ++i) {
    const int bits = std::uniform_int_distribution<int>(1, 48)(random);
    // Few distinct high bits, so that ranges nest and meet.
    std::uint64_t address = (random() & 0xF0F000000000ull) | (random() & 0xFF);
    address &= bits == 48 ? ~0ull : ~((std::uint64_t{1} << (48 - bits)) - 1);
    std::snprintf(line, sizeof line, "%012llX/%d r%d\n",
                  static_cast<unsigned long long>(address), bits, i);
    text += line;
    // Appended: GCC 12 at -O3 takes "r" + … for overlapping copies.
    std::string name = "r";
    name += std::to_string(i);
    ranges.push_back({address, bits, name});
  }
  UserNames names;
  std::vector<BadNameLine> bad;
  names.Add(text, "names.txt", &bad);
  ASSERT_TRUE(bad.empty());
  for (int i = 0; i < 20000; ++i) {
    const std::uint64_t address =
        (random() & 0xF0F000000000ull) | (random() & 0xFFFFFFFFFull);
    const Model* best = nullptr;
    for (const Model& range : ranges) {
      if (address >> (48 - range.bits) == range.prefix >> (48 - range.bits) &&
          (best == nullptr || range.bits > best->bits)) {
        best = &range;
      }
    }
    const NamedRange* found = names.Range(address);
    ASSERT_EQ(found == nullptr, best == nullptr) << std::hex << address;
    if (best != nullptr) {
      EXPECT_EQ(found->name, best->name) << std::hex << address;
      EXPECT_EQ(found->bits, best->bits);
    }
  }
}

TEST(UserNamesTest, ReadsEveryEncodingEditorsSave) {
  const std::string utf8 = "00:50:56:aa:bb:cc Сервер №1 — «бухгалтерия»\r\n";
  const std::string cp1251 =
      "00:50:56:aa:bb:cc \xD1\xE5\xF0\xE2\xE5\xF0 \xB9\x31 \x97 "
      "\xAB\xE1\xF3\xF5\xE3\xE0\xEB\xF2\xE5\xF0\xE8\xFF\xBB\r\n";
  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (const char16_t c :
       std::u16string(u"00:50:56:aa:bb:cc Сервер №1 — «бухгалтерия»\r\n")) {
    le += static_cast<char>(c & 0xFF);
    le += static_cast<char>(c >> 8);
    be += static_cast<char>(c >> 8);
    be += static_cast<char>(c & 0xFF);
  }
  for (const std::string& bytes :
       {utf8, "\xEF\xBB\xBF" + utf8, cp1251, le, be}) {
    EXPECT_EQ(TextFileAsUtf8(bytes), utf8) << bytes.size();
  }
  // Stray bytes that are no UTF-8 read as Windows-1251 too: every output
  // is valid UTF-8 (the one byte it leaves undefined is U+FFFD).
  EXPECT_EQ(TextFileAsUtf8("a\x98\xFF"), "a\uFFFDя");
  EXPECT_EQ(TextFileAsUtf8("\x80\xA8\xB8\xC0"), "ЂЁёА");
}

// Every editor's line ends: CR LF, LF, and a lone CR, which ends a line as
// in the listings; a bad line's number counts them alike.
TEST(UserNamesTest, ReadsEveryLineEnd) {
  for (const char* eol : {"\r\n", "\n", "\r"}) {
    UserNames names;
    std::vector<BadNameLine> bad;
    const std::string e = eol;
    names.Add("# ours" + e + "00:50:56:aa:bb:cc vcenter-01" + e + "garbage" +
                  e + "02:42:ac:00:00:00/24 docker" + e,
              "names.txt", &bad);
    EXPECT_EQ(names.Device(0x005056AABBCC), "vcenter-01") << int(eol[0]);
    ASSERT_NE(names.Range(0x0242AC110002), nullptr) << int(eol[0]);
    EXPECT_EQ(names.Range(0x0242AC110002)->name, "docker");
    ASSERT_EQ(bad.size(), 1u) << int(eol[0]);
    EXPECT_EQ(bad[0].line, 3u) << int(eol[0]);
  }
}

// In the result lines: a device keeps its vendor and adds its name; a
// range answers where it is more specific than the listings' assignment
// (or where they know nothing; one as wide as the assignment leaves it be),
// with a note that the name is the user's; machine formats carry the name in a
// field of its own.
TEST(UserNamesTest, ResultLinesCarryTheAdministratorsNames) {
  ListingSet listings(
      MalListing::Parse("00-50-56   (hex)\t\tVMware, Inc.\r\n"
                        "70-B3-D5   (hex)\t\tIEEE Registration Authority\r\n"),
      std::nullopt, std::nullopt,
      BlockListing::Parse("70-B3-D5   (hex)\t\tIEEE Registration Authority\r\n"
                          "70B3D5000000-70B3D5FFFFFF     (base 16)\t\tx\r\n"));
  const TestFolder folder;
  WriteWholeFile(folder / "names.txt",
                 "00:50:56:aa:bb:cc vcenter-01\n"
                 "00:50:56:80:00:00/28 VM cluster\n"
                 "00:50:56:00:00:00/24 as wide\n"
                 "70:b3:d5:00:00:00/24 too wide\n"
                 "02:00:00:00:00:00/8 lab\n"
                 "02:00:00:00:00:01 lab-router\n");
  listings.ReadNames({Utf8FromPath(folder / "names.txt"),
                      Utf8FromPath(folder / "missing.txt")});
  ASSERT_EQ(listings.names_files().size(), 1u);
  EXPECT_EQ(listings.names_files()[0].second, 6u);
  const std::string text =
      "00:50:56:aa:bb:cc 00:50:56:80:12:34 00:50:56:91:00:01 "
      "02:00:00:00:00:05 02:00:00:00:00:01 06:00:00:00:00:01";
  EXPECT_EQ(SearchText(text, listings, TestStyle(ResultFormat::kText, "\n")),
            "00:50:56:aa:bb:cc - VMware, Inc. [vcenter-01]\n"
            "00:50:56:80:12:34 - VM cluster (your range)\n"
            "00:50:56:91:00:01 - VMware, Inc.\n"
            "02:00:00:00:00:05 - lab (your range)\n"
            "02:00:00:00:00:01 - lab (your range) [lab-router]\n"
            "06:00:00:00:00:01 - no vendor (local)\n");
  EXPECT_EQ(SearchText("00:50:56:80:12:34 02:00:00:00:00:01", listings,
                       TestStyle(ResultFormat::kTsv, "\n")),
            "00:50:56:80:12:34\t005056\tVMware, Inc.\t\t00:50:56:80:12:34\t1\t"
            "VM cluster\n"
            "02:00:00:00:00:01\t\t\tlocal\t02:00:00:00:00:01\t1\tlab-router\n");
  EXPECT_EQ(SearchText("00:50:56:aa:bb:cc", listings,
                       TestStyle(ResultFormat::kJson, "\n")),
            "{\"mac\":\"00:50:56:aa:bb:cc\",\"assignment\":\"005056\","
            "\"vendor\":\"VMware, Inc.\",\"note\":\"\",\"address\":"
            "\"00:50:56:aa:bb:cc\",\"line\":1,\"name\":\"vcenter-01\"}\n");
}

}  // namespace
}  // namespace venmark

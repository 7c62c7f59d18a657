// Origins, their settings and updates from folders, on the file system and
// settings store of whichever system runs it: Linux, and Windows under
// Wine (the registry).
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "listings/listing_places.h"
#include "listings/paths.h"
#include "testing/listings.h"
#include "testing/update_problems.h"
#include "update/file_transport.h"
#include "update/listing_update.h"
#include "update/origin.h"
#include "update/settings.h"

namespace venmark {
namespace {

namespace fs = std::filesystem;

void SetVariable(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  if (value.empty()) {
    ::unsetenv(name);
  } else {
    ::setenv(name, value.c_str(), 1);
  }
#endif
}

void Put(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

TEST(OriginTest, ParsesEveryWayAnOriginIsWritten) {
  using enum Origin::Kind;
  const struct {
    const char* text;
    std::optional<Origin> origin;
  } cases[] = {
      {"", std::nullopt},
      {"  \t\r\n", std::nullopt},
      {"https://standards-oui.ieee.org", Origin{kWeb, kIeeeOrigin}},
      {" HTTPS://mirror.corp/ieee/ \n",
       Origin{kWeb, "HTTPS://mirror.corp/ieee"}},
      {"http://10.0.0.5:8080", Origin{kWeb, "http://10.0.0.5:8080"}},
      {"/media/usb/ieee/", Origin{kFolder, "/media/usb/ieee"}},
      {"/", Origin{kFolder, "/"}},
      {"ieee", Origin{kFolder, "ieee"}},
      {"file:///srv/IEEE%20data/", Origin{kFolder, "/srv/IEEE data"}},
      {"file:///srv/a%09b%4", Origin{kFolder, "/srv/a\tb%4"}},
      {"file:///srv/%zz", Origin{kFolder, "/srv/%zz"}},
      {"file://localhost/srv/ieee", Origin{kFolder, "/srv/ieee"}},
      // Cut at a zero byte, the path would name another folder.
      {"file:///srv/ieee%00/../etc", std::nullopt},
      {"FILE:///%00", std::nullopt},
      {"file:///srv/%000", std::nullopt},
#ifdef _WIN32
      {"\\\\srv\\share\\ieee\\", Origin{kFolder, "\\\\srv\\share\\ieee"}},
      {"file://srv/share/ieee", Origin{kFolder, "\\\\srv\\share\\ieee"}},
      {"file:///C:/ieee", Origin{kFolder, "C:/ieee"}},
#else
      {"file://srv/share/ieee", Origin{kFolder, "//srv/share/ieee"}},
#endif
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseOrigin(c.text), c.origin) << c.text;
  }
  EXPECT_TRUE(IsIeee(Origin{}));
  EXPECT_TRUE(IsIeee(*ParseOrigin("https://STANDARDS-OUI.IEEE.ORG/")));
  EXPECT_FALSE(IsIeee(*ParseOrigin("https://standards-oui.ieee.org.evil")));
  EXPECT_FALSE(IsIeee(*ParseOrigin("http://standards-oui.ieee.org")));
}

// UTF-16 with its mark, either way round.
std::string Utf16Bytes(std::u16string_view text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t c : text) {
    const char high = static_cast<char>(c >> 8), low = static_cast<char>(c);
    bytes += big_endian ? high : low;
    bytes += big_endian ? low : high;
  }
  return bytes;
}

// As users write settings: any editor's line ends and encoding, the key in
// any case, quotes, blank values that leave a later line its say.
TEST(OriginTest, ReadsTheOriginLineOfASettingsFile) {
  const struct {
    std::string text;
    std::optional<std::string> origin;
  } cases[] = {
      {"", std::nullopt},
      {"origin=https://mirror", "https://mirror"},
      {"\xEF\xBB\xBF  origin =  /media/usb/ieee  \r\n", "/media/usb/ieee"},
      {"# origin=/commented\n; origin=/too\nname=x\norigin=/real\norigin=/late",
       "/real"},
      {"  # origin=/indented comment\norigin=/real", "/real"},
      {"origins=/other\norigin_x=/other\nxorigin=/other\n", std::nullopt},
      {"origin=\n", std::nullopt},
      {"origin=\norigin = /later\n", "/later"},
      {"origin=\"\"\norigin=/after-quotes", "/after-quotes"},
      {"Origin=/a", "/a"},
      {"ORIGIN = /b", "/b"},
      {"name=x\r\norigin=/crlf\r\n", "/crlf"},
      {"name=x\rorigin=/cr\rnext=y\r", "/cr"},
      {"origin = \"/media/usb stick/ieee\" \n", "/media/usb stick/ieee"},
      {"origin=\"https://mirror\"", "https://mirror"},
      {"origin=\"unclosed", "\"unclosed"},
      {"origin=/a#b;c", "/a#b;c"},
      {"origin=/x=y", "/x=y"},
      {"origin\norigin /x\norigin=/after", "/after"},
      {"#origin=/commented\n;origin=/too\n", std::nullopt},
      {Utf16Bytes(u"# мой\r\norigin=/media/Папка\r\n", false), "/media/Папка"},
      {Utf16Bytes(u"origin=/media/Папка", true), "/media/Папка"},
      // Notepad's "ANSI" on a Russian Windows.
      {"origin=/media/\xCF\xE0\xEF\xEA\xE0\n", "/media/Папка"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OriginInSettings(c.text), c.origin) << c.text;
  }
}

// The variable first, then the user's setting, then the machine's; a blank
// one is passed over, one that cannot be read is named.
TEST(OriginTest, FindsTheSettingFirstSetAsThePlatformKeepsThem) {
  TestFolder folder;
  SetVariable("VENMARK_IEEE_ORIGIN", "");
  using Why = SkippedSetting::Why;
#ifdef _WIN32
  const std::string user_key = "HKEY_CURRENT_USER\\Software\\Venmark\\Origin";
  const std::string machine_key =
      "HKEY_LOCAL_MACHINE\\Software\\Venmark\\Origin";
  auto set_raw = [](HKEY root, DWORD type, const void* value, DWORD size) {
    if (value == nullptr) {
      RegDeleteKeyValueW(root, L"Software\\Venmark", L"Origin");
      return;
    }
    ASSERT_EQ(RegSetKeyValueW(root, L"Software\\Venmark", L"Origin", type,
                              value, size),
              ERROR_SUCCESS);
  };
  auto set = [&](HKEY root, const wchar_t* value, DWORD type = REG_SZ) {
    set_raw(root, type, value,
            value == nullptr
                ? 0
                : static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
  };
  set(HKEY_CURRENT_USER, nullptr);
  set(HKEY_LOCAL_MACHINE, nullptr);
  EXPECT_TRUE(FindOriginSetting().where.empty());
  EXPECT_TRUE(IsIeee(FindOriginSetting().origin));
  set(HKEY_LOCAL_MACHINE, L"\\\\srv\\share\\ieee");
  set(HKEY_CURRENT_USER, L" ");
  OriginSetting found = FindOriginSetting();
  EXPECT_EQ(found.origin.location, "\\\\srv\\share\\ieee");
  EXPECT_EQ(found.where, machine_key);
  EXPECT_TRUE(found.skipped.empty());
  set(HKEY_CURRENT_USER, L"C:\\Папка IEEE");
  found = FindOriginSetting();
  EXPECT_EQ(found.origin.location, "C:\\Папка IEEE");
  EXPECT_EQ(found.where, user_key);
  // A string to expand, as an installer may write it.
  SetVariable("VENMARK_TEST_DRIVE", "D:");
  set(HKEY_CURRENT_USER, L"%VENMARK_TEST_DRIVE%\\ieee", REG_EXPAND_SZ);
  EXPECT_EQ(FindOriginSetting().origin.location, "D:\\ieee");
  // A value of another type, or one longer than any path, is named and
  // passed over for the machine's.
  const DWORD number = 1;
  set_raw(HKEY_CURRENT_USER, REG_DWORD, &number, sizeof number);
  found = FindOriginSetting();
  EXPECT_EQ(found.where, machine_key);
  EXPECT_EQ(found.skipped,
            (std::vector<SkippedSetting>{{user_key, Why::kNotAString, 0}}));
  const std::wstring long_path(kRegistryOriginLimit + 1, L'a');
  set(HKEY_CURRENT_USER, long_path.c_str());
  EXPECT_EQ(FindOriginSetting().skipped,
            (std::vector<SkippedSetting>{{user_key, Why::kTooLong, 0}}));
  set(HKEY_CURRENT_USER, long_path.substr(1).c_str());
  EXPECT_EQ(FindOriginSetting().where, user_key);
  SetVariable("VENMARK_IEEE_ORIGIN", "http://mirror");
  EXPECT_EQ(FindOriginSetting().where, "VENMARK_IEEE_ORIGIN");
  SetVariable("VENMARK_IEEE_ORIGIN", "");
  set(HKEY_CURRENT_USER, nullptr);
  set(HKEY_LOCAL_MACHINE, nullptr);
#else
  const fs::path user = folder / "config";
  const fs::path machine1 = folder / "xdg1";
  const fs::path machine2 = folder / "xdg2";
  const std::string conf1 = (machine1 / "venmark" / "venmark.conf").string();
  const std::string conf2 = (machine2 / "venmark" / "venmark.conf").string();
  SetVariable("XDG_CONFIG_HOME", user.string());
  SetVariable("XDG_CONFIG_DIRS",
              machine1.string() + ":relative:" + machine2.string());
  EXPECT_TRUE(FindOriginSetting().where.empty());
  EXPECT_TRUE(FindOriginSetting().skipped.empty());
  Put(conf2, "origin=/media/usb/ieee\n");
  OriginSetting found = FindOriginSetting();
  EXPECT_EQ(found.origin, (Origin{Origin::Kind::kFolder, "/media/usb/ieee"}));
  EXPECT_EQ(found.where, conf2);
  // A FIFO in a settings file's place is passed over, not waited on, and
  // named; so is a file far larger than settings, and a folder.
  fs::create_directories(machine1 / "venmark");
  ASSERT_EQ(::mkfifo(conf1.c_str(), 0600), 0);
  found = FindOriginSetting();
  EXPECT_EQ(found.where, conf2);
  EXPECT_EQ(found.skipped,
            (std::vector<SkippedSetting>{{conf1, Why::kNotAFile, 0}}));
  fs::remove(conf1);
  Put(conf1, std::string(kSettingsFileLimit, '#') + "\norigin=/big\n");
  EXPECT_EQ(FindOriginSetting().skipped,
            (std::vector<SkippedSetting>{{conf1, Why::kTooLarge, 0}}));
  Put(conf1, std::string(kSettingsFileLimit - 12, '#') + "\norigin=/b\n");
  EXPECT_EQ(FindOriginSetting().origin.location, "/b");
  fs::remove(conf1);
  fs::create_directories(conf1);
  EXPECT_EQ(FindOriginSetting().skipped,
            (std::vector<SkippedSetting>{{conf1, Why::kUnreadable, EISDIR}}));
  fs::remove(conf1);
  // A file:// URL with %00 in it names no folder: told, and the next one
  // taken.
  Put(conf1, "origin=file:///srv/ieee%00/x\n");
  found = FindOriginSetting();
  EXPECT_EQ(found.where, conf2);
  EXPECT_EQ(found.skipped,
            (std::vector<SkippedSetting>{{conf1, Why::kNoOrigin, 0}}));
  Put(conf1, "# none here\n");
  Put(user / "venmark" / "venmark.conf", "origin = \n");
  EXPECT_EQ(FindOriginSetting().where, conf2);
  Put(user / "venmark" / "venmark.conf", "origin=https://mirror.corp/ieee\n");
  EXPECT_EQ(FindOriginSetting().origin.location, "https://mirror.corp/ieee");
  SetVariable("VENMARK_IEEE_ORIGIN", "file:///srv/ieee");
  found = FindOriginSetting();
  EXPECT_EQ(found.origin, (Origin{Origin::Kind::kFolder, "/srv/ieee"}));
  EXPECT_EQ(found.where, "VENMARK_IEEE_ORIGIN");
  SetVariable("VENMARK_IEEE_ORIGIN", "");
  // Without XDG_CONFIG_HOME, the user's file is under ~/.config.
  SetVariable("XDG_CONFIG_HOME", "");
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  SetVariable("HOME", folder.path().string());
  Put(folder / ".config" / "venmark" / "venmark.conf", "origin=http://home\n");
  EXPECT_EQ(FindOriginSetting().origin.location, "http://home");
  SetVariable("HOME", home);
  // Set but empty, the machine's folders are the XDG default.
  ::setenv("XDG_CONFIG_DIRS", "", 1);
  EXPECT_EQ(SettingsFiles().back(), "/etc/xdg/venmark/venmark.conf");
  SetVariable("XDG_CONFIG_DIRS", "");
#endif
}

// A folder goes through the update as a server does: the IEEE's layout or
// the four files flat, each check of a download, a missing or bad
// companion keeping its old file.
class FolderUpdateTest : public testing::Test {
 protected:
  void SetUp() override {
    options_.listing = Utf8FromPath(target_ / "base.dat");
    for (const ListingKindRow& row : kListingKinds) {
      Put(target_ / std::string(row.our_name),
          row.kind == ListingKind::kMaL ? MakeListing(20, "Old")
                                        : MakeKindListing(row.kind, 5, "Old"));
    }
  }

  UpdateResult UpdateFrom(const fs::path& folder,
                          UpdateProgress progress = {}) {
    options_.sources = SourcesAt({Origin::Kind::kFolder, Utf8FromPath(folder)});
    return UpdateListings(options_, *transport_, progress);
  }

  TestFolder target_, origin_;
  UpdateOptions options_;
  std::unique_ptr<Transport> transport_ = MakeFileTransport();
};

TEST_F(FolderUpdateTest, TakesEitherLayoutAndEachCheckOfADownload) {
  const std::string fresh = MakeListing(25, "New");
  Put(origin_ / "oui" / "oui.txt", fresh);
  // The file's time stands for the listing's day, as Last-Modified does.
  const auto day =
      fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  fs::last_write_time(origin_ / "oui" / "oui.txt", day);
  Put(origin_ / "oui28" / "mam.txt",
      MakeKindListing(ListingKind::kMaM, 6, "M"));
  // The rest laid flat beside the layout's folders.
  Put(origin_ / "oui36.txt", MakeBlockListing(6, "S"));
  Put(origin_ / "iab.txt", MakeKindListing(ListingKind::kIab, 6, "I"));
  Put(origin_ / "cid" / "cid.txt", MakeKindListing(ListingKind::kCid, 6, "C"));
  std::vector<UpdateStep> steps;
  const UpdateResult result =
      UpdateFrom(origin_.path(), [&](const UpdateStep& s) {
        steps.push_back(s);
        return true;
      });
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  EXPECT_TRUE(result.kept.empty());
  EXPECT_EQ(ReadWholeFile(Utf8FromPath(target_ / "base.dat")), fresh);
  EXPECT_LT(std::chrono::abs(fs::last_write_time(target_ / "base.dat") - day),
            std::chrono::seconds(2));
  EXPECT_EQ(ReadWholeFile(Utf8FromPath(target_ / "base-mas.dat")),
            MakeBlockListing(6, "S"));
  // Every step knows its file's size from the start, and never counts
  // more than it.
  ASSERT_FALSE(steps.empty());
  for (const UpdateStep& step : steps) {
    EXPECT_EQ(step.listings, kListingKindCount);
    EXPECT_GE(step.total, 0);
    EXPECT_LE(step.received, step.total);
  }
  EXPECT_EQ(steps.front().total, static_cast<std::int64_t>(fresh.size()));

  // A missing companion keeps its old file and is named; a bad one too.
  fs::remove(origin_ / "iab.txt");
  Put(origin_ / "oui36.txt", "not a listing\n");
  Put(origin_ / "oui" / "oui.txt", MakeListing(26, "Newer"));
  const UpdateResult partial = UpdateFrom(origin_.path());
  ASSERT_EQ(partial.status, UpdateStatus::kUpdated) << Debug(partial.problem);
  ASSERT_EQ(partial.kept.size(), 2u);
  for (const KeptListing& kept : partial.kept) {
    if (kept.kind == ListingKind::kIab) {
      EXPECT_EQ(kept.why.kind, UpdateFailure::kNoFile);
      EXPECT_EQ(kept.why.path, Utf8FromPath(origin_ / "iab" / "iab.txt"));
    } else {
      EXPECT_EQ(kept.kind, ListingKind::kMaS);
      EXPECT_EQ(kept.why.kind, UpdateFailure::kNotAListing);
    }
  }
  EXPECT_EQ(ReadWholeFile(Utf8FromPath(target_ / "base-iab.dat")),
            MakeKindListing(ListingKind::kIab, 6, "I"));

  // Without the MA-L listing, or with one far too small, nothing changes.
  Put(origin_ / "oui" / "oui.txt", MakeListing(5, "Few"));
  EXPECT_EQ(UpdateFrom(origin_.path()).problem.kind, UpdateFailure::kTooFew);
  fs::remove_all(origin_ / "oui");
  const UpdateResult none = UpdateFrom(origin_.path());
  EXPECT_EQ(none.problem.kind, UpdateFailure::kNoFile);
  EXPECT_EQ(ReadWholeFile(Utf8FromPath(target_ / "base.dat")),
            MakeListing(26, "Newer"));
  // A folder that is not there at all says which file it lacks.
  EXPECT_EQ(UpdateFrom(origin_ / "nowhere").problem.path,
            Utf8FromPath(origin_ / "nowhere" / "oui" / "oui.txt"));
}

TEST_F(FolderUpdateTest, TakesEveryKindInEitherLayoutAndCancels) {
  // Each kind of the table in the IEEE's layout, then laid flat.
  for (const bool flat : {false, true}) {
    const std::string vendor = flat ? "Flat" : "Layout";
    for (const ListingKindRow& row : kListingKinds) {
      const fs::path ieee = PathFromUtf8(row.ieee_path);
      Put(flat ? origin_.path() / ieee.filename() : origin_.path() / ieee,
          row.kind == ListingKind::kMaL ? MakeListing(22, vendor)
                                        : MakeKindListing(row.kind, 5, vendor));
    }
    const UpdateResult result = UpdateFrom(origin_.path());
    ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
    EXPECT_TRUE(result.kept.empty()) << vendor;
    for (const ListingKindRow& row : kListingKinds) {
      EXPECT_EQ(
          ReadWholeFile(Utf8FromPath(target_ / std::string(row.our_name))),
          row.kind == ListingKind::kMaL ? MakeListing(22, vendor)
                                        : MakeKindListing(row.kind, 5, vendor))
          << row.name << " " << vendor;
    }
    // The layout's files go before the flat ones are put.
    if (!flat) {
      for (const ListingKindRow& row : kListingKinds) {
        fs::remove_all(origin_.path() /
                       PathFromUtf8(row.ieee_path).parent_path());
      }
    }
  }
  const UpdateResult cancelled = UpdateFrom(
      origin_.path(), [](const UpdateStep& step) { return step.listing < 2; });
  EXPECT_EQ(cancelled.status, UpdateStatus::kCancelled);
  EXPECT_EQ(ReadWholeFile(Utf8FromPath(target_ / "base.dat")),
            MakeListing(22, "Flat"));
  // A file over the limit is refused before it is read.
  options_.max_bytes = 100;
  EXPECT_EQ(UpdateFrom(origin_.path()).problem.kind, UpdateFailure::kTooLarge);
}

// Where a folder holds the IEEE's layout and flat files both, the layout
// counts; each file must be of its kind, also where there is no old file
// to compare with; and only regular files are read.
TEST_F(FolderUpdateTest, TakesTheLayoutFirstAndOnlyEachKindsOwnFile) {
  for (const ListingKindRow& row : kListingKinds) {
    const fs::path ieee = PathFromUtf8(row.ieee_path);
    const bool ma_l = row.kind == ListingKind::kMaL;
    Put(origin_.path() / ieee, ma_l ? MakeListing(22, "Layout")
                                    : MakeKindListing(row.kind, 5, "Layout"));
    Put(origin_.path() / ieee.filename(),
        ma_l ? MakeListing(22, "Flat") : MakeKindListing(row.kind, 5, "Flat"));
  }
  UpdateResult result = UpdateFrom(origin_.path());
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  EXPECT_TRUE(result.kept.empty());
  for (const ListingKindRow& row : kListingKinds) {
    EXPECT_NE(ReadWholeFile(Utf8FromPath(target_ / std::string(row.our_name)))
                  .find("Layout 0"),
              std::string::npos)
        << row.name;
  }

  // Each kind offered another's listing, into a folder with no listings:
  // the MA-L listing decides the update, a companion keeps nothing.
  const struct {
    ListingKind asked, offered;
  } mixups[] = {
      {ListingKind::kMaL, ListingKind::kMaM},
      {ListingKind::kMaL, ListingKind::kMaS},
      {ListingKind::kMaL, ListingKind::kCid},
      {ListingKind::kMaS, ListingKind::kMaM},
      {ListingKind::kMaS, ListingKind::kIab},
      {ListingKind::kIab, ListingKind::kMaS},
      {ListingKind::kMaM, ListingKind::kMaS},
      {ListingKind::kCid, ListingKind::kMaL},
  };
  for (const auto& mixup : mixups) {
    SCOPED_TRACE(std::string(KindName(mixup.asked)) + " offered " +
                 std::string(KindName(mixup.offered)));
    TestFolder empty, from;
    for (const ListingKindRow& row : kListingKinds) {
      const ListingKind given =
          row.kind == mixup.asked ? mixup.offered : row.kind;
      Put(from.path() / PathFromUtf8(row.ieee_path),
          given == ListingKind::kMaL ? MakeListing(22, "Given")
                                     : MakeKindListing(given, 5, "Given"));
    }
    options_.listing = Utf8FromPath(empty / "base.dat");
    result = UpdateFrom(from.path());
    const UpdateProblem wrong{
        .kind = UpdateFailure::kWrongKind,
        .count = static_cast<std::int64_t>(IndexOf(mixup.offered)),
        .other = static_cast<std::int64_t>(IndexOf(mixup.asked))};
    if (mixup.asked == ListingKind::kMaL) {
      EXPECT_EQ(Debug(result.problem), Debug(wrong));
      EXPECT_TRUE(fs::is_empty(empty.path()));
      continue;
    }
    ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
    ASSERT_EQ(result.kept.size(), 1u);
    EXPECT_EQ(result.kept[0].kind, mixup.asked);
    EXPECT_FALSE(result.kept[0].existed);
    EXPECT_EQ(Debug(result.kept[0].why), Debug(wrong));
    EXPECT_FALSE(fs::exists(empty / std::string(RowOf(mixup.asked).our_name)));
  }
  options_.listing = Utf8FromPath(target_ / "base.dat");

#ifndef _WIN32
  // A FIFO, or a link to a device, is no listing: refused without waiting
  // for a writer, and told as what it is, not as a folder.
  fs::remove(origin_.path() / "oui36" / "oui36.txt");
  ASSERT_EQ(::mkfifo((origin_.path() / "oui36" / "oui36.txt").c_str(), 0600),
            0);
  fs::remove(origin_.path() / "iab" / "iab.txt");
  fs::create_symlink("/dev/zero", origin_.path() / "iab" / "iab.txt");
  result = UpdateFrom(origin_.path());
  ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
  ASSERT_EQ(result.kept.size(), 2u);
  for (const KeptListing& kept : result.kept) {
    EXPECT_EQ(kept.why.kind, UpdateFailure::kFileNotRegular);
    EXPECT_TRUE(kept.existed);
  }
  EXPECT_EQ(result.kept[0].why.path,
            Utf8FromPath(origin_.path() / "oui36" / "oui36.txt"));
  fs::remove(origin_.path() / "oui" / "oui.txt");
  ASSERT_EQ(::mkfifo((origin_.path() / "oui" / "oui.txt").c_str(), 0600), 0);
  EXPECT_EQ(UpdateFrom(origin_.path()).problem.kind,
            UpdateFailure::kFileNotRegular);
#else
  // A file another program holds open without sharing is told as busy,
  // not as one the user may not read.
  const HANDLE held =
      CreateFileW((origin_.path() / "oui" / "oui.txt").c_str(), GENERIC_READ, 0,
                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  result = UpdateFrom(origin_.path());
  CloseHandle(held);
  EXPECT_EQ(Debug(result.problem),
            Debug({.kind = UpdateFailure::kFileUnreadable,
                   .path = Utf8FromPath(origin_.path() / "oui" / "oui.txt"),
                   .error_number = EBUSY}));
#endif
}

// A file that grows while it is read: what has come never passes the
// total shown, which grows with it.
TEST_F(FolderUpdateTest, TheTotalGrowsWithAFileThatGrows) {
  const fs::path file = origin_.path() / "grows.txt";
  Put(file, std::string(std::size_t{1} << 18, 'a'));
  std::int64_t most = 0;
  std::size_t calls = 0;
  std::string body;
  FetchRequest request;
  request.url = Utf8FromPath(file);
  const FetchResult result = transport_->Fetch(
      request,
      [&](std::string_view part) {
        body += part;
        return true;
      },
      [&](std::int64_t received, std::int64_t total) {
        if (calls++ == 0) {
          std::ofstream(file, std::ios::binary | std::ios::app)
              << std::string(std::size_t{3} << 18, 'b');
        }
        EXPECT_LE(received, total);
        most = std::max(most, total);
        return true;
      });
  EXPECT_EQ(result.outcome, FetchOutcome::kOk);
  EXPECT_EQ(body.size(), std::size_t{4} << 18);
  EXPECT_EQ(most, static_cast<std::int64_t>(body.size()));
}

}  // namespace
}  // namespace venmark

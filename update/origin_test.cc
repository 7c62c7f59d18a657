// Origins, their settings and updates from folders, on the file system and
// settings store of whichever system runs it: Linux, and Windows under
// Wine (the registry).
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "listings/listing_file.h"
#include "listings/listing_places.h"
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
      {" HTTPS://mirror.corp/ieee/ \n", Origin{kWeb, "HTTPS://mirror.corp/ieee"}},
      {"http://10.0.0.5:8080", Origin{kWeb, "http://10.0.0.5:8080"}},
      {"/media/usb/ieee/", Origin{kFolder, "/media/usb/ieee"}},
      {"/", Origin{kFolder, "/"}},
      {"ieee", Origin{kFolder, "ieee"}},
      {"file:///srv/IEEE%20data/", Origin{kFolder, "/srv/IEEE data"}},
      {"file:///srv/a%09b%4", Origin{kFolder, "/srv/a\tb%4"}},
      {"file:///srv/%zz", Origin{kFolder, "/srv/%zz"}},
      {"file://localhost/srv/ieee", Origin{kFolder, "/srv/ieee"}},
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

TEST(OriginTest, ReadsTheOriginLineOfASettingsFile) {
  const struct {
    const char* text;
    std::optional<std::string> origin;
  } cases[] = {
      {"", std::nullopt},
      {"origin=https://mirror", "https://mirror"},
      {"\xEF\xBB\xBF  origin =  /media/usb/ieee  \r\n", "/media/usb/ieee"},
      {"# origin=/commented\n; origin=/too\nname=x\norigin=/real\norigin=/late",
       "/real"},
      {"origins=/other\norigin_x=/other\n", std::nullopt},
      {"origin=\n", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OriginInSettings(c.text), c.origin) << c.text;
  }
}

// The variable first, then the user's setting, then the machine's; a blank
// one is passed over.
TEST(OriginTest, FindsTheSettingFirstSetAsThePlatformKeepsThem) {
  TestFolder folder;
  SetVariable("VENMARK_IEEE_ORIGIN", "");
#ifdef _WIN32
  auto set = [](HKEY root, const wchar_t* value) {
    if (value == nullptr) {
      RegDeleteKeyValueW(root, L"Software\\Venmark", L"Origin");
      return;
    }
    ASSERT_EQ(RegSetKeyValueW(root, L"Software\\Venmark", L"Origin", REG_SZ,
                              value,
                              static_cast<DWORD>((wcslen(value) + 1) *
                                                 sizeof(wchar_t))),
              ERROR_SUCCESS);
  };
  set(HKEY_CURRENT_USER, nullptr);
  set(HKEY_LOCAL_MACHINE, nullptr);
  EXPECT_FALSE(FindOriginSetting());
  set(HKEY_LOCAL_MACHINE, L"\\\\srv\\share\\ieee");
  set(HKEY_CURRENT_USER, L" ");
  std::optional<OriginSetting> found = FindOriginSetting();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->origin.location, "\\\\srv\\share\\ieee");
  EXPECT_EQ(found->where, "HKEY_LOCAL_MACHINE\\Software\\Venmark\\Origin");
  set(HKEY_CURRENT_USER, L"C:\\Папка IEEE");
  found = FindOriginSetting();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->origin.location, "C:\\Папка IEEE");
  EXPECT_EQ(found->where, "HKEY_CURRENT_USER\\Software\\Venmark\\Origin");
  SetVariable("VENMARK_IEEE_ORIGIN", "http://mirror");
  EXPECT_EQ(FindOriginSetting()->where, "VENMARK_IEEE_ORIGIN");
  SetVariable("VENMARK_IEEE_ORIGIN", "");
  set(HKEY_CURRENT_USER, nullptr);
  set(HKEY_LOCAL_MACHINE, nullptr);
#else
  const fs::path user = folder / "config";
  const fs::path machine1 = folder / "xdg1";
  const fs::path machine2 = folder / "xdg2";
  SetVariable("XDG_CONFIG_HOME", user.string());
  SetVariable("XDG_CONFIG_DIRS",
              machine1.string() + ":relative:" + machine2.string());
  EXPECT_FALSE(FindOriginSetting());
  Put(machine2 / "venmark" / "venmark.conf", "origin=/media/usb/ieee\n");
  std::optional<OriginSetting> found = FindOriginSetting();
  ASSERT_TRUE(found);
  EXPECT_EQ(found->origin, (Origin{Origin::Kind::kFolder, "/media/usb/ieee"}));
  EXPECT_EQ(found->where, (machine2 / "venmark" / "venmark.conf").string());
  // A FIFO in a settings file's place is passed over, not waited on.
  fs::create_directories(machine1 / "venmark");
  ASSERT_EQ(::mkfifo((machine1 / "venmark" / "venmark.conf").c_str(), 0600), 0);
  EXPECT_EQ(FindOriginSetting()->where,
            (machine2 / "venmark" / "venmark.conf").string());
  fs::remove(machine1 / "venmark" / "venmark.conf");
  Put(machine1 / "venmark" / "venmark.conf", "# none here\n");
  Put(user / "venmark" / "venmark.conf", "origin = \n");
  EXPECT_EQ(FindOriginSetting()->where,
            (machine2 / "venmark" / "venmark.conf").string());
  Put(user / "venmark" / "venmark.conf", "origin=https://mirror.corp/ieee\n");
  EXPECT_EQ(FindOriginSetting()->origin.location, "https://mirror.corp/ieee");
  SetVariable("VENMARK_IEEE_ORIGIN", "file:///srv/ieee");
  found = FindOriginSetting();
  EXPECT_EQ(found->origin, (Origin{Origin::Kind::kFolder, "/srv/ieee"}));
  EXPECT_EQ(found->where, "VENMARK_IEEE_ORIGIN");
  SetVariable("VENMARK_IEEE_ORIGIN", "");
  // Without XDG_CONFIG_HOME, the user's file is under ~/.config.
  SetVariable("XDG_CONFIG_HOME", "");
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
  SetVariable("HOME", folder.path().string());
  Put(folder / ".config" / "venmark" / "venmark.conf", "origin=http://home\n");
  EXPECT_EQ(FindOriginSetting()->origin.location, "http://home");
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

  UpdateResult UpdateFrom(const fs::path& folder, UpdateProgress progress = {}) {
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
  const auto day = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
  fs::last_write_time(origin_ / "oui" / "oui.txt", day);
  Put(origin_ / "oui28" / "mam.txt", MakeBlockListing(6, "M"));
  // The rest laid flat beside the layout's folders.
  Put(origin_ / "oui36.txt", MakeBlockListing(6, "S"));
  Put(origin_ / "iab.txt", MakeBlockListing(6, "I"));
  Put(origin_ / "cid" / "cid.txt", MakeKindListing(ListingKind::kCid, 6, "C"));
  std::vector<UpdateStep> steps;
  const UpdateResult result = UpdateFrom(origin_.path(), [&](const UpdateStep& s) {
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
            MakeBlockListing(6, "I"));

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
          row.kind == ListingKind::kMaL
              ? MakeListing(22, vendor)
              : MakeKindListing(row.kind, 5, vendor));
    }
    const UpdateResult result = UpdateFrom(origin_.path());
    ASSERT_EQ(result.status, UpdateStatus::kUpdated) << Debug(result.problem);
    EXPECT_TRUE(result.kept.empty()) << vendor;
    for (const ListingKindRow& row : kListingKinds) {
      EXPECT_EQ(ReadWholeFile(Utf8FromPath(target_ / std::string(row.our_name))),
                row.kind == ListingKind::kMaL
                    ? MakeListing(22, vendor)
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
  const UpdateResult cancelled =
      UpdateFrom(origin_.path(), [](const UpdateStep& step) {
        return step.listing < 2;
      });
  EXPECT_EQ(cancelled.status, UpdateStatus::kCancelled);
  EXPECT_EQ(ReadWholeFile(Utf8FromPath(target_ / "base.dat")),
            MakeListing(22, "Flat"));
  // A file over the limit is refused before it is read.
  options_.max_bytes = 100;
  EXPECT_EQ(UpdateFrom(origin_.path()).problem.kind, UpdateFailure::kTooLarge);
}

}  // namespace
}  // namespace venmark

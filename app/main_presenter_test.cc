// The main window's behaviour, once for every toolkit: driven through a
// stand-in view, on Linux and under Wine.
#include "app/main_presenter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "app/placement.h"
#include "app/version.h"
#include "listings/paths.h"
#include "testing/fake_main_view.h"
#include "testing/fake_transport.h"
#include "testing/listings.h"

namespace venmark {
namespace {

class MainPresenterTest : public testing::Test {
 protected:
  void SetUp() override {
    WriteWholeFile(folder_ / "base.dat", MakeListing(20, "Old"));
    transport_.answers[sources_[ListingKind::kMaL]] = {200,
                                                       MakeListing(20, "New")};
  }

  MainPresenter Presenter(FakeMainView* view = nullptr) {
    return MainPresenter(view != nullptr ? view : &view_,
                         {listing_, sources_, &transport_});
  }

  const TestFolder folder_;
  std::string listing_ = Utf8FromPath(folder_ / "base.dat");
  const UpdateSources sources_ = IeeeSources("http://mirror");
  FakeTransport transport_;
  FakeMainView view_;
};

TEST_F(MainPresenterTest, SearchFillsTouchesAndShowsTheResultsWindow) {
  MainPresenter presenter = Presenter();
  view_.input = "a 00-00-01-aa-bb-cc\nb";
  presenter.Search();
  ASSERT_NE(view_.results, nullptr);
  EXPECT_EQ(view_.results->text, "00-00-01-aa-bb-cc - Old 1\n");
  EXPECT_EQ(view_.results->shown, 1);
  EXPECT_EQ(view_.log, (std::vector<std::string>{"busy", "idle"}));
  // Placed beside the main window on its right, top edges level.
  EXPECT_EQ(view_.results->frame.left, 708);
  EXPECT_EQ(view_.results->frame.top, 100);

  // Searches accumulate in the one window; what the user typed keeps its
  // own line, and the first new line is brought into view.
  view_.results->text += "my note";
  view_.input = "00:00:02:00:00:01";
  presenter.Search();
  EXPECT_EQ(view_.results_created, 1);
  EXPECT_EQ(view_.results->text,
            "00-00-01-aa-bb-cc - Old 1\nmy note\n00:00:02:00:00:01 - Old 2\n");
  EXPECT_EQ(view_.results->first,
            std::string("00-00-01-aa-bb-cc - Old 1\nmy note\n").size());

  // A closed window is made afresh, empty; a search without MACs still
  // shows it.
  view_.results.reset();
  view_.input = "no MAC here";
  presenter.Search();
  ASSERT_NE(view_.results, nullptr);
  EXPECT_EQ(view_.results->text, "");
  EXPECT_EQ(view_.results->shown, 1);
  EXPECT_EQ(view_.results_created, 2);
  EXPECT_TRUE(view_.told.empty());
}

// The results window opens wide enough for its longest line where the
// work area has room, is placed by the rule, and grows (never shrinks) as
// longer lines come, staying on screen.
TEST_F(MainPresenterTest, ResultsShowTheirLinesWhole) {
  MainPresenter presenter = Presenter();
  const auto inside = [&](const Pixels& frame) {
    const Pixels& area = view_.geometry.work_area;
    return frame.left >= area.left && frame.right <= area.right &&
           frame.top >= area.top && frame.bottom <= area.bottom;
  };
  // Short lines: the window's own width, beside the main window.
  view_.input = "00-00-01-aa-bb-cc";
  presenter.Search();
  ASSERT_NE(view_.results, nullptr);
  EXPECT_EQ(view_.results->frame.width(), 400);
  EXPECT_EQ(view_.results->frame.left, 708);
  // A line of a MAC inside an IPv6 address: the window opens as wide as
  // it needs, where the rule puts a window of that width.
  view_.results.reset();
  view_.input = "fe80::200:1ff:feaa:bbcc%enp0s31f6";
  presenter.Search();
  const std::string line =
      view_.results->text.substr(0, view_.results->text.size() - 1);
  const int wide = view_.results->FrameWidthFor(line);
  ASSERT_GT(wide, 400);
  EXPECT_EQ(view_.results->frame.width(), wide);
  const MainGeometry& main = view_.geometry;
  const Pixels placed = PlaceResults(main.frame,
                                     {main.frame.left, main.button_row_top,
                                      main.frame.right, main.frame.bottom},
                                     wide, 500, main.work_area);
  EXPECT_EQ(view_.results->frame.left, placed.left);
  EXPECT_EQ(view_.results->frame.top, placed.top);
  EXPECT_TRUE(inside(view_.results->frame));
  // Shorter lines later leave it as it is.
  view_.input = "00-00-01-aa-bb-cc";
  presenter.Search();
  EXPECT_EQ(view_.results->frame.width(), wide);
  // A longer one widens it, moved left as far as it must to stay on the
  // screen.
  view_.results->MoveTo(1000, 100);
  view_.input = "00-01-00-01-2A-BC-DE-F0-00-00-01-AA-BB-CC";
  presenter.Search();
  const std::string last = view_.results->text.substr(view_.results->first);
  const int wider = view_.results->FrameWidthFor(last);
  ASSERT_GT(wider, wide);
  EXPECT_EQ(view_.results->frame.width(), wider);
  EXPECT_EQ(view_.results->frame.right, 1280);
  EXPECT_TRUE(inside(view_.results->frame));
}

TEST_F(MainPresenterTest, ASearchWithoutAListingTellsTheFixAndOpensNothing) {
  listing_ = Utf8FromPath(folder_ / "missing.dat");
  MainPresenter presenter = Presenter();
  view_.input = "00-00-01-aa-bb-cc";
  presenter.Search();
  EXPECT_EQ(view_.results, nullptr);
  ASSERT_EQ(view_.told.size(), 1u);
  EXPECT_EQ(view_.told[0].kind, MessageKind::kFailure);
  EXPECT_NE(view_.told[0].text.find(listing_), std::string::npos);
  EXPECT_FALSE(view_.busy);
}

TEST_F(MainPresenterTest, UpdateAsksShowsProgressAndTellsHowItWent) {
  const struct {
    const char* name;
    bool confirm;
    int status;     // of the MA-L listing
    int cancel_at;  // -1: never
    int progress_windows;
    std::optional<MessageKind> told;
    const char* says;     // the start of what is told
    const char* listing;  // the MA-L listing's text after
  } cases[] = {
      {"declined", false, 200, -1, 0, {}, "", "Old"},
      {"fetched", true, 200, -1, 1, MessageKind::kSuccess,
       "Синхронизация завершена", "New"},
      {"refused", true, 404, -1, 1, MessageKind::kFailure,
       "Не удалось обновить базу: сервер ответил HTTP 404", "Old"},
      {"cancelled", true, 200, 1, 1, {}, "", "Old"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeMainView view;
    view.confirm = c.confirm;
    view.cancel_at = c.cancel_at;
    WriteWholeFile(folder_ / "base.dat", MakeListing(20, "Old"));
    transport_.answers[sources_[ListingKind::kMaL]] = {c.status,
                                                       MakeListing(20, "New")};
    MainPresenter presenter = Presenter(&view);
    presenter.Update();
    EXPECT_EQ(view.questions.size(), 1u);
    EXPECT_EQ(view.progress_windows, c.progress_windows);
    EXPECT_EQ(view.progress_open, 0);  // closed before anything is told
    EXPECT_EQ(view.progress_texts.empty(), c.status != 200 || !c.confirm);
    if (!view.progress_texts.empty()) {
      EXPECT_TRUE(view.progress_texts[0].starts_with(
          "Загрузка списков производителей с сервера IEEE…\nПолучено "))
          << view.progress_texts[0];
    }
    ASSERT_EQ(view.told.size(), c.told ? 1u : 0u);
    if (c.told) {
      EXPECT_EQ(view.told[0].kind, *c.told);
      EXPECT_TRUE(view.told[0].text.starts_with(c.says)) << view.told[0].text;
    }
    EXPECT_NE(ReadWholeFile(listing_).find(c.listing), std::string::npos);
    // The credits name the listing in use once the update is over.
    EXPECT_EQ(view.credits.text.find("IEEE") != std::string::npos, c.confirm);
  }
}

// In a closed network the question names the folder updates come from,
// and the update reads it through the same steps, each listing's size
// known: a determinate bar all the way.
TEST_F(MainPresenterTest, UpdatesFromTheFolderTheSettingNames) {
  const TestFolder usb;
  WriteWholeFile(usb / "oui.txt", MakeListing(21, "Usb"));
  const std::string origin = Utf8FromPath(usb.path());
#ifdef _WIN32
  _putenv_s("VENMARK_IEEE_ORIGIN", origin.c_str());
#else
  ::setenv("VENMARK_IEEE_ORIGIN", origin.c_str(), 1);
#endif
  FakeMainView view;
  MainPresenter presenter(&view, {listing_, std::nullopt, nullptr});
  presenter.Update();
#ifdef _WIN32
  _putenv_s("VENMARK_IEEE_ORIGIN", "");
#else
  ::unsetenv("VENMARK_IEEE_ORIGIN");
#endif
  ASSERT_EQ(view.questions.size(), 1u);
  EXPECT_TRUE(view.questions[0].starts_with(
      "Загрузить списки производителей из «" + origin + "»?\n\n"))
      << view.questions[0];
  ASSERT_FALSE(view.progress_done.empty());
  EXPECT_TRUE(view.progress_texts[0].starts_with(
      "Загрузка списков производителей…\nПолучено "))
      << view.progress_texts[0];
  for (const double done : view.progress_done) {
    EXPECT_GE(done, 0.0);
    EXPECT_LE(done, 1.0);
  }
  EXPECT_NE(ReadWholeFile(listing_).find("Usb"), std::string::npos);
  ASSERT_EQ(view.told.size(), 1u);
  EXPECT_EQ(view.told[0].kind, MessageKind::kSuccess);
  // The three companions the stick lacks are named.
  EXPECT_NE(view.told[0].text.find("в папке нет файла"), std::string::npos)
      << view.told[0].text;
}

TEST_F(MainPresenterTest, CreditsWarnOfAnOldListingInAColourThatReads) {
  MainPresenter presenter = Presenter();
  presenter.Start();
  EXPECT_TRUE(
      view_.credits.text.starts_with("Venmark " + std::string(kVersion)));
  EXPECT_EQ(view_.credits.warned, "");
  EXPECT_EQ(view_.credits.tooltip.find("больше года"), std::string::npos);

  // A day more than a year back.
  std::filesystem::last_write_time(
      folder_ / "base.dat", std::filesystem::file_time_type::clock::now() -
                                std::chrono::hours(24 * 400));
  const struct {
    Rgb background;
    Rgb warning;
  } cases[] = {
      {{255, 255, 255}, {0xA3, 0, 0}},  // a light face
      {{240, 240, 240}, {0xA3, 0, 0}},
      {{160, 160, 160}, {0xA3, 0, 0}},        // a grey: the dark red reads
      {{128, 128, 128}, {0xFF, 0xB4, 0xA8}},  // darker: the light one does
      {{0, 0, 0}, {0xFF, 0xB4, 0xA8}},
      {{43, 43, 43}, {0xFF, 0xB4, 0xA8}},  // a dark theme
  };
  for (const auto& c : cases) {
    view_.background = c.background;
    presenter.ShowCredits();
    ASSERT_FALSE(view_.credits.warned.empty());
    EXPECT_NE(view_.credits.text.find(view_.credits.warned), std::string::npos);
    EXPECT_EQ(view_.credits.warning_colour, c.warning)
        << c.background.red << "," << c.background.green;
    EXPECT_NE(view_.credits.tooltip.find("больше года"), std::string::npos);
  }
}

TEST_F(MainPresenterTest, KeysMeanTheSameInEveryToolkit) {
  using enum KeyCode;
  using enum ControlKind;
  using enum KeyAction;
  const struct {
    KeyCode key;
    bool control, shift, alt;
    std::string_view window;
    std::string_view target;
    ControlKind kind;
    KeyAction does;  // kDone: searched
  } cases[] = {
      {kReturn, true, false, false, names::kMainForm, names::kInput, kTextBox,
       kDone},
      {kReturn, true, false, true, names::kMainForm, names::kInput, kTextBox,
       kNone},
      {kReturn, false, false, false, names::kMainForm, names::kInput, kTextBox,
       kNone},
      {kReturn, false, true, false, names::kMainForm, names::kInput, kTextBox,
       kNone},
      {kReturn, true, false, false, names::kResultsForm, names::kResults,
       kTextBox, kNone},
      {kReturn, true, false, false, names::kMainForm, names::kCredits, kLabel,
       kNone},
      {kReturn, false, false, false, names::kMainForm, names::kUpdate, kButton,
       kClick},
      {kReturn, false, false, true, names::kMainForm, names::kUpdate, kButton,
       kNone},
      {kReturn, true, false, false, names::kMainForm, names::kUpdate, kButton,
       kNone},
      {kTab, false, false, false, names::kMainForm, names::kInput, kTextBox,
       kFocusNext},
      {kTab, false, true, false, names::kResultsForm, names::kResults, kTextBox,
       kFocusPrevious},
      {kTab, true, false, false, names::kMainForm, names::kInput, kTextBox,
       kNone},
      {kTab, false, false, true, names::kMainForm, names::kInput, kTextBox,
       kNone},
      {kTab, false, false, false, names::kMainForm, names::kSearch, kButton,
       kNone},
      {kA, true, false, false, names::kResultsForm, names::kResults, kTextBox,
       kSelectAll},
      {kA, true, false, true, names::kResultsForm, names::kResults, kTextBox,
       kNone},
      {kA, false, false, false, names::kMainForm, names::kInput, kTextBox,
       kNone},
      {kA, true, true, false, names::kMainForm, names::kInput, kTextBox, kNone},
      {kA, true, false, false, names::kMainForm, names::kSearch, kButton,
       kNone},
      {kOther, true, false, false, names::kMainForm, names::kInput, kTextBox,
       kNone},
  };
  for (const auto& c : cases) {
    FakeMainView view;
    view.input = "00-00-01-aa-bb-cc";
    MainPresenter presenter = Presenter(&view);
    SCOPED_TRACE(std::string(c.window) + " " + std::string(c.target) + " " +
                 std::to_string(static_cast<int>(c.key)) +
                 (c.control ? " ctrl" : "") + (c.shift ? " shift" : "") +
                 (c.alt ? " alt" : ""));
    EXPECT_EQ(presenter.OnKey({c.key, c.control, c.shift, c.window, c.target,
                               c.kind, c.alt}),
              c.does);
    if (c.does == kDone) {
      ASSERT_NE(view.results, nullptr);
      EXPECT_EQ(view.results->text, "00-00-01-aa-bb-cc - Old 1\n");
    } else {
      EXPECT_EQ(view.results, nullptr);
      EXPECT_EQ(view.log, std::vector<std::string>{});
    }
  }
}

// Each button of the main window does its own thing; a name of another
// control or window does nothing.
TEST_F(MainPresenterTest, EachButtonDoesItsOwnThing) {
  {
    FakeMainView view;
    view.input = "00-00-01-aa-bb-cc";
    MainPresenter presenter = Presenter(&view);
    presenter.OnButton(names::kSearch);
    ASSERT_NE(view.results, nullptr);
    EXPECT_EQ(view.results->text, "00-00-01-aa-bb-cc - Old 1\n");
    EXPECT_EQ(view.questions.size(), 0u);
    presenter.OnButton(names::kExit);
    EXPECT_EQ(view.results, nullptr);
    EXPECT_EQ(view.log.back(), "close");
  }
  FakeMainView view;
  view.input = "00-00-01-aa-bb-cc";
  view.confirm = false;
  MainPresenter presenter = Presenter(&view);
  presenter.OnButton(names::kUpdate);
  EXPECT_EQ(view.questions.size(), 1u);
  EXPECT_EQ(view.results, nullptr);
  const std::vector<std::string> log = view.log;
  for (const std::string_view other :
       {names::kInput, names::kCredits, names::kPrompt, names::kMainForm,
        std::string_view("Command4")}) {
    presenter.OnButton(other);
  }
  EXPECT_EQ(view.results, nullptr);
  EXPECT_EQ(view.questions.size(), 1u);
  EXPECT_EQ(view.log, log);
}

TEST_F(MainPresenterTest, ExitClosesEverything) {
  MainPresenter presenter = Presenter();
  view_.input = "00-00-01-aa-bb-cc";
  presenter.Search();
  presenter.Exit();
  EXPECT_EQ(view_.results, nullptr);
  EXPECT_EQ(view_.log.back(), "close");
}

TEST(GuiStartTest, ReadsTheCommandLineOnce) {
  using Action = GuiStart::Action;
  const struct {
    std::vector<std::string> args;
    bool display;
    Action action;
    const char* says;  // the start of the text
    const char* listing;
  } cases[] = {
      {{}, true, Action::kRun, "", ""},
      {{"--db", "x.dat"}, true, Action::kRun, "", "x.dat"},
      {{"--db=y.dat"}, true, Action::kRun, "", "y.dat"},
      {{"--db-path=y.dat"},
       true,
       Action::kFail,
       "venmark: неизвестный параметр «--db-path=y.dat»\nСправка: venmark "
       "--help",
       ""},
      {{"--db"},
       true,
       Action::kFail,
       "venmark: после --db нужно имя файла",
       ""},
      {{"--db="}, true, Action::kFail, "venmark: после --db", ""},
      {{"--help"}, false, Action::kPrint, "Использование: venmark [--db", ""},
      {{"-h"}, false, Action::kPrint, "Использование: venmark [--db", ""},
      {{"--version"}, false, Action::kPrint, "venmark ", ""},
      {{}, false, Action::kFail, "venmark: нет графического дисплея", ""},
      {{"--frobnicate"}, false, Action::kFail, "venmark: неизвестный", ""},
  };
  for (const auto& c : cases) {
    const GuiStart start = DecideGuiStart(c.args, c.display);
    SCOPED_TRACE(c.args.empty() ? "(none)" : c.args[0]);
    EXPECT_EQ(start.action, c.action);
    EXPECT_TRUE(start.text.starts_with(c.says)) << start.text;
    EXPECT_EQ(start.listing, c.listing);
  }
  EXPECT_EQ(DecideGuiStart({"--version"}, true).text,
            "venmark " + std::string(kVersion) + "\n");
}

}  // namespace
}  // namespace venmark

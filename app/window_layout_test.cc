// The windows as data and the rules that lay them out, placement among
// them: the same on Linux and, under Wine, for the Win32 build.
#include "app/window_layout.h"

#include <gtest/gtest.h>

#include "app/placement.h"

namespace venmark {
namespace {

// Every byte of a caption is `width` pixels wide, every line 13 high: as
// wide a font as its number says.
class FixedMeasure : public TextMeasure {
 public:
  explicit FixedMeasure(int width, int height = 13)
      : width_(width), height_(height) {}
  int LineHeight() const override { return height_; }
  int Width(std::string_view utf8) const override {
    int characters = 0;
    for (const char c : utf8) characters += (c & 0xC0) != 0x80;
    return characters * width_;
  }

 private:
  int width_, height_;
};

// Face f at p points measures (7 - 2f) * p / 8 pixels a character.
class FixedFonts : public FontSource {
 public:
  int faces() const override { return 2; }
  std::unique_ptr<TextMeasure> Measure(int face, double points) const override {
    return std::make_unique<FixedMeasure>(
        static_cast<int>((7 - 2 * face) * points / 8),
        static_cast<int>(13 * points / 8));
  }
};

TEST(WindowLayoutTest, BothWindowsAreLaidOutAsDrawn) {
  const FormLayout& main = MainFormLayout();
  const FormLayout& results = ResultsFormLayout();
  EXPECT_EQ(main.name, "Form1");
  EXPECT_EQ(results.caption, "Результаты поиска");
  // At 96 dpi a twip is 1/15 pixel: the rectangles as the table draws them,
  // in tab order.
  const Scale scale(96, 1.0);
  const struct {
    const FormLayout* window;
    const char* name;
    Pixels pixels;
  } cases[] = {
      {&main, "Text1", {16, 40, 761, 417}},
      {&main, "Command1", {328, 432, 457, 473}},
      {&main, "Label2", {16, 16, 345, 33}},
      {&main, "Command2", {688, 432, 761, 473}},
      {&main, "Label1", {8, 448, 289, 481}},
      {&main, "Command3", {568, 432, 673, 473}},
      {&results, "Frame1", {8, 8, 401, 489}},
      {&results, "Text1", {8, 16, 385, 473}},
      {&ProgressFormLayout(), "Label1", {12, 12, 368, 52}},
      {&ProgressFormLayout(), "Progress1", {12, 56, 368, 74}},
      {&ProgressFormLayout(), "Command1", {280, 84, 368, 112}},
  };
  std::vector<std::string> order;
  for (const auto& c : cases) {
    const Pixels got = scale.Rect(c.window->Control(c.name).rect);
    EXPECT_EQ(
        std::tie(got.left, got.top, got.right, got.bottom),
        std::tie(c.pixels.left, c.pixels.top, c.pixels.right, c.pixels.bottom))
        << c.name;
  }
  for (const ControlLayout& control : main.controls)
    order.push_back(control.name);
  EXPECT_EQ(order,
            (std::vector<std::string>{"Text1", "Command1", "Label2", "Command2",
                                      "Label1", "Command3"}));
  EXPECT_EQ(results.Control("Text1").parent, "Frame1");
  EXPECT_EQ(scale.Px(main.width), 779);
  EXPECT_EQ(scale.Px(results.height), 501);
  EXPECT_EQ(scale.Px(ProgressFormLayout().width), 380);
  EXPECT_EQ(scale.Px(ProgressFormLayout().height), 120);
  // The credits line names the version the build was made from.
  EXPECT_NE(main.Control("Label1").caption.find("Venmark 1."),
            std::string::npos);
}

TEST(WindowLayoutTest, CaptionsWrapAtSpacesOnlyAndFitTheirRoom) {
  const FixedMeasure measure(7);
  EXPECT_EQ(
      WrapAtSpaces("Обновить базу MAC-адресов с сервера IEEE", measure, 80),
      (std::vector<std::string>{"Обновить", "базу", "MAC-адресов", "с сервера",
                                "IEEE"}));
  EXPECT_EQ(WrapAtSpaces("a b\nc", measure, 100),
            (std::vector<std::string>{"a b", "c"}));
  EXPECT_TRUE(FitsBox("abc", measure, 21, 13, false));
  EXPECT_FALSE(FitsBox("abc", measure, 20, 13, false));
  EXPECT_FALSE(FitsBox("a\nb", measure, 21, 25, false));  // two lines
  EXPECT_FALSE(FitsBox("a b", measure, 7, 25, true));
  // A button's caption leaves its bevel free; a frame's title has a line.
  const Scale scale(96, 1.0);
  const Pixels button =
      CaptionRoom(MainFormLayout().Control("Command1"), scale);
  EXPECT_EQ(button.width(), 129 - kButtonBevelWidth);
  EXPECT_EQ(button.height(), 41 - kButtonBevelHeight);
  const Pixels title =
      CaptionRoom(ResultsFormLayout().Control("Frame1"), scale);
  EXPECT_EQ(title.width(), 393 - 16);
  EXPECT_EQ(title.height(), 16);
}

// The layout grows as one, in steps, just until every caption shows whole;
// at twice the dpi its pixels double and the factor stays.
TEST(WindowLayoutTest, ScalesJustUntilEveryCaptionFits) {
  for (const int dpi : {96, 192}) {
    for (const int width : {5, 7, 9, 12}) {
      const FixedMeasure measure(width * dpi / 96, 13 * dpi / 96);
      const double factor = FitFactor(MainFormLayout(), measure, dpi);
      EXPECT_TRUE(CaptionsFit(MainFormLayout(), measure, {dpi, factor}))
          << width;
      if (factor > 1.0) {
        EXPECT_FALSE(
            CaptionsFit(MainFormLayout(), measure, {dpi, factor - 0.025}))
            << width;
      }
    }
  }
  // A taller font starts the layout larger.
  EXPECT_GE(FitFactor(ResultsFormLayout(), FixedMeasure(1, 26), 96), 2.0);
}

TEST(WindowLayoutTest, OnASmallScreenCaptionsGiveWayDownToEightPoints) {
  const FixedFonts fonts;
  // Room enough: the desktop's face and size, the layout as large as the
  // captions want.
  const WindowFit roomy =
      FitWindow(MainFormLayout(), fonts, 14, 96, {0, 0, 4000, 3000});
  EXPECT_EQ(roomy.face, 0);
  EXPECT_EQ(roomy.points, 14);
  EXPECT_GT(roomy.factor, 1.5);
  // 1308 x 900: the window takes what the screen allows, and the captions
  // get smaller, or narrower, to fit it.
  const Pixels screen{0, 0, 1308, 900};
  const WindowFit tight = FitWindow(MainFormLayout(), fonts, 14, 96, screen);
  EXPECT_LE(Scale(96, tight.factor).Px(MainFormLayout().width) + 16,
            screen.width());
  EXPECT_GE(tight.points, 8);
  EXPECT_TRUE(CaptionsFit(MainFormLayout(),
                          *fonts.Measure(tight.face, tight.points),
                          {96, tight.factor}));
  EXPECT_LT(tight.points, 14);
  // A screen too small for any layout at 8 points: the smallest layout
  // whose captions fit at 8 points or more, never smaller type.
  const WindowFit tiny =
      FitWindow(MainFormLayout(), fonts, 14, 96, {0, 0, 400, 266});
  EXPECT_EQ(tiny.face, 1);
  EXPECT_EQ(tiny.points, 8.5);
  EXPECT_NEAR(tiny.factor, 1.053, 0.001);
  // A desktop font under 8 points gives captions of 8.
  const struct {
    double desktop, captions;
  } sizes[] = {{-1, -1}, {0, 0},     {6, 8},  {7.9, 8},
               {8, 8},   {8.5, 8.5}, {14, 14}};
  for (const auto& c : sizes) {
    EXPECT_EQ(CaptionPoints(c.desktop), c.captions) << c.desktop;
  }
}

// Right of the main window, else left, else below, else where it hides
// the least of it, its button row last; a window flush with the screen's
// edge is on it.
// As wide as its lines need where the work area has room, never narrower
// than it is.
TEST(PlacementTest, ResultsAreAsWideAsTheirLinesAndTheScreenAllow) {
  const Pixels area{0, 0, 1280, 1024};
  EXPECT_EQ(ResultsWidth(400, 300, area), 400);
  EXPECT_EQ(ResultsWidth(400, 401, area), 401);
  EXPECT_EQ(ResultsWidth(400, 1280, area), 1280);
  EXPECT_EQ(ResultsWidth(400, 1281, area), 1280);
  EXPECT_EQ(ResultsWidth(400, 5000, {100, 0, 900, 600}), 800);
  EXPECT_EQ(ResultsWidth(900, 5000, {100, 0, 900, 600}), 900);
}

// Centred on the main window, and whole on the screen where the main
// window is not.
TEST(PlacementTest, ProgressStandsCentredOnTheMainWindowAndOnScreen) {
  const Pixels area{0, 0, 1280, 1024};
  const struct {
    Pixels main;
    int width, height;
    Pixels placed;
  } cases[] = {
      {{100, 50, 900, 550}, 400, 150, {300, 225, 700, 375}},
      {{100, 50, 901, 551}, 400, 150, {300, 225, 700, 375}},
      {{-300, -200, 200, 100}, 400, 150, {0, 0, 400, 150}},
      {{1000, 900, 1600, 1300}, 400, 150, {880, 874, 1280, 1024}},
      {{0, 0, 1280, 1024}, 1400, 1100, {0, 0, 1400, 1100}},
  };
  for (const auto& c : cases) {
    const Pixels placed = PlaceProgress(c.main, c.width, c.height, area);
    EXPECT_EQ(placed.left, c.placed.left) << c.main.left;
    EXPECT_EQ(placed.top, c.placed.top) << c.main.left;
    EXPECT_EQ(placed.right, c.placed.right) << c.main.left;
    EXPECT_EQ(placed.bottom, c.placed.bottom) << c.main.left;
  }
}

TEST(PlacementTest, ResultsGoWhereTheyHideLeast) {
  const Pixels main{100, 50, 900, 550};
  const Pixels buttons{100, 500, 900, 550};
  const struct {
    Pixels screen;
    int left, top;
  } cases[] = {
      {{0, 0, 1600, 900}, 908, 50},      // right
      {{0, 0, 1308, 900}, 908, 50},      // right, flush with the edge
      {{-600, 0, 1000, 900}, -308, 50},  // left
      {{100, 0, 900, 1100}, 100, 558},   // below
  };
  for (const auto& c : cases) {
    const Pixels placed = PlaceResults(main, buttons, 400, 500, c.screen);
    EXPECT_EQ(placed.left, c.left) << c.screen.right;
    EXPECT_EQ(placed.top, c.top) << c.screen.right;
  }
  // No side has room: it covers the main window, but not its buttons.
  const Pixels screen{0, 0, 1200, 900};
  const Pixels placed = PlaceResults(main, buttons, 400, 500, screen);
  EXPECT_TRUE(placed.left >= 0 && placed.right <= 1200 && placed.top >= 0 &&
              placed.bottom <= 900);
  EXPECT_LE(placed.bottom, buttons.top);
  EXPECT_EQ(
      std::min(placed.right, main.right) - std::max(placed.left, main.left),
      100);
}

// The faces each toolkit falls back to, entry by entry: a face a system
// lacks would measure captions in one font and draw them in another.
TEST(WindowLayoutTest, FallsBackToFacesEachSystemHas) {
  EXPECT_EQ(kQtFaces.narrower[0], "Liberation Sans");
  EXPECT_EQ(kQtFaces.narrower[1], "Arimo");
  EXPECT_EQ(kQtFaces.monospaced, "DejaVu Sans Mono");
  EXPECT_EQ(kWin32Faces.narrower[0], "Liberation Sans Narrow");
  EXPECT_EQ(kWin32Faces.narrower[1], "Arial Narrow");
  EXPECT_EQ(kWin32Faces.monospaced, "Consolas");
}

// Every control the views look up by name is in its window's layout.
TEST(WindowLayoutTest, NamesTheViewsUseAreInTheLayouts) {
  const struct {
    const FormLayout& window;
    std::string_view form;
    std::vector<std::string_view> controls;
  } cases[] = {
      {MainFormLayout(),
       names::kMainForm,
       {names::kInput, names::kPrompt, names::kSearch, names::kExit,
        names::kUpdate, names::kCredits}},
      {ResultsFormLayout(),
       names::kResultsForm,
       {names::kResultsFrame, names::kResults}},
      {ProgressFormLayout(),
       names::kProgressForm,
       {names::kProgressText, names::kProgressBar, names::kCancel}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.window.name, c.form);
    ASSERT_EQ(c.window.controls.size(), c.controls.size()) << c.form;
    for (const std::string_view name : c.controls) {
      EXPECT_EQ(c.window.Control(name).name, name);
    }
  }
  EXPECT_EQ(MainFormLayout().Control(names::kSearch).caption, "Поиск");
  EXPECT_EQ(MainFormLayout().Control(names::kExit).caption, "Выход");
  EXPECT_EQ(ProgressFormLayout().Control(names::kCancel).caption, "Отмена");
}

}  // namespace
}  // namespace venmark

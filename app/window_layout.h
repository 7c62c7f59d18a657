#pragma once

#include <array>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/pixels.h"

// Both windows as drawn, and the rule that scales them until every caption
// shows whole. The frontends turn this into widgets or Win32 controls.
namespace venmark {

enum class ControlKind { kTextBox, kButton, kLabel, kFrame, kProgressBar };

// A rectangle in twips (1/1440 inch; 15 twips are a pixel at 96 dpi).
struct Twips {
  int left = 0, top = 0, width = 0, height = 0;
};

struct ControlLayout {
  std::string name;  // "Command1": the objectName and the Win32 name
  ControlKind kind = ControlKind::kLabel;
  std::string caption;  // UTF-8; empty for a text box
  Twips rect;           // relative to the window, or to parent
  bool wraps = false;   // the caption may wrap at spaces (a long button)
  std::string parent;   // the frame it stands in; empty: the window
  // What a screen reader calls it; empty: its caption.
  std::string accessible_name;
  // The label that names it, created right before it (where z-order names
  // controls, as MSAA does) and made its buddy; empty: none.
  std::string labelled_by;
  // Anchored to all four edges: it grows and shrinks with its window.
  bool stretches = false;
};

struct FormLayout {
  std::string name;                     // "Form1"
  std::string caption;                  // the title bar
  int width = 0, height = 0;            // the client area, in twips
  std::vector<ControlLayout> controls;  // in tab order
  bool resizable = false;               // the user may resize and maximise it
  // The control named name; it must be there.
  const ControlLayout& Control(std::string_view name) const;
};

// The windows' and controls' names: the objectNames (Qt) and window names
// (Win32) tests and screen readers find, said here once.
namespace names {
// Form1.
inline constexpr std::string_view kMainForm = "Form1";
inline constexpr std::string_view kInput = "Text1";
inline constexpr std::string_view kPrompt = "Label2";
inline constexpr std::string_view kSearch = "Command1";
inline constexpr std::string_view kExit = "Command2";
inline constexpr std::string_view kUpdate = "Command3";
inline constexpr std::string_view kCredits = "Label1";
// Form2.
inline constexpr std::string_view kResultsForm = "Form2";
inline constexpr std::string_view kResultsFrame = "Frame1";
inline constexpr std::string_view kResults = "Text1";
// The progress window.
inline constexpr std::string_view kProgressForm = "FormProgress";
inline constexpr std::string_view kProgressText = "Label1";
inline constexpr std::string_view kProgressBar = "Progress1";
inline constexpr std::string_view kCancel = "Command1";
}  // namespace names

// The faces a toolkit falls back to, said once: the narrower faces tried
// in turn when captions do not fit in the desktop's (faces 1 and 2 of a
// WindowFit), and the text boxes' monospaced face.
struct FallbackFaces {
  std::array<std::string_view, 2> narrower;
  std::string_view monospaced;
};
// The Qt windows on Linux, with the fonts the package depends on.
inline constexpr FallbackFaces kQtFaces{{"Liberation Sans", "Arimo"},
                                        "DejaVu Sans Mono"};
// The Win32 windows, with the fonts Windows has.
inline constexpr FallbackFaces kWin32Faces{
    {"Liberation Sans Narrow", "Arial Narrow"}, "Consolas"};

// Form1: the text to search and the three buttons.
const FormLayout& MainFormLayout();
// Form2: the results in their frame.
const FormLayout& ResultsFormLayout();
// The update's progress: what arrives, a bar and «Отмена».
const FormLayout& ProgressFormLayout();

// Where control stands at scale in a window grown by grow_x x grow_y pixels
// beyond its drawn client size: as drawn, its right and bottom edges moved
// along when it stretches.
Pixels PlaceAnchored(const ControlLayout& control, const class Scale& scale,
                     int grow_x, int grow_y);

// Twips to pixels at dpi, the whole layout scaled by one more factor as
// dialog units are.
class Scale {
 public:
  Scale(int dpi, double factor) : dpi_(dpi), factor_(factor) {}
  int Px(int twips) const;
  // Edges are scaled, not sizes, so that controls drawn flush stay flush.
  Pixels Rect(const Twips& twips) const;
  int dpi() const { return dpi_; }
  double factor() const { return factor_; }

 private:
  int dpi_;
  double factor_;
};

// How a toolkit measures text in one font.
class TextMeasure {
 public:
  virtual ~TextMeasure() = default;
  virtual int LineHeight() const = 0;
  virtual int Width(std::string_view utf8) const = 0;
};

// text broken into lines at its own line breaks, then at spaces only, each
// no wider than width where its words allow: a word never splits, not
// even at a hyphen.
std::vector<std::string> WrapAtSpaces(std::string_view text,
                                      const TextMeasure& measure, int width);

// Whether text fits width x height: wrapped at spaces when wrap, else
// broken at its own line breaks only.
bool FitsBox(std::string_view text, const TextMeasure& measure, int width,
             int height, bool wrap);

// A button's bevel and focus frame around its caption, in pixels at 96 dpi.
inline constexpr int kButtonBevelWidth = 8, kButtonBevelHeight = 4;

// The room control leaves its caption: a button's less its bevel, a
// frame's title line, a label's whole rectangle.
Pixels CaptionRoom(const ControlLayout& control, const Scale& scale);

// Whether every caption of window shows whole at scale.
bool CaptionsFit(const FormLayout& window, const TextMeasure& measure,
                 const Scale& scale);

// The smallest factor, from the font's line height against 13 pixels at 96
// dpi up, at which every caption of window shows whole.
double FitFactor(const FormLayout& window, const TextMeasure& measure, int dpi);

// The fonts a toolkit can measure captions in: face 0 is the desktop's,
// the others narrower ones to fall back on.
class FontSource {
 public:
  virtual ~FontSource() = default;
  virtual int faces() const = 0;
  virtual std::unique_ptr<TextMeasure> Measure(int face,
                                               double points) const = 0;
};

// Captions are never smaller than this, whatever the desktop's font.
inline constexpr double kSmallestPoints = 8.0;

// The captions' size for a desktop font of points (0 or less: unknown, as
// it is).
inline double CaptionPoints(double points) {
  return points > 0 && points < kSmallestPoints ? kSmallestPoints : points;
}

// How a window is laid out: its scale, and its captions' face and size.
struct WindowFit {
  double factor = 1;
  int face = 0;
  double points = 0;
};

// The desktop's font (of desktop_points) and the layout scaled until every
// caption shows whole. Where that would not fit screen (pixels; empty: any
// size), the layout takes what the screen allows and the captions get
// smaller, never below 8 points, in a narrower face if need be.
WindowFit FitWindow(const FormLayout& window, const FontSource& fonts,
                    double desktop_points, int dpi, Pixels screen);

}  // namespace venmark

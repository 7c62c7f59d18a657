#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "app/pixels.h"
#include "app/window_layout.h"

// What the windows' presenters ask of a toolkit: the Qt and the Win32
// windows implement these and hold no behaviour of their own.
namespace venmark {

// What a message box tells: which icon it carries, and no more.
enum class MessageKind { kSuccess, kFailure };

struct Rgb {
  int red = 0, green = 0, blue = 0;
  bool operator==(const Rgb&) const = default;
};

// The credits line as the presenter wants it shown.
struct CreditsLine {
  std::string text;     // lines broken by '\n'
  std::string tooltip;  // the same
  // The part of text shown in warning_colour (the day of an old listing);
  // empty: none is.
  std::string warned;
  Rgb warning_colour;
};

// Keys the presenter decides on; any other reaches the control as usual.
enum class KeyCode { kReturn, kTab, kA, kOther };

struct KeyPress {
  KeyCode key = KeyCode::kOther;
  bool control = false;
  bool shift = false;
  std::string_view window;  // the window it is in (names::kMainForm)
  std::string_view target;  // the focused control's name (names::kInput)
  ControlKind target_kind = ControlKind::kLabel;
  bool other_modifier = false;  // Alt, Meta, AltGr or the like held too
};

// What a key asks of the view, once the presenter has decided: done to the
// control the key came to.
enum class KeyAction {
  kNone,           // the control has the key, as usual
  kDone,           // the presenter acted on it (a search)
  kClick,          // press the button, as a click would
  kFocusNext,      // focus to the next control in tab order
  kFocusPrevious,  // or to the previous one
  kSelectAll,      // select the box's whole text
};

// Where the main window stands, for placing the results window beside it.
struct MainGeometry {
  Pixels frame;        // the window with its frame, on screen
  int button_row_top;  // the screen row the buttons start at
  Pixels work_area;    // of the screen the window is on
};

// The results window (Form2).
class ResultsView {
 public:
  virtual ~ResultsView() = default;
  // The whole text of the box, lines ending in '\n'.
  virtual std::string Text() const = 0;
  // Appends text ('\n' line ends) in one edit and brings the line that
  // starts at byte first of the whole new text to the top, the caret at it.
  virtual void Append(std::string_view text, std::size_t first) = 0;
  // The window's size with its frame.
  virtual Pixels Frame() const = 0;
  // The frame width that shows each of lines ('\n' between) whole in the
  // box, in its font, without scrolling sideways.
  virtual int FrameWidthFor(std::string_view lines) const = 0;
  // Gives the window this frame width, its left edge and height kept.
  virtual void SetFrameWidth(int width) = 0;
  virtual void MoveTo(int left, int top) = 0;
  // Shows the window, above the others and active.
  virtual void ShowAndRaise() = 0;
};

// The progress window of an update, made from ProgressFormLayout; closing
// it is destroying it.
class ProgressView {
 public:
  virtual ~ProgressView() = default;
  // Shows text and, where known, the share done (0 to 1; below 0: unknown,
  // a busy bar), and lets the windows work. False once the user cancelled.
  virtual bool Show(std::string_view text, double done) = 0;
};

// The main window (Form1).
class MainView {
 public:
  virtual ~MainView() = default;
  // The input box's whole text, lines ending in '\n'.
  virtual std::string InputText() const = 0;
  // The wait cursor on or off.
  virtual void SetBusy(bool busy) = 0;
  // The colour the credits line stands on.
  virtual Rgb Background() const = 0;
  virtual void ShowCredits(const CreditsLine& credits) = 0;
  // Asks with OK and Cancel; true for OK, closing the box is Cancel.
  virtual bool Confirm(std::string_view question) = 0;
  // Tells text in a box with OK, and waits until it is dismissed.
  virtual void Tell(MessageKind kind, std::string_view text) = 0;
  // A modal progress window over the main one.
  virtual std::unique_ptr<ProgressView> OpenProgress() = 0;
  // The results window while it is open, else null.
  virtual ResultsView* OpenResults() = 0;
  // A new results window, hidden, with an empty box.
  virtual ResultsView* CreateResults() = 0;
  virtual MainGeometry Geometry() const = 0;
  // Closes the results window and this one, and ends the program.
  virtual void CloseAll() = 0;
};

}  // namespace venmark

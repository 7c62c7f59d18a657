#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/main_view.h"
#include "update/listing_update.h"
#include "update/transport.h"

namespace venmark {

// What the windows' program does with its command line.
struct GuiStart {
  enum class Action { kRun, kPrint, kFail };
  Action action = Action::kRun;
  std::string text;     // for kPrint (to standard output) and kFail
  std::string listing;  // for kRun: the listing named, or empty
};

// Reads args (the program's name excluded); have_display: whether a
// window can open at all.
GuiStart DecideGuiStart(const std::vector<std::string>& args,
                        bool have_display);

// The colour of a warning on background: the darker or the lighter red,
// whichever stands out more (7:1 or better on any plain face).
Rgb WarningColour(Rgb background);

// What the main window does; the view only shows it.
class MainPresenter {
 public:
  struct Settings {
    // The MA-L listing the user named (--db); empty: the one found.
    std::string listing;
    // Where an update fetches from; nothing: the IEEE, or
    // $VENMARK_IEEE_ORIGIN.
    std::optional<UpdateSources> sources;
    // How; null: the system's transport.
    Transport* transport = nullptr;
  };

  // view must outlive the presenter.
  MainPresenter(MainView* view, Settings settings);

  // Shows the credits; the window is otherwise as created.
  void Start();
  // Searches the input box's text and appends the lines to the results
  // window, which it then shows, or tells why it cannot.
  void Search();
  // After a confirmation, replaces the listings with fresh ones and tells
  // how that went.
  void Update();
  // Closes both windows and ends the program.
  void Exit();
  // Decides what key means where the windows agree on it: Ctrl+Return in
  // the input box searches (done here), Return presses the focused button,
  // Tab leaves a text box, Ctrl+A selects its text; with Alt or the like
  // held it is another key, the control's.
  KeyAction OnKey(const KeyPress& key);
  // Does what the main window's button named does; any other name, nothing.
  void OnButton(std::string_view name);
  // Names the listing in use with its day, as a warning when it is old.
  void ShowCredits();

 private:
  // The results window, created and placed beside this one when there is
  // none.
  // lines: what is about to be added, which it is made wide enough for.
  ResultsView* TouchResults(std::string_view lines);

  MainView* view_;
  Settings settings_;
};

}  // namespace venmark

#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <optional>
#include <string>

#include "qt/dialogs.h"
#include "qt/results_window.h"
#include "update/database_update.h"

class QLabel;

namespace venmark {

// Files the main window works on; bare names resolve against the current
// folder at the moment they are used.
struct MainWindowFiles {
  // The MA-L listing (UTF-8); empty: the first found where listings are
  // looked for, and for an update, ./base.dat or the user's data folder.
  std::string database;
  // Where an update fetches the listings from; nothing: the IEEE, or
  // $VENMARK_IEEE_ORIGIN.
  std::optional<UpdateSources> sources;
};

// The main window (Form1): the text to search, and the buttons for the
// search, the database update and the exit.
class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // dialogs must outlive the window. The window is laid out to fit screen
  // (in device-independent pixels), by default the primary screen's
  // available area.
  explicit MainWindow(Dialogs* dialogs, MainWindowFiles files = {},
                      QSize screen = {});
  ~MainWindow() override;

  // The results window, or null while there is none.
  ResultsWindow* results_window() const { return results_; }

 public slots:
  // Searches the input box's text and appends the results to the results
  // window, which it then shows.
  void Search();

  // Closes both windows and ends the program.
  void Exit();

  // After a confirmation, replaces the database with a fresh download of
  // the IEEE listing.
  void Update();

 private:
  // The results window, created hidden when there is none.
  ResultsWindow* TouchResults();
  // Names the listing in use with its day in the credits line, as a
  // warning when it is old.
  void ShowListingAge();
  // Puts a new results window beside this one, on the right when the screen
  // has room there.
  void PlaceBeside(ResultsWindow* results) const;

  Dialogs* dialogs_;
  MainWindowFiles files_;
  QPlainTextEdit* input_;
  QLabel* credits_;
  QPointer<ResultsWindow> results_;
};

}  // namespace venmark

#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include "update/database_update.h"
#include "windows/dialogs.h"
#include "windows/results_window.h"

class QLabel;

namespace venmark {

// Files the main window works on; bare names resolve against the current
// folder at the moment they are used.
struct MainWindowFiles {
  // The MA-L listing; empty: the first found where listings are looked for,
  // and for an update, ./base.dat or the user's data folder.
  QString database;
  // Where an update fetches the listings from.
  UpdateSources sources = IeeeSources();
};

// Where the results window (of frame size results) goes beside the main
// window's frame on screen: right of it, else left, else below, else where
// it hides the least of the main window, covering its button row only when
// nothing else will do.
QPoint PlaceResults(const QRect& main, const QRect& button_row,
                    const QSize& results, const QRect& screen);

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
  // Puts a new results window beside this one, on the right when the screen
  // has room there.
  void PlaceBeside(ResultsWindow* results) const;

  Dialogs* dialogs_;
  MainWindowFiles files_;
  QPlainTextEdit* input_;
  QPointer<ResultsWindow> results_;
};

}  // namespace venmark

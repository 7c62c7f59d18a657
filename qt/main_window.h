#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QSize>
#include <QWidget>

#include "app/main_presenter.h"
#include "qt/dialogs.h"
#include "qt/results_window.h"

class QLabel;

namespace venmark {

// The main window (Form1) in Qt: its controls made from MainFormLayout, its
// events handed to the presenter, which says what to show.
class MainWindow : public QWidget, public MainView {
  Q_OBJECT

 public:
  // dialogs must outlive the window. The window is laid out to fit screen
  // (in device-independent pixels), by default the primary screen's
  // available area.
  explicit MainWindow(Dialogs* dialogs, MainPresenter::Settings settings = {},
                      QSize screen = {});
  ~MainWindow() override;

  // The results window, or null while there is none.
  ResultsWindow* results_window() const { return results_; }

  // MainView.
  std::string InputText() const override;
  void SetBusy(bool busy) override;
  Rgb Background() const override;
  void ShowCredits(const CreditsLine& credits) override;
  bool Confirm(std::string_view question) override;
  void Tell(MessageKind kind, std::string_view text) override;
  std::unique_ptr<ProgressView> OpenProgress() override;
  ResultsView* OpenResults() override;
  ResultsView* CreateResults() override;
  MainGeometry Geometry() const override;
  void CloseAll() override;

 protected:
  // Keys of the controls of both windows go to the presenter first.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Does what the presenter made of a key on target.
  static void Apply(KeyAction action, QWidget* target);

  Dialogs* dialogs_;
  QPlainTextEdit* input_;
  QLabel* credits_;
  QPointer<ResultsWindow> results_;
  MainPresenter presenter_;
};

}  // namespace venmark

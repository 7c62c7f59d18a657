#include "qt/main_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <chrono>

#include "app/listing_age.h"
#include "app/placement.h"
#include "app/search_flow.h"
#include "app/texts.h"
#include "app/update_flow.h"
#include "app/window_layout.h"
#include "qt/fitted_text.h"
#include "qt/form_widgets.h"

namespace venmark {
namespace {

// Keeps the wait cursor up for as long as it lives.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// Return and Enter press the focused button, as Space does, without making
// any button a default one (Return in the text box still breaks the line);
// Ctrl+Return in the text box runs the search.
class KeyboardPresses : public QObject {
 public:
  KeyboardPresses(QObject* parent, QWidget* input, QPushButton* search)
      : QObject(parent), input_(input), search_(search) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) {
      return false;
    }
    const Qt::KeyboardModifiers modifiers =
        key->modifiers() & ~Qt::KeypadModifier;
    if (watched == input_) {
      if (modifiers != Qt::ControlModifier) return false;
      search_->click();
      return true;
    }
    auto* button = qobject_cast<QPushButton*>(watched);
    if (button == nullptr || modifiers != Qt::NoModifier) return false;
    button->animateClick();
    return true;
  }

 private:
  QWidget* input_;
  QPushButton* search_;
};

Pixels Box(const QRect& r) {
  return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

}  // namespace

MainWindow::MainWindow(Dialogs* dialogs, MainWindowFiles files, QSize screen)
    : QWidget(nullptr), dialogs_(dialogs), files_(std::move(files)) {
  const FormLayout& layout = MainFormLayout();
  setObjectName(QString::fromStdString(layout.name));
  setWindowTitle(Qs(layout.caption));
  const QFont desktop = CaptionFont(QApplication::font());
  setFont(desktop);
  const Controls controls = CreateControls(layout, this);
  input_ = qobject_cast<QPlainTextEdit*>(controls.at("Text1"));
  credits_ = qobject_cast<QLabel*>(controls.at("Label1"));
  auto* search = qobject_cast<QPushButton*>(controls.at("Command1"));

  if (screen.isEmpty() && QGuiApplication::primaryScreen() != nullptr) {
    screen = QGuiApplication::primaryScreen()->availableSize();
  }
  const QtFonts fonts(desktop);
  const WindowFit fit = FitWindow(layout, fonts, desktop.pointSizeF(), 96,
                                  {0, 0, screen.width(), screen.height()});
  const QFont captions = fonts.Font(fit.face, fit.points);
  for (const ControlLayout& control : layout.controls) {
    if (control.kind != ControlKind::kTextBox) {
      controls.at(control.name)->setFont(captions);
    }
  }
  PlaceControls(layout, Scale(96, fit.factor), controls, this);
  ShowListingAge();

  auto* keys = new KeyboardPresses(this, input_, search);
  for (const char* name : {"Text1", "Command1", "Command2", "Command3"}) {
    controls.at(name)->installEventFilter(keys);
  }
  connect(search, &QPushButton::clicked, this, &MainWindow::Search);
  connect(qobject_cast<QPushButton*>(controls.at("Command2")),
          &QPushButton::clicked, this, &MainWindow::Exit);
  connect(qobject_cast<QPushButton*>(controls.at("Command3")),
          &QPushButton::clicked, this, &MainWindow::Update);
}

MainWindow::~MainWindow() {
  // An unowned results window would outlive the program's main window.
  if (results_) delete results_.data();
}

ResultsWindow* MainWindow::TouchResults() {
  if (!results_) {
    results_ = new ResultsWindow();
    PlaceBeside(results_);
  }
  return results_;
}

void MainWindow::PlaceBeside(ResultsWindow* results) const {
  const QRect main = frameGeometry();
  const QMargins frame(
      geometry().left() - main.left(), geometry().top() - main.top(),
      main.right() - geometry().right(), main.bottom() - geometry().bottom());
  const QWidget* search = findChild<QWidget*>("Command1");
  const QRect button_row(QPoint(main.left(), mapToGlobal(search->pos()).y()),
                         main.bottomRight());
  const QSize size = results->size().grownBy(frame);
  const Pixels at =
      PlaceResults(Box(main), Box(button_row), size.width(), size.height(),
                   Box(screen()->availableGeometry()));
  results->move(at.left, at.top);
}

void MainWindow::ShowListingAge() {
  const ListingAge age =
      AgeOfListing(files_.database, std::chrono::system_clock::now());
  const QString credits = Qs(text::Credits(age));
  credits_->setAccessibleName(credits);
  credits_->setToolTip(Qs(text::AgeTooltip(age)));
  if (!age.old) {
    credits_->setTextFormat(Qt::PlainText);
    credits_->setText(credits);
    return;
  }
  // The day in a warning colour that reads on a light window and on a
  // dark one alike (contrast 7:1 or more on either).
  const bool dark = palette().color(QPalette::Window).lightness() < 128;
  const QString day = Qs(age.day);
  QString html = credits.toHtmlEscaped().replace('\n', QStringLiteral("<br>"));
  html.replace(day, QStringLiteral("<span style=\"color:%1\">%2</span>")
                        .arg(dark ? "#ffb4a8" : "#a30000", day));
  credits_->setTextFormat(Qt::RichText);
  credits_->setText(html);
}

void MainWindow::Search() {
  SearchOutcome outcome;
  {
    WaitCursor wait;
    outcome =
        RunSearch(input_->toPlainText().toStdString(), files_.database, "\n");
  }
  if (!outcome.error.empty()) {
    dialogs_->Error(QString::fromStdString(outcome.error));
    return;
  }
  ResultsWindow* window = TouchResults();
  window->AppendLines(QString::fromStdString(outcome.lines));
  window->show();
  window->raise();
  window->activateWindow();
}

void MainWindow::Update() {
  if (!dialogs_->Confirm(Qs(text::kConfirmUpdate))) return;
  UpdateResult result;
  {
    std::unique_ptr<Progress> progress =
        dialogs_->StartProgress(Qs(text::kProgressLabel));
    result =
        RunUpdate({files_.database, files_.sources, nullptr},
                  [&progress](std::int64_t received) {
                    return progress == nullptr || progress->Update(received, 0);
                  });
  }
  ShowListingAge();
  const QString message = QString::fromStdString(CompletionMessage(result));
  if (result.status == UpdateStatus::kUpdated) dialogs_->Inform(message);
  if (result.status == UpdateStatus::kFailed) dialogs_->Error(message);
}

void MainWindow::Exit() {
  if (results_) results_->close();
  close();
  QCoreApplication::exit(0);
}

}  // namespace venmark

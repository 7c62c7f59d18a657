#include "qt/main_window.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "app/window_layout.h"
#include "qt/form_widgets.h"
#include "qt/qt_fonts.h"

namespace venmark {
namespace {

KeyCode CodeOf(int key) {
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return KeyCode::kReturn;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return KeyCode::kTab;
    case Qt::Key_A:
      return KeyCode::kA;
    default:
      return KeyCode::kOther;
  }
}

}  // namespace

MainWindow::MainWindow(Dialogs* dialogs, MainPresenter::Settings settings,
                       QSize screen)
    : QWidget(nullptr),
      dialogs_(dialogs),
      presenter_(this, std::move(settings)) {
  const FormLayout& layout = MainFormLayout();
  setObjectName(QString::fromStdString(layout.name));
  setWindowTitle(Qs(layout.caption));
  const QFont desktop = CaptionFont(QApplication::font());
  setFont(desktop);
  const Controls controls = CreateControls(layout, this);
  input_ =
      qobject_cast<QPlainTextEdit*>(controls.at(std::string(names::kInput)));
  credits_ = qobject_cast<QLabel*>(controls.at(std::string(names::kCredits)));

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
    controls.at(control.name)->installEventFilter(this);
  }
  PlaceControls(layout, Scale(96, fit.factor), controls, this);
  presenter_.Start();

  // Each button tells the presenter its name; what it does is decided there.
  for (const ControlLayout& control : layout.controls) {
    if (auto* button = qobject_cast<QPushButton*>(controls.at(control.name))) {
      const std::string name = control.name;
      connect(button, &QPushButton::clicked, this,
              [this, name] { presenter_.OnButton(name); });
    }
  }
}

MainWindow::~MainWindow() {
  // An unowned results window would outlive the program's main window.
  if (results_) delete results_.data();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return false;
  const auto* key = static_cast<QKeyEvent*>(event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr) return false;
  const std::string name = widget->objectName().toStdString();
  const std::string window = widget->window()->objectName().toStdString();
  KeyPress press;
  press.key = CodeOf(key->key());
  press.control = (key->modifiers() & Qt::ControlModifier) != 0;
  press.shift = (key->modifiers() & Qt::ShiftModifier) != 0 ||
                key->key() == Qt::Key_Backtab;
  press.window = window;
  press.target = name;
  press.target_kind =
      qobject_cast<QPlainTextEdit*>(widget) != nullptr ? ControlKind::kTextBox
      : qobject_cast<QPushButton*>(widget) != nullptr  ? ControlKind::kButton
                                                       : ControlKind::kLabel;
  press.other_modifier =
      (key->modifiers() & ~(Qt::ControlModifier | Qt::ShiftModifier |
                            Qt::KeypadModifier)) != Qt::NoModifier;
  const KeyAction action = presenter_.OnKey(press);
  Apply(action, widget);
  return action != KeyAction::kNone;
}

void MainWindow::Apply(KeyAction action, QWidget* target) {
  switch (action) {
    case KeyAction::kNone:
    case KeyAction::kDone:
      return;
    case KeyAction::kClick:
      if (auto* button = qobject_cast<QPushButton*>(target)) {
        button->animateClick();
      }
      return;
    case KeyAction::kSelectAll:
      if (auto* box = qobject_cast<QPlainTextEdit*>(target)) box->selectAll();
      return;
    case KeyAction::kFocusNext:
    case KeyAction::kFocusPrevious:
      break;
  }
  const bool backwards = action == KeyAction::kFocusPrevious;
  for (QWidget* next = target;;) {
    next = backwards ? next->previousInFocusChain() : next->nextInFocusChain();
    if (next == target) return;
    if (next->window() == target->window() && next->isVisible() &&
        next->isEnabled() && (next->focusPolicy() & Qt::TabFocus) != 0) {
      next->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
      return;
    }
  }
}

std::string MainWindow::InputText() const {
  return input_->toPlainText().toStdString();
}

void MainWindow::SetBusy(bool busy) {
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

Rgb MainWindow::Background() const {
  const QColor face = palette().color(QPalette::Window);
  return {face.red(), face.green(), face.blue()};
}

void MainWindow::ShowCredits(const CreditsLine& credits) {
  const QString text = Qs(credits.text);
  credits_->setAccessibleName(text);
  credits_->setToolTip(Qs(credits.tooltip));
  if (credits.warned.empty()) {
    credits_->setTextFormat(Qt::PlainText);
    credits_->setText(text);
    return;
  }
  const QColor colour(credits.warning_colour.red, credits.warning_colour.green,
                      credits.warning_colour.blue);
  const QString warned = Qs(credits.warned).toHtmlEscaped();
  QString html = text.toHtmlEscaped().replace('\n', QStringLiteral("<br>"));
  html.replace(warned, QStringLiteral("<span style=\"color:%1\">%2</span>")
                           .arg(colour.name(), warned));
  credits_->setTextFormat(Qt::RichText);
  credits_->setText(html);
}

bool MainWindow::Confirm(std::string_view question) {
  return dialogs_->Confirm(Qs(question));
}

void MainWindow::Tell(MessageKind kind, std::string_view text) {
  if (kind == MessageKind::kSuccess) {
    dialogs_->Inform(Qs(text));
  } else {
    dialogs_->Error(Qs(text));
  }
}

std::unique_ptr<ProgressView> MainWindow::OpenProgress() {
  return dialogs_->StartProgress();
}

ResultsView* MainWindow::OpenResults() { return results_.data(); }

ResultsView* MainWindow::CreateResults() {
  // Sized as this window's frame is, for placing it before it is shown.
  const QRect outer = frameGeometry();
  const QMargins frame(
      geometry().left() - outer.left(), geometry().top() - outer.top(),
      outer.right() - geometry().right(), outer.bottom() - geometry().bottom());
  results_ = new ResultsWindow(frame);
  results_->text_box()->installEventFilter(this);
  return results_.data();
}

MainGeometry MainWindow::Geometry() const {
  const QWidget* search = findChild<QWidget*>(
      QString::fromUtf8(names::kSearch.data(), names::kSearch.size()));
  return {ToPixels(frameGeometry()), mapToGlobal(search->pos()).y(),
          ToPixels(screen()->availableGeometry())};
}

void MainWindow::CloseAll() {
  if (results_) results_->close();
  close();
  QCoreApplication::exit(0);
}

}  // namespace venmark

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

Pixels Box(const QRect& r) {
  return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

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
  input_ = qobject_cast<QPlainTextEdit*>(controls.at("Text1"));
  credits_ = qobject_cast<QLabel*>(controls.at("Label1"));

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

  connect(qobject_cast<QPushButton*>(controls.at("Command1")),
          &QPushButton::clicked, this, &MainWindow::Search);
  connect(qobject_cast<QPushButton*>(controls.at("Command2")),
          &QPushButton::clicked, this, &MainWindow::Exit);
  connect(qobject_cast<QPushButton*>(controls.at("Command3")),
          &QPushButton::clicked, this, &MainWindow::Update);
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
  // Alt, Meta and the like make another key of it.
  const Qt::KeyboardModifiers others =
      key->modifiers() &
      ~(Qt::ControlModifier | Qt::ShiftModifier | Qt::KeypadModifier);
  if (others != Qt::NoModifier) return false;
  // The control the key came to is the one the presenter's answer is for.
  key_target_ = widget;
  const bool handled = presenter_.OnKey(press);
  key_target_ = nullptr;
  return handled;
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
  const QWidget* search = findChild<QWidget*>("Command1");
  return {Box(frameGeometry()), mapToGlobal(search->pos()).y(),
          Box(screen()->availableGeometry())};
}

void MainWindow::Click(std::string_view button) {
  auto* target = qobject_cast<QPushButton*>(key_target_.data());
  if (target != nullptr && target->objectName() == Qs(button)) {
    target->animateClick();
  }
}

void MainWindow::MoveFocus(bool backwards) {
  QWidget* from = key_target_.data();
  if (from == nullptr) return;
  for (QWidget* next = from;;) {
    next = backwards ? next->previousInFocusChain() : next->nextInFocusChain();
    if (next == from) return;
    if (next->window() == from->window() && next->isVisible() &&
        next->isEnabled() && (next->focusPolicy() & Qt::TabFocus) != 0) {
      next->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
      return;
    }
  }
}

void MainWindow::SelectAll(std::string_view box) {
  auto* target = qobject_cast<QPlainTextEdit*>(key_target_.data());
  if (target != nullptr && target->objectName() == Qs(box)) {
    target->selectAll();
  }
}

void MainWindow::CloseAll() {
  if (results_) results_->close();
  close();
  QCoreApplication::exit(0);
}

}  // namespace venmark

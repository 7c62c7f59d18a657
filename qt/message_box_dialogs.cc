#include "qt/message_box_dialogs.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

#include "app/placement.h"
#include "app/texts.h"
#include "app/window_layout.h"
#include "qt/form_widgets.h"
#include "qt/qt_fonts.h"

namespace venmark {
namespace {

// Runs a box to its end; QMessageBox::exec answers the escape button when the
// box is closed from its frame.
QMessageBox::StandardButton Ask(QWidget* parent, QMessageBox::Icon icon,
                                const QString& message,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton escape) {
  QMessageBox box(icon, Qs(text::kAppTitle), message, buttons, parent);
  box.setEscapeButton(escape);
  box.setDefaultButton(QMessageBox::Ok);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

// The progress window, made from its layout and driven from the thread
// that does the work: every report lets the windows repaint while the
// modal window keeps input to itself.
class ProgressWindow : public ProgressView {
 public:
  explicit ProgressWindow(QWidget* parent) : dialog_(parent) {
    const FormLayout& layout = ProgressFormLayout();
    dialog_.setObjectName(QString::fromStdString(layout.name));
    dialog_.setWindowTitle(Qs(layout.caption));
    dialog_.setWindowModality(Qt::ApplicationModal);
    const QFont captions = CaptionFont(QApplication::font());
    dialog_.setFont(captions);
    const Controls controls = CreateControls(layout, &dialog_);
    PlaceControls(layout, Scale(96, FitFactor(layout, QtMeasure(captions), 96)),
                  controls, &dialog_);
    label_ =
        qobject_cast<QLabel*>(controls.at(std::string(names::kProgressText)));
    label_->setText({});
    bar_ = qobject_cast<QProgressBar*>(
        controls.at(std::string(names::kProgressBar)));
    auto* cancel =
        qobject_cast<QPushButton*>(controls.at(std::string(names::kCancel)));
    QObject::connect(cancel, &QPushButton::clicked,
                     [this] { cancelled_ = true; });
    QObject::connect(&dialog_, &QDialog::rejected,
                     [this] { cancelled_ = true; });
    if (parent != nullptr && parent->screen() != nullptr) {
      // Framed as the main window is.
      const QRect main = parent->frameGeometry();
      const QRect area = parent->screen()->availableGeometry();
      const Pixels placed = PlaceProgress(
          ToPixels(main), dialog_.width() + main.width() - parent->width(),
          dialog_.height() + main.height() - parent->height(), ToPixels(area));
      dialog_.move(placed.left, placed.top);
    }
    dialog_.show();
    cancel->setFocus();
    QCoreApplication::processEvents();
  }

  bool Show(std::string_view text, double done) override {
    label_->setText(Qs(text));
    // A busy bar where the size is not known.
    bar_->setRange(0, done < 0 ? 0 : 1000);
    if (done >= 0) bar_->setValue(static_cast<int>(std::min(done, 1.0) * 1000));
    QCoreApplication::processEvents();
    return !cancelled_;
  }

 private:
  QDialog dialog_;
  QLabel* label_ = nullptr;
  QProgressBar* bar_ = nullptr;
  bool cancelled_ = false;
};

}  // namespace

bool MessageBoxDialogs::Confirm(const QString& text) {
  return Ask(parent_, QMessageBox::Question, text,
             QMessageBox::Ok | QMessageBox::Cancel,
             QMessageBox::Cancel) == QMessageBox::Ok;
}

void MessageBoxDialogs::Inform(const QString& text) {
  Ask(parent_, QMessageBox::Information, text, QMessageBox::Ok,
      QMessageBox::Ok);
}

void MessageBoxDialogs::Error(const QString& text) {
  Ask(parent_, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

std::unique_ptr<ProgressView> MessageBoxDialogs::StartProgress() {
  return std::make_unique<ProgressWindow>(parent_);
}

}  // namespace venmark

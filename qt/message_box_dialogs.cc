#include "qt/message_box_dialogs.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <algorithm>
#include <climits>

#include "app/texts.h"
#include "qt/form_widgets.h"

namespace venmark {
namespace {

// Runs a box to its end; QMessageBox::exec answers the escape button when the
// box is closed from its frame.
QMessageBox::StandardButton Ask(QWidget* parent, const QString& message,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton escape) {
  QMessageBox box(QMessageBox::NoIcon, Qs(text::kAppTitle), message, buttons,
                  parent);
  box.setEscapeButton(escape);
  box.setDefaultButton(QMessageBox::Ok);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

// The Qt progress dialog, driven from the thread that does the work: every
// update lets the windows repaint while the modal dialog keeps input to
// itself.
class DialogProgress : public Progress {
 public:
  DialogProgress(QWidget* parent, const QString& label)
      : dialog_(label, Qs(text::kCancel), 0, 0, parent), label_(label) {
    dialog_.setWindowTitle(Qs(text::kProgressTitle));
    dialog_.setWindowModality(Qt::ApplicationModal);
    dialog_.setMinimumDuration(0);
    dialog_.setAutoClose(false);
    dialog_.setAutoReset(false);
    dialog_.setMinimumWidth(380);
    dialog_.show();
    QCoreApplication::processEvents();
  }

  bool Update(qint64 received, qint64 total) override {
    if (total > 0) {
      dialog_.setMaximum(static_cast<int>(std::min<qint64>(total, INT_MAX)));
      dialog_.setValue(static_cast<int>(std::min(received, total)));
    }
    dialog_.setLabelText(label_ + "\n" + Qs(text::Received(received)));
    QCoreApplication::processEvents();
    return !dialog_.wasCanceled();
  }

 private:
  QProgressDialog dialog_;
  QString label_;
};

}  // namespace

bool MessageBoxDialogs::Confirm(const QString& text) {
  return Ask(parent_, text, QMessageBox::Ok | QMessageBox::Cancel,
             QMessageBox::Cancel) == QMessageBox::Ok;
}

void MessageBoxDialogs::Inform(const QString& text) {
  Ask(parent_, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBoxDialogs::Error(const QString& text) {
  Ask(parent_, text, QMessageBox::Ok, QMessageBox::Ok);
}

std::unique_ptr<Progress> MessageBoxDialogs::StartProgress(
    const QString& label) {
  return std::make_unique<DialogProgress>(parent_, label);
}

}  // namespace venmark

#include "qt/text_box.h"

#include <QEvent>
#include <QKeyEvent>

#include "qt/qt_fonts.h"

namespace venmark {
namespace {

constexpr quint32 kXLinefeedKeysym = 0xff0a;

class LinefeedAsReturn : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      return false;
    }
    // Qt drops control characters typed as text, so a line break arriving
    // as anything but Return would vanish.
    if (key->nativeVirtualKey() == kXLinefeedKeysym || key->text() == "\n" ||
        key->text() == "\r") {
      auto* box = qobject_cast<QPlainTextEdit*>(watched);
      if (box != nullptr && !box->isReadOnly()) {
        box->insertPlainText(QStringLiteral("\n"));
        return true;
      }
    }
    return false;
  }
};

}  // namespace

QPlainTextEdit* AddTextBox(QWidget* parent, const char* name) {
  auto* box = new QPlainTextEdit(parent);
  box->setObjectName(name);
  box->setFont(TextBoxFont(parent->font()));
  box->setLineWrapMode(QPlainTextEdit::NoWrap);
  box->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  box->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  box->setTabChangesFocus(true);
  box->installEventFilter(new LinefeedAsReturn(box));
  return box;
}

}  // namespace venmark

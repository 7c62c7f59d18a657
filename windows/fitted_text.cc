#include "windows/fitted_text.h"

#include <QFontMetrics>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace venmark {

QFont FitFont(const QFont& font, const QString& text, const QSize& box,
              int flags) {
  QFont fitted = font;
  const QRect bounds(QPoint(0, 0), box);
  for (qreal size = font.pointSizeF(); size >= 6.0; size -= 0.5) {
    fitted.setPointSizeF(size);
    const QRect needed = QFontMetrics(fitted).boundingRect(bounds, flags, text);
    if (needed.width() <= box.width() && needed.height() <= box.height()) {
      return fitted;
    }
  }
  return fitted;
}

WrappingButton::WrappingButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent) {}

QRect WrappingButton::CaptionRect() const {
  // Leaves room for the bevel and the focus frame, no more.
  return rect().adjusted(4, 3, -4, -3);
}

void WrappingButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  QRect caption = CaptionRect();
  if (isDown()) {
    caption.translate(
        style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
        style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
  }
  painter.drawItemText(caption, Qt::AlignCenter | Qt::TextWordWrap, palette(),
                       isEnabled(), text(), QPalette::ButtonText);
}

}  // namespace venmark

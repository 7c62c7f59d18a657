#include "windows/fitted_text.h"

#include <QFontDatabase>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>
#include <cmath>

namespace venmark {
namespace {

// Leaves room for the bevel and the focus frame, no more.
constexpr QMargins kBevel(4, 2, 4, 2);

}  // namespace

QFont CaptionFont(const QFont& desktop) {
  QFont font = desktop;
  if (font.pointSizeF() > 0 && font.pointSizeF() < 8.0) font.setPointSizeF(8.0);
  return font;
}

bool IsMonospaced(const QFont& font) {
  const QFontMetrics metrics(font);
  return metrics.horizontalAdvance(QLatin1Char('i')) ==
             metrics.horizontalAdvance(QLatin1Char('W')) &&
         metrics.horizontalAdvance(QChar(0x0448)) ==  // ш
             metrics.horizontalAdvance(QLatin1Char('.'));
}

QFont TextBoxFont(const QFont& captions) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  if (captions.pointSizeF() > 0) font.setPointSizeF(captions.pointSizeF());
  // The system's pick is not always monospaced in Cyrillic too; DejaVu Sans
  // Mono, which the package depends on, is.
  if (!IsMonospaced(font)) font.setFamily(QStringLiteral("DejaVu Sans Mono"));
  return font;
}

QStringList WrapAtSpaces(const QString& text, const QFontMetrics& metrics,
                         int width) {
  QStringList lines;
  QString line;
  for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
    const QString longer =
        line.isEmpty() ? word : line + QLatin1Char(' ') + word;
    if (!line.isEmpty() && metrics.horizontalAdvance(longer) > width) {
      lines.append(line);
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.isEmpty()) lines.append(line);
  return lines;
}

bool FitsBox(const QString& text, const QFontMetrics& metrics, const QSize& box,
             bool wrap) {
  QStringList lines;
  for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
    lines += wrap ? WrapAtSpaces(paragraph, metrics, box.width())
                  : QStringList{paragraph};
  }
  if (lines.size() * metrics.height() > box.height()) return false;
  return std::all_of(lines.begin(), lines.end(), [&](const QString& line) {
    return metrics.horizontalAdvance(line) <= box.width();
  });
}

qreal Layout::ForFont(const QFont& font) {
  return std::max<qreal>(1.0, QFontMetricsF(font).height() / 13.0);
}

QRect Layout::Rect(int x, int y, int width, int height) const {
  const auto at = [this](int v) {
    return static_cast<int>(std::lround(v * scale_));
  };
  // Edges are scaled, not sizes, so that controls drawn flush stay flush.
  return QRect(QPoint(at(x), at(y)),
               QPoint(at(x + width) - 1, at(y + height) - 1));
}

QSize Layout::Size(int width, int height) const {
  return Rect(0, 0, width, height).size();
}

QSize CaptionRoom(const QSize& button) { return button.shrunkBy(kBevel); }

WrappingButton::WrappingButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent) {}

QRect WrappingButton::CaptionRect() const { return rect() - kBevel; }

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
  painter.drawItemText(
      caption, Qt::AlignCenter, palette(), isEnabled(),
      WrapAtSpaces(text(), fontMetrics(), caption.width()).join('\n'),
      QPalette::ButtonText);
}

}  // namespace venmark

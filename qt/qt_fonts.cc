#include "qt/qt_fonts.h"

#include <QFontDatabase>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "app/window_layout.h"
#include "qt/form_widgets.h"

namespace venmark {

QFont CaptionFont(const QFont& desktop) {
  QFont font = desktop;
  if (CaptionPoints(font.pointSizeF()) != font.pointSizeF()) {
    font.setPointSizeF(CaptionPoints(font.pointSizeF()));
  }
  return font;
}

bool IsMonospaced(const QFont& font) {
  const QFontMetrics metrics(font);
  return metrics.horizontalAdvance(QLatin1Char('i')) ==
             metrics.horizontalAdvance(QLatin1Char('W')) &&
         metrics.horizontalAdvance(QChar(0x0448)) ==  // ш
             metrics.horizontalAdvance(QLatin1Char('.'));
}

QFont TextBoxFont(const QFont& captions, QFont fixed) {
  QFont font = std::move(fixed);
  if (captions.pointSizeF() > 0) font.setPointSizeF(captions.pointSizeF());
  // The system's pick is not always monospaced in Cyrillic too; the
  // fallback, which the package depends on, is.
  if (!IsMonospaced(font)) font.setFamily(Qs(kQtFaces.monospaced));
  return font;
}

int QtMeasure::Width(std::string_view utf8) const {
  return metrics_.horizontalAdvance(
      QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

QtFonts::QtFonts(const QFont& desktop)
    : desktop_(desktop),
      families_{desktop.family(), Qs(kQtFaces.narrower[0]),
                Qs(kQtFaces.narrower[1])} {}

QFont QtFonts::Font(int face, double points) const {
  QFont font = desktop_;
  font.setFamily(families_[face]);
  if (points > 0) font.setPointSizeF(points);
  return font;
}

std::unique_ptr<TextMeasure> QtFonts::Measure(int face, double points) const {
  return std::make_unique<QtMeasure>(Font(face, points));
}

QStringList WrapAtSpaces(const QString& text, const QFontMetrics& metrics,
                         int width) {
  QStringList lines;
  for (const std::string& line :
       WrapAtSpaces(text.toStdString(), QtMeasure(metrics), width)) {
    lines.append(QString::fromStdString(line));
  }
  return lines;
}

WrappingButton::WrappingButton(const QString& text, QWidget* parent)
    : QPushButton(text, parent) {}

void WrappingButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  option.text.clear();
  painter.drawControl(QStyle::CE_PushButton, option);
  // Inside the bevel, as the layout measured it.
  QRect caption =
      rect() - QMargins(kButtonBevelWidth / 2, kButtonBevelHeight / 2,
                        kButtonBevelWidth / 2, kButtonBevelHeight / 2);
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

#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QStringList>
#include <memory>

#include "app/window_layout.h"

namespace venmark {

// The captions' font: the desktop's own, never smaller than 8 points.
QFont CaptionFont(const QFont& desktop);

// Whether every character of font, Latin and Cyrillic, is as wide as any.
bool IsMonospaced(const QFont& font);

// The monospaced font of the text boxes, as large as the captions', so that
// pasted tables keep their columns: the system's fixed font (fixed), or
// DejaVu Sans Mono where that is not monospaced in Cyrillic too.
QFont TextBoxFont(
    const QFont& captions,
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont));

// Measures text in one Qt font for the layout rules.
class QtMeasure : public TextMeasure {
 public:
  explicit QtMeasure(const QFont& font) : metrics_(font) {}
  explicit QtMeasure(const QFontMetrics& metrics) : metrics_(metrics) {}
  int LineHeight() const override { return metrics_.height(); }
  int Width(std::string_view utf8) const override;

 private:
  QFontMetrics metrics_;
};

// The desktop's face, then narrower ones (Liberation Sans, Arimo).
class QtFonts : public FontSource {
 public:
  explicit QtFonts(const QFont& desktop);
  int faces() const override { return static_cast<int>(families_.size()); }
  std::unique_ptr<TextMeasure> Measure(int face, double points) const override;
  // The font of face at points.
  QFont Font(int face, double points) const;

 private:
  QFont desktop_;
  QStringList families_;
};

// text wrapped by the layout rule (WrapAtSpaces of app/window_layout.h).
QStringList WrapAtSpaces(const QString& text, const QFontMetrics& metrics,
                         int width);

// A QRect of layout pixels.
inline QRect ToQRect(const Pixels& p) {
  return QRect(p.left, p.top, p.width(), p.height());
}

// Layout pixels of a QRect (whose right and bottom are the last pixel's).
inline Pixels ToPixels(const QRect& r) {
  return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

// A push button whose caption wraps at spaces onto as many lines as its
// fixed size holds, as captions of long buttons do on Windows. text() keeps
// the caption whole.
class WrappingButton : public QPushButton {
  Q_OBJECT

 public:
  WrappingButton(const QString& text, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace venmark

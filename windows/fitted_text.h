#pragma once

#include <QFont>
#include <QFontMetrics>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QStringList>

namespace venmark {

// The captions' font: the desktop's own, never smaller than 8 points.
QFont CaptionFont(const QFont& desktop);

// Whether every character of font, Latin and Cyrillic, is as wide as any.
bool IsMonospaced(const QFont& font);

// The monospaced font of the text boxes, as large as the captions', so that
// pasted tables keep their columns.
QFont TextBoxFont(const QFont& captions);

// text broken into lines at spaces only, each no wider than width where its
// words allow: a word never splits, not even at a hyphen.
QStringList WrapAtSpaces(const QString& text, const QFontMetrics& metrics,
                         int width);

// Whether text, broken by WrapAtSpaces (or at its own line breaks when
// single_line is false and it has some), fits box whole.
bool FitsBox(const QString& text, const QFontMetrics& metrics, const QSize& box,
             bool wrap);

// The windows were drawn in pixels of a 96-dpi screen with an 8-point
// system font. A layout scales all of it by one factor, as dialog units do,
// so that proportions, positions and tab order stay as drawn.
class Layout {
 public:
  explicit Layout(qreal scale) : scale_(scale) {}

  // The scale at which captions in font read as they did at 8 points: the
  // font's line height against 13 pixels, never below 1.
  static qreal ForFont(const QFont& font);

  QRect Rect(int x, int y, int width, int height) const;
  QSize Size(int width, int height) const;

 private:
  qreal scale_;
};

// A push button whose caption wraps at spaces onto as many lines as its
// fixed size holds, as captions of long buttons do on Windows. text() keeps
// the caption whole.
class WrappingButton : public QPushButton {
  Q_OBJECT

 public:
  WrappingButton(const QString& text, QWidget* parent);

  // Where the caption is laid out, inside the bevel.
  QRect CaptionRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The room a push button of size leaves for its caption inside the bevel.
QSize CaptionRoom(const QSize& button);

}  // namespace venmark

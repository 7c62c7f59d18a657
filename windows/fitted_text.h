#pragma once

#include <QFont>
#include <QPushButton>
#include <QRect>
#include <QString>

namespace venmark {

// The largest font, no larger than font and no smaller than 6 points, in
// which text laid out with flags (Qt::TextWordWrap and the like) fits box.
QFont FitFont(const QFont& font, const QString& text, const QSize& box,
              int flags);

// A push button whose caption wraps onto as many lines as its fixed size
// holds, as captions of long buttons do on Windows. text() keeps the caption
// whole.
class WrappingButton : public QPushButton {
  Q_OBJECT

 public:
  WrappingButton(const QString& text, QWidget* parent);

  // Where the caption is laid out, inside the bevel.
  QRect CaptionRect() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace venmark

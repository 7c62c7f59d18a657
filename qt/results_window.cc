#include "qt/results_window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

#include "app/window_layout.h"
#include "qt/form_widgets.h"
#include "qt/qt_fonts.h"

namespace venmark {

ResultsWindow::ResultsWindow(QMargins frame) : QWidget(nullptr), frame_(frame) {
  const FormLayout& layout = ResultsFormLayout();
  setObjectName(QString::fromStdString(layout.name));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(Qs(layout.caption));
  const QFont captions = CaptionFont(QApplication::font());
  setFont(captions);
  controls_ = CreateControls(layout, this);
  text_ =
      qobject_cast<QPlainTextEdit*>(controls_.at(std::string(names::kResults)));
  // Scaled as one until the frame's title shows whole, descenders
  // included, above the box.
  factor_ = FitFactor(layout, QtMeasure(captions), 96);
  PlaceControls(layout, Scale(96, factor_), controls_, this);
}

void ResultsWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FollowSize(ResultsFormLayout(), Scale(96, factor_), controls_, size());
}

std::string ResultsWindow::Text() const {
  return text_->toPlainText().toStdString();
}

void ResultsWindow::Append(std::string_view text, std::size_t first) {
  if (text.empty()) return;
  QTextDocument* document = text_->document();
  QTextCursor cursor(document);
  cursor.movePosition(QTextCursor::End);
  cursor.beginEditBlock();
  cursor.insertText(Qs(text.substr(0, first)));
  const int first_position = cursor.position();
  cursor.insertText(Qs(text.substr(first)));
  cursor.endEditBlock();
  // The first of the new lines at the top of the view (lines do not wrap, so
  // the scroll bar counts lines), the cursor at its start.
  const QTextBlock block = document->findBlock(first_position);
  text_->setTextCursor(QTextCursor(block));
  text_->verticalScrollBar()->setValue(block.blockNumber());
}

Pixels ResultsWindow::Frame() const {
  const QRect outer =
      isVisible() ? frameGeometry() : QRect(pos(), size().grownBy(frame_));
  return {outer.left(), outer.top(), outer.right() + 1, outer.bottom() + 1};
}

int ResultsWindow::FrameWidthFor(std::string_view lines) const {
  const QFontMetrics metrics(text_->font());
  int widest = 0;
  for (const QString& line : Qs(lines).split(QLatin1Char('\n'))) {
    widest = std::max(widest, metrics.horizontalAdvance(line));
  }
  // Around the text: the document's margins, the caret, the box's frame
  // and vertical scroll bar, and the window's own edges and frame.
  const int around_text =
      2 * static_cast<int>(text_->document()->documentMargin()) +
      text_->cursorWidth() + 2 * text_->frameWidth() +
      text_->verticalScrollBar()->sizeHint().width() + 2;
  return widest + around_text + (Frame().width() - text_->width());
}

void ResultsWindow::SetFrameWidth(int width) {
  resize(width - (Frame().width() - this->width()), height());
}

void ResultsWindow::MoveTo(int left, int top) { move(left, top); }

void ResultsWindow::ShowAndRaise() {
  show();
  raise();
  activateWindow();
}

}  // namespace venmark

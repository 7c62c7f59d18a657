#include "windows/results_window.h"

#include <QApplication>
#include <QGroupBox>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "windows/fitted_text.h"
#include "windows/text_box.h"

namespace venmark {

ResultsWindow::ResultsWindow() : QWidget(nullptr) {
  setObjectName("Form2");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Результаты поиска"));
  const QFont captions = CaptionFont(QApplication::font());
  setFont(captions);

  frame_ = new QGroupBox(QStringLiteral("Таблица соответствий"), this);
  frame_->setObjectName("Frame1");
  text_ = AddTextBox(frame_, "Text1");

  // As drawn for an 8-point font, scaled as one until the frame's title
  // shows whole, descenders included, above the box.
  const QFontMetrics metrics(captions);
  qreal scale = Layout::ForFont(captions);
  while (scale < 8 &&
         !FitsBox(frame_->title(), metrics,
                  QSize(Layout(scale).Size(393 - 2 * 8, 16)), false)) {
    scale += 0.025;
  }
  const Layout layout(scale);
  setFixedSize(layout.Size(407, 501));
  frame_->setGeometry(layout.Rect(8, 8, 393, 481));
  text_->setGeometry(layout.Rect(8, 16, 377, 457));
}

QString ResultsWindow::Text() const { return text_->toPlainText(); }

void ResultsWindow::AppendLines(const QString& lines) {
  if (lines.isEmpty()) return;
  QTextDocument* document = text_->document();
  QTextCursor cursor(document);
  cursor.movePosition(QTextCursor::End);
  cursor.beginEditBlock();
  // Whatever the user typed last keeps its own line.
  if (!document->lastBlock().text().isEmpty()) cursor.insertBlock();
  const int first = cursor.blockNumber();
  cursor.insertText(lines);
  cursor.endEditBlock();
  // The first of the new lines at the top of the view (lines do not wrap, so
  // the scroll bar counts lines), the cursor at its start.
  text_->setTextCursor(QTextCursor(document->findBlockByNumber(first)));
  text_->verticalScrollBar()->setValue(first);
}

}  // namespace venmark

#include "windows/results_window.h"

#include <QGroupBox>
#include <QTextBlock>
#include <QTextCursor>

#include "windows/text_box.h"

namespace venmark {

ResultsWindow::ResultsWindow() : QWidget(nullptr) {
  setObjectName("Form2");
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("Результаты поиска"));
  setFixedSize(407, 501);

  frame_ = new QGroupBox(QStringLiteral("Таблица соответствий"), this);
  frame_->setObjectName("Frame1");
  frame_->setGeometry(8, 8, 393, 481);

  text_ = AddTextBox(frame_, "Text1", QRect(8, 16, 377, 457));
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
  cursor.insertText(lines);
  cursor.endEditBlock();
}

}  // namespace venmark

#include "qt/results_window.h"

#include <QApplication>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include "app/window_layout.h"
#include "qt/fitted_text.h"
#include "qt/form_widgets.h"

namespace venmark {

ResultsWindow::ResultsWindow() : QWidget(nullptr) {
  const FormLayout& layout = ResultsFormLayout();
  setObjectName(QString::fromStdString(layout.name));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(Qs(layout.caption));
  const QFont captions = CaptionFont(QApplication::font());
  setFont(captions);
  controls_ = CreateControls(layout, this);
  text_ = qobject_cast<QPlainTextEdit*>(controls_.at("Text1"));
  // Scaled as one until the frame's title shows whole, descenders
  // included, above the box.
  factor_ = FitFactor(layout, QtMeasure(captions), 96);
  PlaceControls(layout, Scale(96, factor_), controls_, this);
}

void ResultsWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FollowSize(ResultsFormLayout(), Scale(96, factor_), controls_, size());
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

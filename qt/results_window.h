#pragma once

#include <QPlainTextEdit>
#include <QWidget>

#include "qt/form_widgets.h"

namespace venmark {

// The results window (Form2): the lines of every search made while it stays
// open, one after another. A top-level window without owner that deletes
// itself, text and all, when closed.
class ResultsWindow : public QWidget {
  Q_OBJECT

 public:
  ResultsWindow();

  // The whole text of the results box.
  QString Text() const;

  // Appends result lines in one edit, starting on a line of their own.
  void AppendLines(const QString& lines);

 protected:
  // The frame and the box follow the window's edges.
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPlainTextEdit* text_;
  Controls controls_;
  double factor_ = 1;
};

}  // namespace venmark

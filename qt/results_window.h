#pragma once

#include <QPlainTextEdit>
#include <QWidget>

#include "app/main_view.h"
#include "qt/form_widgets.h"

namespace venmark {

// The results window (Form2): the lines of every search made while it stays
// open, one after another. A top-level window without owner that deletes
// itself, text and all, when closed.
class ResultsWindow : public QWidget, public ResultsView {
  Q_OBJECT

 public:
  // frame: what the system's frame adds around the window, for its size
  // before it is first shown.
  explicit ResultsWindow(QMargins frame = {});

  QPlainTextEdit* text_box() const { return text_; }

  // ResultsView.
  std::string Text() const override;
  void Append(std::string_view text, std::size_t first) override;
  Pixels Frame() const override;
  int FrameWidthFor(std::string_view lines) const override;
  void SetFrameWidth(int width) override;
  void MoveTo(int left, int top) override;
  void ShowAndRaise() override;

 protected:
  // The frame and the box follow the window's edges.
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPlainTextEdit* text_;
  Controls controls_;
  QMargins frame_;
  double factor_ = 1;
};

}  // namespace venmark

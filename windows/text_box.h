#pragma once

#include <QPlainTextEdit>
#include <QRect>

namespace venmark {

// Adds to parent a multi-line, editable plain-text box called name at
// geometry: long lines wrap, a vertical scroll bar appears when the text
// overflows, and Tab moves on to the next control. A Linefeed key (what some
// X input tools send for a typed line break) breaks the line as Return does.
QPlainTextEdit* AddTextBox(QWidget* parent, const char* name, QRect geometry);

}  // namespace venmark

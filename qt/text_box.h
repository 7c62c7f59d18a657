#pragma once

#include <QPlainTextEdit>
#include <QRect>

namespace venmark {

// Adds to parent a multi-line, editable plain-text box called name, in a
// monospaced font so that pasted tables keep their columns: lines do not
// wrap, scroll bars appear when the text overflows, and Tab moves on to the
// next control. A Linefeed key (what some X input tools send for a typed
// line break) breaks the line as Return does.
QPlainTextEdit* AddTextBox(QWidget* parent, const char* name);

}  // namespace venmark

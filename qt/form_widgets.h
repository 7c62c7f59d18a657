#pragma once

#include <QString>
#include <QWidget>
#include <map>
#include <string>

#include "app/window_layout.h"

namespace venmark {

// A window's controls by name.
using Controls = std::map<std::string, QWidget*, std::less<>>;

// Creates window's controls in tab order, each a child of its frame or of
// form, called by its name and showing its caption.
Controls CreateControls(const FormLayout& window, QWidget* form);

// Lays window's controls out at scale and gives form its client size as
// drawn: fixed, or to start with when the window is resizable.
void PlaceControls(const FormLayout& window, const Scale& scale,
                   const Controls& controls, QWidget* form);

// Lays the controls of a resizable window out for its client size now,
// those that stretch following its edges.
void FollowSize(const FormLayout& window, const Scale& scale,
                const Controls& controls, QSize now);

// A UTF-8 text of the program as Qt holds it.
inline QString Qs(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace venmark

#include "qt/form_widgets.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "qt/qt_fonts.h"
#include "qt/text_box.h"

namespace venmark {
namespace {

QWidget* CreateControl(const ControlLayout& control, QWidget* parent) {
  const QString caption = Qs(control.caption);
  QWidget* widget = nullptr;
  switch (control.kind) {
    case ControlKind::kTextBox:
      return AddTextBox(parent, control.name.c_str());
    case ControlKind::kButton: {
      // No button is a default one: Return presses the focused button.
      QPushButton* button = control.wraps ? new WrappingButton(caption, parent)
                                          : new QPushButton(caption, parent);
      button->setAutoDefault(false);
      button->setDefault(false);
      widget = button;
      break;
    }
    case ControlKind::kLabel: {
      auto* label = new QLabel(caption, parent);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      widget = label;
      break;
    }
    case ControlKind::kFrame:
      widget = new QGroupBox(caption, parent);
      break;
    case ControlKind::kProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      widget = bar;
      break;
    }
  }
  widget->setObjectName(QString::fromStdString(control.name));
  return widget;
}

}  // namespace

Controls CreateControls(const FormLayout& window, QWidget* form) {
  Controls controls;
  QWidget* previous = nullptr;
  for (const ControlLayout& control : window.controls) {
    QWidget* parent =
        control.parent.empty() ? form : controls.find(control.parent)->second;
    QWidget* widget = CreateControl(control, parent);
    // What a screen reader says of it: its caption, or the name given.
    widget->setAccessibleName(Qs(control.accessible_name.empty()
                                     ? control.caption
                                     : control.accessible_name));
    controls.emplace(control.name, widget);
    if (previous != nullptr) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
  for (const ControlLayout& control : window.controls) {
    if (control.labelled_by.empty()) continue;
    if (auto* label = qobject_cast<QLabel*>(controls.at(control.labelled_by))) {
      label->setBuddy(controls.at(control.name));
    }
  }
  return controls;
}

void PlaceControls(const FormLayout& window, const Scale& scale,
                   const Controls& controls, QWidget* form) {
  const QSize drawn(scale.Px(window.width), scale.Px(window.height));
  FollowSize(window, scale, controls, drawn);
  if (window.resizable) {
    form->setMinimumSize(drawn / 2);
    form->resize(drawn);
  } else {
    form->setFixedSize(drawn);
  }
}

void FollowSize(const FormLayout& window, const Scale& scale,
                const Controls& controls, QSize now) {
  const int grow_x = now.width() - scale.Px(window.width);
  const int grow_y = now.height() - scale.Px(window.height);
  for (const ControlLayout& control : window.controls) {
    controls.find(control.name)
        ->second->setGeometry(
            ToQRect(PlaceAnchored(control, scale, grow_x, grow_y)));
  }
}

}  // namespace venmark

#pragma once

#include <QPointer>
#include <QWidget>

#include "qt/dialogs.h"

namespace venmark {

// The real dialogs: message boxes captioned "Venmark", a success with the
// information icon and a failure with the error one, and the modal progress
// window, all centred on parent.
class MessageBoxDialogs : public Dialogs {
 public:
  MessageBoxDialogs() = default;

  // The window the boxes belong to; they stay modal to the application.
  void set_parent(QWidget* parent) { parent_ = parent; }

  bool Confirm(const QString& text) override;
  void Inform(const QString& text) override;
  void Error(const QString& text) override;
  std::unique_ptr<ProgressView> StartProgress() override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace venmark

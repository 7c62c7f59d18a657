#pragma once

#include <QPointer>
#include <QWidget>

#include "qt/dialogs.h"

namespace venmark {

// The real dialogs: message boxes without icons captioned "Venmark", and a
// modal progress dialog, all centred on parent.
class MessageBoxDialogs : public Dialogs {
 public:
  MessageBoxDialogs() = default;

  // The window the boxes belong to; they stay modal to the application.
  void set_parent(QWidget* parent) { parent_ = parent; }

  bool Confirm(const QString& text) override;
  void Inform(const QString& text) override;
  void Error(const QString& text) override;
  std::unique_ptr<Progress> StartProgress(const QString& label) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace venmark

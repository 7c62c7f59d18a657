#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

#include "app/main_view.h"

namespace venmark {

// The message boxes the windows raise, behind an interface so that tests can
// answer them without a modal loop.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Asks with OK and Cancel; true for OK. Closing the box counts as Cancel.
  virtual bool Confirm(const QString& text) = 0;

  // Tells something with an OK button and waits until it is dismissed.
  virtual void Inform(const QString& text) = 0;

  // Reports a failure with an OK button and waits until it is dismissed.
  virtual void Error(const QString& text) = 0;

  // Opens the modal progress window (ProgressFormLayout).
  virtual std::unique_ptr<ProgressView> StartProgress() = 0;
};

}  // namespace venmark

#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

namespace venmark {

// A progress display for a long operation; closing it is destroying it.
class Progress {
 public:
  virtual ~Progress() = default;

  // Shows that received bytes of total (0 when unknown) have arrived.
  // Returns false once the user has asked to cancel.
  virtual bool Update(qint64 received, qint64 total) = 0;
};

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

  // Opens a modal progress display with a cancel button, captioned label.
  virtual std::unique_ptr<Progress> StartProgress(const QString& label) = 0;
};

}  // namespace venmark

#pragma once

#include <QStringList>
#include <memory>

#include "qt/dialogs.h"

namespace venmark {

// Dialogs for tests: answers every box at once and remembers what it showed.
class FakeDialogs : public Dialogs {
 public:
  bool Confirm(const QString& text) override;
  void Inform(const QString& text) override;
  void Error(const QString& text) override;
  std::unique_ptr<ProgressView> StartProgress() override;

  bool confirm_answer = true;
  // The progress display asks to cancel after this many updates (-1: never).
  int cancel_after_updates = -1;
  QStringList confirmed, informed, errors, progress_texts;
  int progress_updates = 0;
  int progress_windows = 0;
  bool progress_open = false;
};

}  // namespace venmark

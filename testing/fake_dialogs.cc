#include "testing/fake_dialogs.h"

namespace venmark {
namespace {

class FakeProgress : public Progress {
 public:
  explicit FakeProgress(FakeDialogs* owner) : owner_(owner) {
    owner_->progress_open = true;
  }
  ~FakeProgress() override { owner_->progress_open = false; }

  bool Update(qint64, qint64) override {
    ++owner_->progress_updates;
    return owner_->cancel_after_updates < 0 ||
           owner_->progress_updates < owner_->cancel_after_updates;
  }

 private:
  FakeDialogs* owner_;
};

}  // namespace

bool FakeDialogs::Confirm(const QString& text) {
  confirmed.append(text);
  return confirm_answer;
}

void FakeDialogs::Inform(const QString& text) { informed.append(text); }

void FakeDialogs::Error(const QString& text) { errors.append(text); }

std::unique_ptr<Progress> FakeDialogs::StartProgress(const QString& label) {
  progress_labels.append(label);
  return std::make_unique<FakeProgress>(this);
}

}  // namespace venmark

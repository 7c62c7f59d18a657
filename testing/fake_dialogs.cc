#include "testing/fake_dialogs.h"

namespace venmark {
namespace {

class FakeProgress : public ProgressView {
 public:
  explicit FakeProgress(FakeDialogs* owner) : owner_(owner) {
    owner_->progress_open = true;
  }
  ~FakeProgress() override { owner_->progress_open = false; }

  bool Show(std::string_view text, double) override {
    owner_->progress_texts.append(
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
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

std::unique_ptr<ProgressView> FakeDialogs::StartProgress() {
  ++progress_windows;
  return std::make_unique<FakeProgress>(this);
}

}  // namespace venmark

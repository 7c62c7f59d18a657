#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/main_view.h"

// A main window for the presenter's tests: holds what it is told, answers
// what it is asked, and logs the calls a toolkit would act on.
namespace venmark {

class FakeResultsView : public ResultsView {
 public:
  std::string Text() const override { return text; }
  void Append(std::string_view added, std::size_t first_at) override {
    first = text.size() + first_at;
    text.append(added);
  }
  Pixels Frame() const override { return frame; }
  // Seven pixels a character and twenty of frame and scroll bar.
  int FrameWidthFor(std::string_view lines) const override {
    std::size_t longest = 0, length = 0;
    for (const char c : lines) {
      if (c == '\n') {
        length = 0;
      } else if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
        longest = std::max(longest, ++length);
      }
    }
    return 20 + 7 * static_cast<int>(longest);
  }
  void SetFrameWidth(int width) override { frame.right = frame.left + width; }
  void MoveTo(int left, int top) override {
    frame = {left, top, left + frame.width(), top + frame.height()};
  }
  void ShowAndRaise() override { ++shown; }

  std::string text;
  std::size_t first = 0;  // where the last append's first new line starts
  Pixels frame{0, 0, 400, 500};
  int shown = 0;
};

class FakeProgressView : public ProgressView {
 public:
  FakeProgressView(std::vector<std::string>* texts, std::vector<double>* done,
                   int* open, int cancel_at)
      : texts_(texts), done_(done), open_(open), cancel_at_(cancel_at) {
    ++*open_;
  }
  ~FakeProgressView() override { --*open_; }
  bool Show(std::string_view text, double done) override {
    texts_->emplace_back(text);
    done_->push_back(done);
    return cancel_at_ < 0 || static_cast<int>(texts_->size()) < cancel_at_;
  }

 private:
  std::vector<std::string>* texts_;
  std::vector<double>* done_;
  int* open_;
  int cancel_at_;
};

class FakeMainView : public MainView {
 public:
  struct Told {
    MessageKind kind;
    std::string text;
  };

  std::string InputText() const override { return input; }
  void SetBusy(bool on) override {
    busy = on;
    log.push_back(on ? "busy" : "idle");
  }
  Rgb Background() const override { return background; }
  void ShowCredits(const CreditsLine& shown) override { credits = shown; }
  bool Confirm(std::string_view question) override {
    questions.emplace_back(question);
    return confirm;
  }
  void Tell(MessageKind kind, std::string_view text) override {
    told.push_back({kind, std::string(text)});
  }
  std::unique_ptr<ProgressView> OpenProgress() override {
    ++progress_windows;
    return std::make_unique<FakeProgressView>(&progress_texts, &progress_done,
                                              &progress_open, cancel_at);
  }
  ResultsView* OpenResults() override { return results.get(); }
  ResultsView* CreateResults() override {
    results = std::make_unique<FakeResultsView>();
    ++results_created;
    return results.get();
  }
  MainGeometry Geometry() const override { return geometry; }
  void CloseAll() override {
    results.reset();
    log.push_back("close");
  }

  std::string input;
  bool busy = false;
  Rgb background{240, 240, 240};
  CreditsLine credits;
  bool confirm = true;
  int cancel_at = -1;  // the progress report that cancels; -1: none
  std::vector<std::string> questions;
  std::vector<Told> told;
  std::vector<std::string> progress_texts;
  std::vector<double> progress_done;  // the bar's share at each text
  int progress_windows = 0;
  int progress_open = 0;
  std::unique_ptr<FakeResultsView> results;
  int results_created = 0;
  MainGeometry geometry{{100, 100, 700, 560}, 500, {0, 0, 1280, 1024}};
  std::vector<std::string> log;
};

}  // namespace venmark

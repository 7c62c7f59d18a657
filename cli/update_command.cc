#include "cli/update_command.h"

#include <csignal>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string_view>

#include "app/texts.h"
#include "app/update_flow.h"
#include "cli/console.h"
#include "cli/input_file.h"
#include "cli/scan_command.h"

namespace venmark {

namespace {

volatile std::sig_atomic_t stop_signal = 0;

void OnStopSignal(int signal_number) { stop_signal = signal_number; }

// Ctrl+C, SIGTERM and SIGHUP cancel the update cleanly instead of leaving
// a half-written file behind, for as long as the object lives; a signal
// the program was started ignoring (nohup) stays ignored.
class StopSignals {
 public:
  StopSignals() {
    stop_signal = 0;
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
      previous_[i] = std::signal(kSignals[i], OnStopSignal);
      if (previous_[i] == SIG_IGN) std::signal(kSignals[i], SIG_IGN);
    }
  }
  ~StopSignals() {
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
      std::signal(kSignals[i], previous_[i]);
    }
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
#ifdef SIGHUP
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
#else
  static constexpr int kSignals[] = {SIGINT, SIGTERM};
#endif
  void (*previous_[std::size(kSignals)])(int);
};

// The update's steps on stderr: on a terminal one line redrawn in place (a
// quarter of a megabyte at a time, not once a packet); elsewhere a line for
// each listing, once it is in.
class ProgressLines {
 public:
  ProgressLines(std::FILE* err, bool terminal)
      : err_(err), terminal_(terminal) {}

  void Show(const UpdateStep& step) {
    // A listing that ended before a byte or a size came (a companion the
    // folder lacks) has nothing to show: its line would say "0 KB in".
    if (step.over && !Arrived(step)) return;
    if (!terminal_) {
      if (last_ && last_->listing != step.listing && Arrived(*last_)) {
        Write(text::StepText(*last_) + "\n");
      }
      last_ = step;
      return;
    }
    const std::int64_t quarter = step.received / (256 * 1024);
    if (last_ && last_->listing == step.listing && quarter == shown_ &&
        last_->total == step.total) {
      return;
    }
    shown_ = quarter;
    last_ = step;
    // Blanks over what a longer line before left.
    std::string line = text::StepText(step);
    const std::size_t length = line.size();
    if (length < drawn_) line.append(drawn_ - length, ' ');
    drawn_ = length;
    Write("\r" + line);
  }

  // Ends the last line.
  void Finish() {
    if (!last_) return;
    if (terminal_) {
      Write("\n");
    } else if (Arrived(*last_)) {
      Write(text::StepText(*last_) + "\n");
    }
  }

 private:
  // Whether anything of the listing came: a byte, or its size.
  static bool Arrived(const UpdateStep& step) {
    return step.received > 0 || step.total >= 0;
  }

  void Write(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), err_);
    std::fflush(err_);
  }

  std::FILE* err_;
  bool terminal_;
  std::optional<UpdateStep> last_;
  std::int64_t shown_ = -1;
  std::size_t drawn_ = 0;
};

}  // namespace

int RunUpdateCommand(const Options& options, std::FILE* err) {
  UpdateRequest request{options.listing_path, std::nullopt, nullptr};
  // --from, else the settings, read once for the line below and the update.
  request.origin = ParseOrigin(options.from);
  const OriginSetting origin = UpdateOrigin(request);
  request.origin = origin.origin;
  for (const SkippedSetting& skipped : origin.skipped) {
    PrintLine(err, text::SkippedSettingText(skipped));
  }
  const bool terminal = IsTerminal(err);
  const StopSignals signals;
  const std::string destination = UpdateDestination(request);
  if (destination.empty()) {
    PrintLine(err, text::UpdateFailed({.kind = UpdateFailure::kNoDataFolder}));
    return kExitUpdateFailed;
  }
  PrintLine(err, text::UpdateStarting(destination, *request.origin));
  ProgressLines lines(err, terminal);
  const UpdateResult result = RunUpdate(request, [&](const UpdateStep& step) {
    lines.Show(step);
    return stop_signal == 0;
  });
  lines.Finish();
  switch (result.status) {
    case UpdateStatus::kUpdated:
      PrintLine(err, text::UpdatedListing(destination, result.records));
      for (const KeptListing& kept : result.kept) {
        PrintLine(err, text::KeptLine(kept));
      }
      for (const UpdateProblem& note : result.notes) {
        PrintLine(err, text::UpdateProblemText(note));
      }
      return kExitOk;
    case UpdateStatus::kCancelled:
      PrintLine(err, std::string(text::kUpdateCancelled));
      return 128 + (stop_signal != 0 ? stop_signal : SIGINT);
    case UpdateStatus::kFailed:
      break;
  }
  PrintLine(err, text::UpdateFailed(result.problem));
  return kExitUpdateFailed;
}

}  // namespace venmark

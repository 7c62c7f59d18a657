#include "app/main_presenter.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "app/arguments.h"
#include "app/listing_age.h"
#include "app/placement.h"
#include "app/search_flow.h"
#include "app/texts.h"
#include "app/update_flow.h"
#include "app/version.h"

namespace venmark {
namespace {

// The relative luminance of an sRGB colour (WCAG 2).
double Luminance(Rgb colour) {
  const auto linear = [](int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(colour.red) + 0.7152 * linear(colour.green) +
         0.0722 * linear(colour.blue);
}

double Contrast(Rgb a, Rgb b) {
  const double x = Luminance(a), y = Luminance(b);
  return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

}  // namespace

GuiStart DecideGuiStart(const std::vector<std::string>& args,
                        bool have_display) {
  const Result<GuiArguments, std::string> parsed = ParseGuiArguments(args);
  if (!parsed) {
    return {GuiStart::Action::kFail,
            "venmark: " + parsed.problem() + "\n" +
                std::string(text::kGuiHelpHint) + "\n",
            ""};
  }
  if (parsed->help)
    return {GuiStart::Action::kPrint, std::string(text::kGuiUsage), ""};
  if (parsed->version) {
    return {GuiStart::Action::kPrint, "venmark " + std::string(kVersion) + "\n",
            ""};
  }
  if (!have_display) {
    return {GuiStart::Action::kFail, std::string(text::kNoDisplay) + "\n", ""};
  }
  return {GuiStart::Action::kRun, "", parsed->listing};
}

Rgb WarningColour(Rgb background) {
  constexpr Rgb kOnLight{0xA3, 0x00, 0x00}, kOnDark{0xFF, 0xB4, 0xA8};
  return Contrast(kOnLight, background) >= Contrast(kOnDark, background)
             ? kOnLight
             : kOnDark;
}

MainPresenter::MainPresenter(MainView* view, Settings settings)
    : view_(view), settings_(std::move(settings)) {}

void MainPresenter::Start() { ShowCredits(); }

void MainPresenter::ShowCredits() {
  const ListingAge age =
      AgeOfListing(settings_.listing, std::chrono::system_clock::now());
  CreditsLine credits{text::Credits(age),
                      text::AgeTooltip(age),
                      age.old ? age.day : std::string(),
                      {}};
  if (!credits.warned.empty()) {
    credits.warning_colour = WarningColour(view_->Background());
  }
  view_->ShowCredits(credits);
}

ResultsView* MainPresenter::TouchResults(std::string_view lines) {
  const MainGeometry main = view_->Geometry();
  if (ResultsView* open = view_->OpenResults()) {
    // Longer lines widen it, its left edge kept while it stays on screen.
    const Pixels frame = open->Frame();
    const int width =
        ResultsWidth(frame.width(), open->FrameWidthFor(lines), main.work_area);
    if (width != frame.width()) {
      open->SetFrameWidth(width);
      const int left =
          std::max(main.work_area.left,
                   std::min(frame.left, main.work_area.right - width));
      if (left != frame.left) open->MoveTo(left, frame.top);
    }
    return open;
  }
  ResultsView* results = view_->CreateResults();
  // Wide enough for its lines where the screen has room, then beside the
  // main window, never over its buttons while there is room.
  const Pixels frame = results->Frame();
  const int width = ResultsWidth(frame.width(), results->FrameWidthFor(lines),
                                 main.work_area);
  if (width != frame.width()) results->SetFrameWidth(width);
  const Pixels row{main.frame.left, main.button_row_top, main.frame.right,
                   main.frame.bottom};
  const Pixels at =
      PlaceResults(main.frame, row, width, frame.height(), main.work_area);
  results->MoveTo(at.left, at.top);
  return results;
}

void MainPresenter::Search() {
  view_->SetBusy(true);
  const SearchOutcome outcome =
      RunSearch(view_->InputText(), settings_.listing, "\n");
  view_->SetBusy(false);
  if (!outcome.error.empty()) {
    view_->Tell(MessageKind::kFailure, outcome.error);
    return;
  }
  ResultsView* results = TouchResults(outcome.lines);
  if (!outcome.lines.empty()) {
    // Whatever the user typed last keeps its own line.
    const std::string before = results->Text();
    const bool apart = !before.empty() && !before.ends_with('\n');
    results->Append(apart ? "\n" + outcome.lines : outcome.lines,
                    apart ? 1 : 0);
  }
  results->ShowAndRaise();
}

void MainPresenter::Update() {
  UpdateRequest request{settings_.listing, settings_.sources,
                        settings_.transport};
  // The origin the question names is the one the update uses: the
  // settings are read once.
  request.origin = UpdateOrigin(request).origin;
  const Origin& origin = *request.origin;
  if (!view_->Confirm(text::ConfirmUpdate(origin))) return;
  UpdateResult result;
  {
    const std::unique_ptr<ProgressView> progress = view_->OpenProgress();
    result = RunUpdate(request, [&](const UpdateStep& step) {
      return progress == nullptr ||
             progress->Show(text::ProgressText(step, origin),
                            text::StepDone(step));
    });
  }
  ShowCredits();
  if (result.status == UpdateStatus::kCancelled) return;
  view_->Tell(result.status == UpdateStatus::kUpdated ? MessageKind::kSuccess
                                                      : MessageKind::kFailure,
              text::UpdateCompletion(result));
}

void MainPresenter::Exit() { view_->CloseAll(); }

KeyAction MainPresenter::OnKey(const KeyPress& key) {
  // Alt, Meta and the like make another key of it.
  if (key.other_modifier) return KeyAction::kNone;
  const bool box = key.target_kind == ControlKind::kTextBox;
  switch (key.key) {
    case KeyCode::kReturn:
      if (key.control && key.window == names::kMainForm &&
          key.target == names::kInput) {
        Search();
        return KeyAction::kDone;
      }
      if (!key.control && key.target_kind == ControlKind::kButton) {
        return KeyAction::kClick;
      }
      return KeyAction::kNone;
    case KeyCode::kTab:
      // A multi-line box would take Tab as text; Ctrl+Tab still types one.
      if (!box || key.control) return KeyAction::kNone;
      return key.shift ? KeyAction::kFocusPrevious : KeyAction::kFocusNext;
    case KeyCode::kA:
      if (!box || !key.control || key.shift) return KeyAction::kNone;
      return KeyAction::kSelectAll;
    case KeyCode::kOther:
      break;
  }
  return KeyAction::kNone;
}

void MainPresenter::OnButton(std::string_view name) {
  // Which button does what.
  static constexpr struct {
    std::string_view name;
    void (MainPresenter::*does)();
  } kButtons[] = {
      {names::kSearch, &MainPresenter::Search},
      {names::kExit, &MainPresenter::Exit},
      {names::kUpdate, &MainPresenter::Update},
  };
  for (const auto& button : kButtons) {
    if (button.name == name) (this->*button.does)();
  }
}

}  // namespace venmark

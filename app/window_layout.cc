#include "app/window_layout.h"

#include <algorithm>
#include <cmath>

#include "app/texts.h"

namespace venmark {
namespace {

// The step by which a layout grows until its captions fit, and how far.
constexpr double kStep = 0.025;
constexpr double kLargest = 8;
// A frame's title line, in twips: it stands above the frame's controls.
constexpr int kFrameTitleHeight = 240;
// A window's frame around its client area, at 96 dpi.
constexpr int kWindowFrameWidth = 16, kWindowFrameHeight = 48;

ControlLayout Control(std::string_view name, ControlKind kind,
                      std::string_view caption, Twips rect) {
  ControlLayout control;
  control.name = std::string(name);
  control.kind = kind;
  control.caption = std::string(caption);
  control.rect = rect;
  return control;
}

FormLayout MakeMainWindow() {
  using enum ControlKind;
  FormLayout window;
  window.name = std::string(names::kMainForm);
  window.caption = std::string(text::kAppTitle);
  window.width = 11685;
  window.height = 7215;
  ControlLayout input =
      Control(names::kInput, kTextBox, "", {240, 600, 11175, 5655});
  // Named by the instruction above it.
  input.accessible_name = std::string(text::kPrompt);
  input.labelled_by = std::string(names::kPrompt);
  ControlLayout update =
      Control(names::kUpdate, kButton, text::kUpdate, {8520, 6480, 1575, 615});
  update.wraps = true;
  window.controls = {
      input,
      Control(names::kSearch, kButton, text::kSearch, {4920, 6480, 1935, 615}),
      Control(names::kPrompt, kLabel, text::kPrompt, {240, 240, 4935, 255}),
      Control(names::kExit, kButton, text::kExit, {10320, 6480, 1095, 615}),
      // Measured with the longest date it may show.
      Control(names::kCredits, kLabel,
              text::Credits({"-", "00.00.0000", false}),
              {120, 6720, 4215, 495}),
      update,
  };
  return window;
}

FormLayout MakeResultsWindow() {
  using enum ControlKind;
  FormLayout window;
  window.name = std::string(names::kResultsForm);
  window.caption = std::string(text::kResultsTitle);
  window.width = 6105;
  window.height = 7515;
  window.resizable = true;
  ControlLayout frame = Control(names::kResultsFrame, kFrame,
                                text::kResultsFrame, {120, 120, 5895, 7215});
  frame.stretches = true;
  ControlLayout box =
      Control(names::kResults, kTextBox, "", {120, 240, 5655, 6855});
  box.parent = std::string(names::kResultsFrame);
  box.accessible_name = std::string(text::kResultsTitle);
  box.stretches = true;
  window.controls = {frame, box};
  return window;
}

FormLayout MakeProgressWindow() {
  using enum ControlKind;
  FormLayout window;
  window.name = std::string(names::kProgressForm);
  window.caption = std::string(text::kProgressTitle);
  window.width = 5700;
  window.height = 1800;
  // Measured with the longest text it may show.
  ControlLayout label = Control(
      names::kProgressText, kLabel,
      text::ProgressText({3, 4, ListingKind::kMaM, std::int64_t{999} << 20,
                          std::int64_t{999} << 20}),
      {180, 180, 5340, 600});
  ControlLayout bar =
      Control(names::kProgressBar, kProgressBar, "", {180, 840, 5340, 270});
  bar.accessible_name = std::string(text::kProgressLabel);
  window.controls = {
      label,
      bar,
      Control(names::kCancel, kButton, text::kCancel, {4200, 1260, 1320, 420}),
  };
  return window;
}

std::vector<std::string_view> Paragraphs(std::string_view text) {
  std::vector<std::string_view> paragraphs;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find('\n', start);
    paragraphs.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return paragraphs;
    start = end + 1;
  }
}

}  // namespace

const ControlLayout& FormLayout::Control(std::string_view wanted) const {
  return *std::find_if(
      controls.begin(), controls.end(),
      [&](const ControlLayout& c) { return c.name == wanted; });
}

const FormLayout& MainFormLayout() {
  static const FormLayout layout = MakeMainWindow();
  return layout;
}

const FormLayout& ResultsFormLayout() {
  static const FormLayout layout = MakeResultsWindow();
  return layout;
}

const FormLayout& ProgressFormLayout() {
  static const FormLayout layout = MakeProgressWindow();
  return layout;
}

Pixels PlaceAnchored(const ControlLayout& control, const Scale& scale,
                     int grow_x, int grow_y) {
  Pixels place = scale.Rect(control.rect);
  if (control.stretches) {
    place.right += grow_x;
    place.bottom += grow_y;
  }
  return place;
}

int Scale::Px(int twips) const {
  return static_cast<int>(std::lround(twips * dpi_ * factor_ / 1440.0));
}

Pixels Scale::Rect(const Twips& t) const {
  return {Px(t.left), Px(t.top), Px(t.left + t.width), Px(t.top + t.height)};
}

std::vector<std::string> WrapAtSpaces(std::string_view text,
                                      const TextMeasure& measure, int width) {
  std::vector<std::string> lines;
  for (const std::string_view paragraph : Paragraphs(text)) {
    std::string line;
    std::size_t at = 0;
    while (at < paragraph.size()) {
      std::size_t next = paragraph.find(' ', at);
      if (next == std::string_view::npos) next = paragraph.size();
      const std::string_view word = paragraph.substr(at, next - at);
      at = next + 1;
      if (word.empty()) continue;
      std::string longer = line;
      if (!longer.empty()) longer += ' ';
      longer += word;
      if (!line.empty() && measure.Width(longer) > width) {
        lines.push_back(std::move(line));
        line = std::string(word);
      } else {
        line = std::move(longer);
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

bool FitsBox(std::string_view text, const TextMeasure& measure, int width,
             int height, bool wrap) {
  std::vector<std::string> lines;
  if (wrap) {
    lines = WrapAtSpaces(text, measure, width);
  } else {
    for (const std::string_view line : Paragraphs(text))
      lines.emplace_back(line);
  }
  if (static_cast<int>(lines.size()) * measure.LineHeight() > height) {
    return false;
  }
  return std::all_of(lines.begin(), lines.end(), [&](const std::string& line) {
    return measure.Width(line) <= width;
  });
}

Pixels CaptionRoom(const ControlLayout& control, const Scale& scale) {
  Pixels room = scale.Rect(control.rect);
  switch (control.kind) {
    case ControlKind::kButton:
      room.right -= kButtonBevelWidth * scale.dpi() / 96;
      room.bottom -= kButtonBevelHeight * scale.dpi() / 96;
      break;
    case ControlKind::kFrame:
      room = {0, 0, scale.Px(control.rect.width - kFrameTitleHeight),
              scale.Px(kFrameTitleHeight)};
      break;
    case ControlKind::kLabel:
    case ControlKind::kTextBox:
    case ControlKind::kProgressBar:
      break;
  }
  return room;
}

bool CaptionsFit(const FormLayout& window, const TextMeasure& measure,
                 const Scale& scale) {
  return std::all_of(window.controls.begin(), window.controls.end(),
                     [&](const ControlLayout& control) {
                       if (control.caption.empty()) return true;
                       const Pixels room = CaptionRoom(control, scale);
                       return FitsBox(control.caption, measure, room.width(),
                                      room.height(), control.wraps);
                     });
}

double FitFactor(const FormLayout& window, const TextMeasure& measure,
                 int dpi) {
  // Drawn for an 8-point font, whose lines are 13 pixels high at 96 dpi.
  double factor = std::max(1.0, measure.LineHeight() * 96.0 / (13.0 * dpi));
  while (factor < kLargest && !CaptionsFit(window, measure, {dpi, factor})) {
    factor += kStep;
  }
  return factor;
}

WindowFit FitWindow(const FormLayout& window, const FontSource& fonts,
                    double desktop_points, int dpi, Pixels screen) {
  const WindowFit wanted{
      FitFactor(window, *fonts.Measure(0, desktop_points), dpi), 0,
      desktop_points};
  const Scale drawn(dpi, 1.0);
  const double width = drawn.Px(window.width) + kWindowFrameWidth * dpi / 96;
  const double height = drawn.Px(window.height) + kWindowFrameHeight * dpi / 96;
  const double room =
      std::min(screen.width() / width, screen.height() / height);
  if (screen.width() <= 0 || screen.height() <= 0 || wanted.factor <= room) {
    return wanted;
  }
  // The largest layout the screen holds, its captions as large as fit,
  // never below 8 points; where even 8 points do not fit, the smallest
  // layout they fit in (a screen at 200 % may be narrower than any).
  for (double factor = room; factor < wanted.factor; factor += kStep) {
    for (int face = 0; face < fonts.faces(); ++face) {
      for (double points = desktop_points; points >= kSmallestPoints;
           points -= 0.5) {
        if (CaptionsFit(window, *fonts.Measure(face, points), {dpi, factor})) {
          return {factor, face, points};
        }
      }
    }
  }
  return wanted;
}

}  // namespace venmark

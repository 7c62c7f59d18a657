#include "win32/layout.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace venmark::win32 {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

}  // namespace

int Layout::Px(int twips) const {
  return static_cast<int>(std::lround(twips * dpi_ * scale_ / 1440.0));
}

RECT Layout::Rect(int left, int top, int width, int height) const {
  // Edges are scaled, not sizes, so that controls drawn flush stay flush.
  return RECT{Px(left), Px(top), Px(left + width), Px(top + height)};
}

int WindowDpi(HWND window) {
  // GetDpiForWindow arrived with Windows 10; Windows 7 has one DPI.
  static const auto get_dpi =
      reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
          GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get_dpi != nullptr && window != nullptr) {
    if (const UINT dpi = get_dpi(window); dpi != 0)
      return static_cast<int>(dpi);
  }
  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

HFONT CreateCaptionFont(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  LOGFONTW font = metrics.lfMessageFont;
  // The metrics are for the system's DPI; the window's may differ.
  const int system_dpi = WindowDpi(nullptr);
  font.lfHeight = MulDiv(font.lfHeight, dpi, system_dpi);
  const int eight_points = -MulDiv(8, dpi, 72);
  if (font.lfHeight > eight_points) font.lfHeight = eight_points;
  return CreateFontIndirectW(&font);
}

HFONT CreateTextBoxFont(HFONT captions) {
  LOGFONTW font{};
  GetObjectW(captions, sizeof font, &font);
  LOGFONTW fixed{};
  fixed.lfHeight = font.lfHeight;
  fixed.lfCharSet = DEFAULT_CHARSET;
  fixed.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
  wcscpy(fixed.lfFaceName, L"Consolas");
  return CreateFontIndirectW(&fixed);
}

std::vector<std::wstring> WrapAtSpaces(HDC dc, const std::wstring& text,
                                       int width) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring paragraph = text.substr(start, end - start);
    std::wstring line;
    std::size_t at = 0;
    while (at < paragraph.size()) {
      std::size_t next = paragraph.find(L' ', at);
      if (next == std::wstring::npos) next = paragraph.size();
      const std::wstring word = paragraph.substr(at, next - at);
      at = next + 1;
      if (word.empty()) continue;
      const std::wstring longer = line.empty() ? word : line + L' ' + word;
      SIZE size{};
      GetTextExtentPoint32W(dc, longer.c_str(), static_cast<int>(longer.size()),
                            &size);
      if (!line.empty() && size.cx > width) {
        lines.push_back(line);
        line = word;
      } else {
        line = longer;
      }
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

bool CaptionFits(HFONT font, const std::wstring& text, int width, int height,
                 bool wrap) {
  const HDC dc = GetDC(nullptr);
  const HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  std::vector<std::wstring> lines;
  if (wrap) {
    lines = WrapAtSpaces(dc, text, width);
  } else {
    for (std::size_t start = 0; start <= text.size();) {
      std::size_t end = text.find(L'\n', start);
      if (end == std::wstring::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
      start = end + 1;
    }
  }
  bool fits = static_cast<int>(lines.size()) * metrics.tmHeight <= height;
  for (const std::wstring& line : lines) {
    SIZE size{};
    GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()),
                          &size);
    if (size.cx > width) fits = false;
  }
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return fits;
}

}  // namespace venmark::win32

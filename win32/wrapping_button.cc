#include "win32/wrapping_button.h"

#include <string>
#include <vector>

#include "app/window_layout.h"
#include "scan/text_codec.h"
#include "win32/controls.h"

namespace venmark::win32 {

void DrawWrappingButton(const DRAWITEMSTRUCT& item, HFONT font, int dpi) {
  RECT box = item.rcItem;
  const bool pushed = (item.itemState & ODS_SELECTED) != 0;
  DrawFrameControl(item.hDC, &box, DFC_BUTTON,
                   DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
  const std::string caption = Utf8FromWide(WindowText(item.hwndItem));
  const GdiMeasure measure(font);
  const int room = box.right - box.left - MulDiv(kButtonBevelWidth, dpi, 96);
  const std::vector<std::string> lines = WrapAtSpaces(caption, measure, room);
  const HGDIOBJ old = SelectObject(item.hDC, font);
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC,
               GetSysColor((item.itemState & ODS_DISABLED) ? COLOR_GRAYTEXT
                                                           : COLOR_BTNTEXT));
  const int height = measure.LineHeight();
  const int shift = pushed ? 1 : 0;
  int y = (box.top + box.bottom - static_cast<int>(lines.size()) * height) / 2 +
          shift;
  for (const std::string& line : lines) {
    const std::wstring wide = WideFromUtf8(line);
    RECT row{box.left + shift, y, box.right + shift, y + height};
    DrawTextW(item.hDC, wide.c_str(), static_cast<int>(wide.size()), &row,
              DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    y += height;
  }
  if (item.itemState & ODS_FOCUS) {
    RECT focus = box;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(item.hDC, &focus);
  }
  SelectObject(item.hDC, old);
}

}  // namespace venmark::win32

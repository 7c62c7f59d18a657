#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "app/main_presenter.h"
#include "win32/results_form.h"

namespace venmark::win32 {

// The main window (Form1) in the Windows API: its controls made from
// MainFormLayout, its events handed to the presenter, which says what to
// show.
class MainWindow : public MainView {
 public:
  MainWindow(HINSTANCE instance, MainPresenter::Settings settings);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;
  HWND hwnd() const { return hwnd_; }

  // Keys of the controls of both windows, before the dialog manager sees
  // them. True when the presenter took the message.
  bool HandleKey(const MSG& message);

  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM w, LPARAM l);

  // MainView.
  std::string InputText() const override;
  void SetBusy(bool busy) override;
  Rgb Background() const override;
  void ShowCredits(const CreditsLine& credits) override;
  bool Confirm(std::string_view question) override;
  void Tell(MessageKind kind, std::string_view text) override;
  std::unique_ptr<ProgressView> OpenProgress() override;
  ResultsView* OpenResults() override;
  ResultsView* CreateResults() override;
  MainGeometry Geometry() const override;
  void CloseAll() override;

  MainPresenter& presenter() { return presenter_; }

 private:
  // Lays the window out for a screen of dpi: fonts, scale and size.
  void LayOut(int dpi);
  HWND Control(std::string_view name) const;

  HINSTANCE instance_;
  HWND hwnd_ = nullptr;
  HFONT captions_ = nullptr;
  HFONT text_font_ = nullptr;
  // The results window's handle alone: the window deletes its object when
  // it is closed, and the handle then names none.
  HWND results_ = nullptr;
  HWND tooltip_ = nullptr;
  std::wstring tip_;
  HCURSOR before_busy_ = nullptr;
  // The credits' colour while they warn.
  std::optional<COLORREF> warning_;
  MainPresenter presenter_;
};

}  // namespace venmark::win32

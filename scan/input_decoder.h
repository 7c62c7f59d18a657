#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "scan/text_codec.h"

// How an input's bytes, whatever encoding a user's file or pipe brings,
// become the UTF-8 text the scanner reads.
namespace venmark {

// The Russian code pages text that is no UTF-8 comes in.
enum class RussianCodePage {
  kWindows1251,  // Notepad's "ANSI" on a Russian Windows
  kCp866,        // the OEM code page: cmd.exe's output on a Russian Windows
};

// The code page bytes (no UTF-8) show: CP866 where its letters' bytes
// outnumber Windows-1251's, else Windows-1251.
RussianCodePage GuessRussianCodePage(std::string_view bytes);

// Reads an input's bytes, handed over in pieces of any size, as UTF-8 text:
// UTF-16 with a byte-order mark decoded, UTF-8 passed on as it is, and from
// the first bytes that are no UTF-8 on, the rest read in the Russian code
// page they show (valid UTF-8 is never read in another code page).
class InputDecoder {
 public:
  // The text of the next bytes: a view of bytes while they are UTF-8,
  // else of *room.
  std::string_view Feed(std::string_view bytes, std::string* room);
  // The text of what is held back at the end, in *room.
  std::string_view Finish(std::string* room);

  // Whether every byte so far was UTF-8 and passed on as it is.
  bool passing_utf8() const { return mode_ == Mode::kUtf8; }

 private:
  enum class Mode { kUnknown, kUtf8, kUtf16, kSingleByte };
  std::string_view Take(std::string_view bytes, bool last, std::string* room);
  void AppendSingleByte(std::string_view bytes, std::string* out) const;

  Mode mode_ = Mode::kUnknown;
  RussianCodePage page_ = RussianCodePage::kWindows1251;
  std::optional<Utf16Decoder> utf16_;
  std::string held_;  // the first byte, or a character cut at the end
};

}  // namespace venmark

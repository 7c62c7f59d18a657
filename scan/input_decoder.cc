#include "scan/input_decoder.h"

#include <cstdint>

namespace venmark {

RussianCodePage GuessRussianCodePage(std::string_view bytes) {
  // Most letters of Russian text are small: in Windows-1251 а to я are
  // 0xE0 to 0xFF, in CP866 а to п are 0xA0 to 0xAF and its capitals 0x80 to
  // 0x9F, where Windows-1251 has only rare signs. 0xE0 to 0xEF is either.
  std::size_t oem = 0, ansi = 0;
  for (const char c : bytes) {
    const auto b = static_cast<std::uint8_t>(c);
    oem += b >= 0x80 && b < 0xB0;
    ansi += (b >= 0xC0 && b < 0xE0) || b >= 0xF0;
  }
  return oem > ansi ? RussianCodePage::kCp866 : RussianCodePage::kWindows1251;
}

std::string_view InputDecoder::Feed(std::string_view bytes, std::string* room) {
  return Take(bytes, false, room);
}

std::string_view InputDecoder::Finish(std::string* room) {
  return Take({}, true, room);
}

std::string_view InputDecoder::Take(std::string_view bytes, bool last,
                                    std::string* room) {
  room->clear();
  if (mode_ == Mode::kUnknown) {
    // A byte-order mark is told by the first two bytes, which may come
    // apart.
    held_.append(bytes);
    if (held_.size() < 2 && !last) return {};
    if (held_.starts_with("\xFF\xFE") || held_.starts_with("\xFE\xFF")) {
      utf16_.emplace(held_[0] == '\xFE');
      mode_ = Mode::kUtf16;
      held_.erase(0, 2);
    } else {
      mode_ = Mode::kUtf8;
    }
    std::string head;
    head.swap(held_);
    std::string_view text = Take(head, last, room);
    if (text.data() != room->data()) {
      // A view of head, which goes: what it says is kept in room.
      std::string copy(text);
      room->swap(copy);
    }
    return *room;
  }
  if (mode_ == Mode::kUtf16) {
    utf16_->Feed(bytes, room);
    if (last) utf16_->Finish(room);
    return *room;
  }
  if (mode_ == Mode::kSingleByte) {
    AppendSingleByte(held_, room);
    held_.clear();
    AppendSingleByte(bytes, room);
    return *room;
  }
  // UTF-8 so far: passed on as it is while it stays UTF-8, a character
  // cut by the end of the bytes held for the next ones.
  std::string_view text = bytes;
  if (!held_.empty()) {
    room->assign(held_);
    room->append(bytes);
    held_.clear();
    text = *room;
  }
  bool cut = false;
  const std::size_t valid = ValidUtf8Prefix(text, &cut);
  if (valid == text.size()) return text;
  if (cut && !last) {
    held_.assign(text.substr(valid));
    if (text.data() != room->data()) return text.substr(0, valid);
    room->resize(valid);
    return *room;
  }
  // Not UTF-8: the rest is read in the Russian code page its bytes show.
  page_ = GuessRussianCodePage(text.substr(valid));
  mode_ = Mode::kSingleByte;
  std::string decoded(text.substr(0, valid));
  AppendSingleByte(text.substr(valid), &decoded);
  room->swap(decoded);
  return *room;
}

void InputDecoder::AppendSingleByte(std::string_view bytes,
                                    std::string* out) const {
  if (page_ == RussianCodePage::kCp866) {
    AppendCp866AsUtf8(bytes, out);
  } else {
    AppendWindows1251AsUtf8(bytes, out);
  }
}

}  // namespace venmark

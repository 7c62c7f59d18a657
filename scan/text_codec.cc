#include "scan/text_codec.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace venmark {
namespace {

// Code points of bytes 0x80-0x9F in Windows-1252; 0 where it defines none.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Code points of bytes 0x80-0xBF in Windows-1251; 0 where it defines none.
// From 0xC0 on, А to я run in order.
constexpr std::array<char16_t, 64> kCyrillicHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0,      0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

constexpr char32_t kReplacement = 0xFFFD;

// Where the run of ASCII bytes from i ends, near enough: names and texts
// are mostly ASCII, taken 32 bytes at a time (one vector test, as the
// compiler makes it), then eight; the bytes after are looked at one by
// one.
std::size_t AsciiRunEnd(std::string_view bytes, std::size_t i) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080u;
  const std::size_t n = bytes.size();
  for (; n - i >= 32; i += 32) {
    std::uint64_t four[4];
    std::memcpy(four, bytes.data() + i, 32);
    if (((four[0] | four[1] | four[2] | four[3]) & kHighBits) != 0) break;
  }
  for (; n - i >= 8; i += 8) {
    std::uint64_t eight = 0;
    std::memcpy(&eight, bytes.data() + i, 8);
    if ((eight & kHighBits) != 0) break;
  }
  while (i < n && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
  return i;
}

}  // namespace

std::size_t ValidUtf8Prefix(std::string_view bytes, bool* cut) {
  std::size_t i = 0;
  const std::size_t n = bytes.size();
  if (cut != nullptr) *cut = false;
  // A letter of two bytes (Cyrillic, Greek…) in a word of them.
  const auto two_bytes = [&](std::size_t at) {
    return at + 1 < n && static_cast<std::uint8_t>(bytes[at]) >= 0xC2 &&
           static_cast<std::uint8_t>(bytes[at]) <= 0xDF &&
           (static_cast<std::uint8_t>(bytes[at + 1]) & 0xC0) == 0x80;
  };
  while (i < n) {
    i = AsciiRunEnd(bytes, i);
    while (two_bytes(i)) i += 2;
    if (i == n) break;
    const auto b0 = static_cast<std::uint8_t>(bytes[i]);
    if (b0 < 0x80) continue;
    std::size_t length;
    char32_t cp;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
      length = 2;
      cp = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
      length = 3;
      cp = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
      length = 4;
      cp = b0 & 0x07;
    } else {
      return i;
    }
    const std::size_t have = std::min(length, n - i);
    for (std::size_t k = 1; k < have; ++k) {
      const auto b = static_cast<std::uint8_t>(bytes[i + k]);
      if ((b & 0xC0) != 0x80) return i;
      cp = (cp << 6) | (b & 0x3F);
    }
    if (have < length) {
      // The bytes end inside a character: the next ones may finish it.
      if (cut != nullptr) *cut = true;
      return i;
    }
    if ((length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000) ||
        (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
      return i;
    }
    i += length;
  }
  return i;
}

bool IsValidUtf8(std::string_view bytes) {
  bool cut = false;
  return ValidUtf8Prefix(bytes, &cut) == bytes.size() && !cut;
}

void AppendWindows1252AsUtf8(std::string_view bytes, std::string* out) {
  for (const char c : bytes) {
    const auto b = static_cast<std::uint8_t>(c);
    if (b < 0x80 || b >= 0xA0) {
      AppendUtf8(b, out);
    } else {
      const char16_t cp = kHighControls[b - 0x80];
      AppendUtf8(cp != 0 ? cp : 0xFFFD, out);
    }
  }
}

void AppendWindows1251AsUtf8(std::string_view bytes, std::string* out) {
  for (const char c : bytes) {
    const auto b = static_cast<std::uint8_t>(c);
    if (b < 0x80) {
      out->push_back(c);
    } else if (b >= 0xC0) {
      AppendUtf8(0x0410 + (b - 0xC0), out);
    } else {
      const char16_t cp = kCyrillicHigh[b - 0x80];
      AppendUtf8(cp != 0 ? cp : 0xFFFD, out);
    }
  }
}

void AppendCp866AsUtf8(std::string_view bytes, std::string* out) {
  // 0xB0 to 0xDF: the box-drawing characters of DOS tables.
  static constexpr char16_t kBoxes[48] = {
      0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
      0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
      0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
      0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
      0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
      0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580};
  static constexpr char16_t kTail[16] = {
      0x0401, 0x0451, 0x0404, 0x0454, 0x0407, 0x0457, 0x040E, 0x045E,
      0x00B0, 0x2219, 0x00B7, 0x221A, 0x2116, 0x00A4, 0x25A0, 0x00A0};
  for (const char c : bytes) {
    const auto b = static_cast<std::uint8_t>(c);
    if (b < 0x80) {
      out->push_back(c);
    } else if (b < 0xB0) {
      AppendUtf8(0x0410 + (b - 0x80), out);  // А to Я, а to п
    } else if (b < 0xE0) {
      AppendUtf8(kBoxes[b - 0xB0], out);
    } else if (b < 0xF0) {
      AppendUtf8(0x0440 + (b - 0xE0), out);  // р to я
    } else {
      AppendUtf8(kTail[b - 0xF0], out);
    }
  }
}

std::u16string Utf16FromUtf8(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto b0 = static_cast<std::uint8_t>(utf8[i]);
    std::size_t length = b0 < 0x80 ? 1 : b0 >= 0xF0 ? 4 : b0 >= 0xE0 ? 3 : 2;
    if (length > utf8.size() - i || !IsValidUtf8(utf8.substr(i, length))) {
      out.push_back(static_cast<char16_t>(kReplacement));
      ++i;
      continue;
    }
    char32_t cp = length == 1 ? b0 : b0 & (0xFF >> (length + 1));
    for (std::size_t k = 1; k < length; ++k) {
      cp = (cp << 6) | (static_cast<std::uint8_t>(utf8[i + k]) & 0x3F);
    }
    if (cp >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += length;
  }
  return out;
}

std::string Utf8FromUtf16(std::u16string_view utf16) {
  std::string out;
  Utf16Decoder decoder(false);
  std::string bytes;
  bytes.reserve(utf16.size() * 2);
  for (const char16_t unit : utf16) {
    bytes.push_back(static_cast<char>(unit & 0xFF));
    bytes.push_back(static_cast<char>(unit >> 8));
  }
  decoder.Feed(bytes, &out);
  decoder.Finish(&out);
  return out;
}

void Utf16Decoder::Feed(std::string_view bytes, std::string* out) {
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (!have_byte_) {
      byte_ = b;
      have_byte_ = true;
      continue;
    }
    have_byte_ = false;
    const auto unit = static_cast<char16_t>(big_endian_ ? (byte_ << 8) | b
                                                        : (b << 8) | byte_);
    if (high_ != 0) {
      if (unit >= 0xDC00 && unit <= 0xDFFF) {
        AppendUtf8(0x10000 + ((char32_t{high_} - 0xD800) << 10) +
                       (char32_t{unit} - 0xDC00),
                   out);
        high_ = 0;
        continue;
      }
      AppendUtf8(kReplacement, out);
      high_ = 0;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      high_ = unit;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      AppendUtf8(kReplacement, out);
    } else {
      AppendUtf8(unit, out);
    }
  }
}

void Utf16Decoder::Finish(std::string* out) {
  if (high_ != 0 || have_byte_) AppendUtf8(kReplacement, out);
  high_ = 0;
  have_byte_ = false;
}

#ifdef _WIN32
static_assert(sizeof(wchar_t) == sizeof(char16_t));

std::wstring WideFromUtf8(std::string_view utf8) {
  const std::u16string utf16 = Utf16FromUtf8(utf8);
  return std::wstring(utf16.begin(), utf16.end());
}

std::string Utf8FromWide(std::wstring_view wide) {
  return Utf8FromUtf16(std::u16string(wide.begin(), wide.end()));
}
#endif

std::string TextFileAsUtf8(std::string_view bytes) {
  std::string text;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    Utf16Decoder utf16(bytes[0] == '\xFE');
    utf16.Feed(bytes.substr(2), &text);
    utf16.Finish(&text);
    return text;
  }
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  AppendWindows1251AsUtf8(bytes, &text);
  return text;
}

}  // namespace venmark

#include "scan/text_codec.h"

#include <gtest/gtest.h>

#include <string>

#include "scan/input_decoder.h"

namespace venmark {
namespace {

TEST(TextCodecTest, AcceptsOnlyWellFormedUtf8) {
  EXPECT_TRUE(IsValidUtf8(""));
  EXPECT_TRUE(IsValidUtf8("ASCII, Кириллица, €, 𝄞"));
  for (const char* bad : {
           "\x80",              // a lone continuation byte
           "\xc3",              // cut short
           "\xc0\xaf",          // overlong '/'
           "\xe0\x80\xaf",      // overlong, three bytes
           "\xed\xa0\x80",      // a surrogate
           "\xf4\x90\x80\x80",  // past U+10FFFF
           "\xfc\x80\x80\x80\x80\x80",
           "M\xfcller",
       }) {
    // Also after and before ASCII, which is read 32 and eight bytes at a
    // time.
    for (const std::string& ascii :
         {std::string(), std::string(7, 'a'), std::string(8, 'a'),
          std::string(31, 'a'), std::string(32, 'a'), std::string(33, 'a'),
          std::string(71, 'a')}) {
      const std::string text = ascii + bad + ascii;
      EXPECT_FALSE(IsValidUtf8(text)) << testing::PrintToString(text);
    }
  }
}

// How much of the bytes is UTF-8, and whether the rest is a character the
// end cuts short (which more bytes may finish) or no UTF-8 at all.
TEST(TextCodecTest, TellsHowMuchIsUtf8) {
  const struct {
    std::string bytes;
    std::size_t valid;
    bool cut;
  } cases[] = {
      {"", 0, false},
      {"abc", 3, false},
      {"ab\xD0\x9C", 4, false},
      {"ab\xD0", 2, true},
      {"12345678\xE2\x82", 8, true},
      {"ab\xD0x", 2, false},
      {"ab\x80", 2, false},
      {"ab\xED\xA0\x80", 2, false},
      // Past the runs of 32 and eight ASCII bytes.
      {"0123456789abcdef0123456789abcdefXYZ\xD0\x9C!", 38, false},
      {"0123456789abcdef0123456789abcdef0123456789\xD0", 42, true},
      {"0123456789abcdef0123456789abcdef0123456789abcdef\x80", 48, false},
      // A byte past ASCII in each eight of a run of 32.
      {"01234567\x80" + std::string(40, 'a'), 8, false},
      {std::string(12, 'a') + "\x80" + std::string(40, 'a'), 12, false},
      {std::string(20, 'a') + "\x80" + std::string(40, 'a'), 20, false},
      {std::string(28, 'a') + "\x80" + std::string(40, 'a'), 28, false},
      // Words of two-byte letters, the highest lead byte among them, and
      // one whose second byte is no continuation though the third is.
      {"\xD0\x9C\xD0\x90\xDF\xBF\xC2\x80 \xD0\xB0", 11, false},
      {"\xD0\x9C\xD0"
       "A\x90",
       2, false},
      {"\xD0\x9C\xD0", 2, true},
  };
  for (const auto& c : cases) {
    bool cut = !c.cut;  // set either way by the call
    EXPECT_EQ(ValidUtf8Prefix(c.bytes, &cut), c.valid) << c.bytes;
    EXPECT_EQ(cut, c.cut) << c.bytes;
    EXPECT_EQ(ValidUtf8Prefix(c.bytes), c.valid) << c.bytes;
  }
}

TEST(TextCodecTest, DecodesWindows1252) {
  std::string out;
  AppendWindows1252AsUtf8("A\x80\x8a\x9f\xa0\xe9\xff\x81", &out);
  EXPECT_EQ(out, "A€Š\u0178\u00a0é\u00ff\uFFFD");
}

// Windows-1251 from 0x80 on, entry by entry, as iconv reads it: the 64
// bytes of their own, then А to я.
TEST(TextCodecTest, DecodesEachWindows1251ByteFrom80) {
  const char* const high =
      "ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏђ‘’“”•–—\uFFFD™љ›њќћџ\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї"
      "°±Ііґµ¶·ё№є»јЅѕї"
      "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмнопрстуфхцчшщъыьэюя";
  std::string bytes;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    bytes.push_back(static_cast<char>(byte));
  }
  std::string out;
  AppendWindows1251AsUtf8(bytes, &out);
  EXPECT_EQ(out, high);
  out.clear();
  AppendWindows1251AsUtf8("MAC-\xE0\xE4\xF0\xE5\xF1", &out);
  EXPECT_EQ(out, "MAC-адрес");
}

// CP866, cmd.exe's code page on a Russian Windows, byte by byte: letters,
// the box drawing of DOS tables, and the signs after я.
TEST(TextCodecTest, DecodesEachCp866ByteFrom80) {
  const char* const high =
      "АБВГДЕЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯабвгдежзийклмноп░▒▓│┤╡╢╖╕╣║╗╝╜╛┐└┴┬├─┼╞╟"
      "╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀рстуфхцчшщъыьэюяЁёЄєЇїЎў°∙·√№¤■\u00A0";
  std::string bytes;
  for (int byte = 0x80; byte <= 0xFF; ++byte) {
    bytes.push_back(static_cast<char>(byte));
  }
  std::string out;
  AppendCp866AsUtf8(bytes, &out);
  EXPECT_EQ(out, high);
}

// What an input is read as: UTF-8 as it is, whatever the pieces; UTF-16
// by its mark; text that is no UTF-8 in the Russian code page its bytes
// show, from the first byte that is no UTF-8 on. Each fed whole, and in
// pieces of every size from one byte.
TEST(TextCodecTest, ReadsAnInputInTheCodePageItShows) {
  const std::string russian =
      "Имя;МАК-адрес;Примечание\r\nпк;001A2B3C4D5E;ёЁ №\n";
  std::string cp1251, cp866, le = "\xFF\xFE";
  cp1251 =
      "\xC8\xEC\xFF;\xCC\xC0\xCA-\xE0\xE4\xF0\xE5\xF1;\xCF\xF0\xE8"
      "\xEC\xE5\xF7\xE0\xED\xE8\xE5\r\n\xEF\xEA;001A2B3C4D5E;\xB8\xA8 \xB9\n";
  cp866 =
      "\x88\xAC\xEF;\x8C\x80\x8A-\xA0\xA4\xE0\xA5\xE1;\x8F\xE0\xA8"
      "\xAC\xA5\xE7\xA0\xAD\xA8\xA5\r\n\xAF\xAA;001A2B3C4D5E;\xF1\xF0 \xFC\n";
  for (const char16_t c : Utf16FromUtf8(russian)) {
    le += static_cast<char>(c & 0xFF);
    le += static_cast<char>(c >> 8);
  }
  const struct {
    std::string bytes;
    std::string text;
  } cases[] = {
      {"", ""},
      {"a", "a"},
      {russian, russian},
      {"\xEF\xBB\xBF" + russian, "\xEF\xBB\xBF" + russian},
      {cp1251, russian},
      {cp866, russian},
      {le, russian},
      // UTF-8 first, then bytes that are none: only those are re-read.
      {"мак 001A2B3C4D5E\n\xCC\xC0\xCA\n", "мак 001A2B3C4D5E\nМАК\n"},
      // A character the end cuts short is no UTF-8 either.
      {"ok \xD0", "ok Р"},
      {"\xE0", "а"},
  };
  for (const auto& c : cases) {
    for (std::size_t piece = 1; piece <= c.bytes.size() + 1; ++piece) {
      InputDecoder decoder;
      std::string room, text;
      for (std::size_t at = 0; at < c.bytes.size(); at += piece) {
        text.append(
            decoder.Feed(std::string_view(c.bytes).substr(at, piece), &room));
      }
      text.append(decoder.Finish(&room));
      ASSERT_EQ(text, c.text) << c.bytes << " in pieces of " << piece;
    }
  }
  EXPECT_EQ(GuessRussianCodePage("\x8C\x80\x8A \xA0\xA4\xE0\xA5\xE1"),
            RussianCodePage::kCp866);
  EXPECT_EQ(GuessRussianCodePage("\xCC\xC0\xCA \xE0\xE4\xF0\xE5\xF1"),
            RussianCodePage::kWindows1251);
  EXPECT_EQ(GuessRussianCodePage(""), RussianCodePage::kWindows1251);
  // 0xE0 to 0xEF is a letter in either: it tips nothing.
  EXPECT_EQ(GuessRussianCodePage("\x80\xE0\xEF"), RussianCodePage::kCp866);
  EXPECT_EQ(GuessRussianCodePage("\xDF\xE0\xEF"),
            RussianCodePage::kWindows1251);
}

// The 32 bytes where Windows-1252 differs from Latin-1, entry by entry
// (a vendor's name with an en dash must not come out with an em dash);
// the five it leaves undefined are U+FFFD.
TEST(TextCodecTest, DecodesEachWindows1252ByteFrom80To9F) {
  const char* const expected[32] = {
      "€",      "\uFFFD", "‚", "ƒ", "„", "…",      "†", "‡",
      "ˆ",      "‰",      "Š", "‹", "Œ", "\uFFFD", "Ž", "\uFFFD",
      "\uFFFD", "‘",      "’", "“", "”", "•",      "–", "—",
      "˜",      "™",      "š", "›", "œ", "\uFFFD", "ž", "Ÿ"};
  for (int byte = 0x80; byte <= 0x9F; ++byte) {
    std::string out;
    AppendWindows1252AsUtf8(std::string(1, static_cast<char>(byte)), &out);
    EXPECT_EQ(out, expected[byte - 0x80]) << std::hex << byte;
  }
}

}  // namespace
}  // namespace venmark

namespace venmark {
namespace {

// What PowerShell writes for "ipconfig /all > file", fed a byte at a time
// and whole, in both byte orders.
TEST(TextCodecTest, DecodesUtf16InPiecesOfAnySize) {
  const std::u16string text = u"Физический адрес: 00-1A-2B-3C-4D-5E 𝄞";
  for (const bool big_endian : {false, true}) {
    std::string bytes;
    for (const char16_t unit : text) {
      const char high = static_cast<char>(unit >> 8);
      const char low = static_cast<char>(unit & 0xFF);
      bytes += big_endian ? std::string{high, low} : std::string{low, high};
    }
    for (const std::size_t piece : {std::size_t{1}, bytes.size()}) {
      Utf16Decoder decoder(big_endian);
      std::string out;
      for (std::size_t at = 0; at < bytes.size(); at += piece) {
        decoder.Feed(std::string_view(bytes).substr(at, piece), &out);
      }
      decoder.Finish(&out);
      EXPECT_EQ(out, "Физический адрес: 00-1A-2B-3C-4D-5E 𝄞") << piece;
    }
  }
  // A lone surrogate and a dangling byte are replaced, not dropped.
  Utf16Decoder decoder(false);
  std::string out;
  decoder.Feed(std::string("\x00\xD8"
                           "A\x00"
                           "\x00\xDC"
                           "B",
                           7),
               &out);
  decoder.Finish(&out);
  EXPECT_EQ(out, "\uFFFDA\uFFFD\uFFFD");
}

}  // namespace
}  // namespace venmark

namespace venmark {
namespace {

// What the Windows programs convert every caption, file name and pasted
// text through.
TEST(TextCodecTest, ConvertsBetweenUtf8AndUtf16BothWays) {
  const std::string text = "Таблица соответствий, €, 𝄞, ASCII";
  const std::u16string utf16 = Utf16FromUtf8(text);
  EXPECT_EQ(utf16, u"Таблица соответствий, €, 𝄞, ASCII");
  EXPECT_EQ(Utf8FromUtf16(utf16), text);
  EXPECT_EQ(Utf16FromUtf8("a\xff"
                          "b\xd0"),
            u"a\uFFFDb\uFFFD");
  EXPECT_EQ(Utf8FromUtf16(u"x\xD800y"), "x\uFFFDy");
}

}  // namespace
}  // namespace venmark

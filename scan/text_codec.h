#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace venmark {

// True when bytes are well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// How many of the first bytes are well-formed UTF-8; *cut (when given) is
// set when what follows is a character the bytes' end cuts short.
std::size_t ValidUtf8Prefix(std::string_view bytes, bool* cut = nullptr);

// Appends bytes, read as CP866, as UTF-8 to *out.
void AppendCp866AsUtf8(std::string_view bytes, std::string* out);

// Appends bytes, read as Windows-1252, to out as UTF-8. Bytes that code page
// leaves undefined become U+FFFD.
void AppendWindows1252AsUtf8(std::string_view bytes, std::string* out);

// Appends bytes, read as Windows-1251 (the "ANSI" code page of a Russian
// Windows), as UTF-8 to *out; the one byte it leaves undefined (0x98) as
// U+FFFD.
void AppendWindows1251AsUtf8(std::string_view bytes, std::string* out);

// A small text file's bytes (a names or settings file) as UTF-8: UTF-16
// with a byte-order mark decoded, UTF-8 as it is (less its mark), anything
// else read as Windows-1251, as Notepad saves "ANSI" on a Russian Windows.
std::string TextFileAsUtf8(std::string_view bytes);

// utf8 as UTF-16; malformed bytes become U+FFFD.
std::u16string Utf16FromUtf8(std::string_view utf8);

// utf16 as UTF-8; unpaired surrogates become U+FFFD.
std::string Utf8FromUtf16(std::u16string_view utf16);

#ifdef _WIN32
// UTF-8, as the program works, to UTF-16, as the W functions take it, and
// back (wchar_t is UTF-16 on Windows).
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
#endif

// Decodes UTF-16 handed over in pieces of any size into UTF-8. Unpaired
// surrogates and a dangling last byte become U+FFFD.
class Utf16Decoder {
 public:
  explicit Utf16Decoder(bool big_endian) : big_endian_(big_endian) {}

  // Appends the text of the next bytes to out.
  void Feed(std::string_view bytes, std::string* out);

  // Ends the text, appending what is left over.
  void Finish(std::string* out);

 private:
  bool big_endian_;
  bool have_byte_ = false;
  unsigned char byte_ = 0;
  char16_t high_ = 0;  // a high surrogate waiting for its low one
};

}  // namespace venmark

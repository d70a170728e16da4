// The ANSI code page of the stand-in: one of the Windows code pages, converted
// by the C library's iconv.
#pragma once

#include <iconv.h>

#include <array>
#include <mutex>
#include <vector>

#include "host/AnsiText.h"

namespace ostrel::posix {

// A Windows code page as the narrow Win32 functions use it: the single-byte
// pages 874 and 1250 to 1258 and the double-byte pages 932, 936, 949 and 950.
// The characters of each page are iconv's (glibc's CP874 ... CP1258, CP932,
// CP936, CP949, CP950). Where the result differs from Windows:
//
// - No best fit. WideCharToMultiByte maps a character the page lacks to a
//   similar one where it has one ("\u0100" to "A" in 1252, "\u0142" to "l");
//   here every UTF-16 code unit the page lacks becomes '?' (so a surrogate pair
//   becomes "??", as on Windows). What iconv itself maps onto a near character
//   stays (glibc's CP932 writes U+00A5 YEN SIGN as 0x5C, as Windows does).
// - Bytes a single-byte page leaves unassigned: Windows maps 0x80 to 0x9F to the
//   C1 control of the same number, and most others to private-use characters
//   (U+F8xx); here each becomes the character of the same number (U+0081 for
//   0x81, U+00AA for 0xAA in 1253), so every byte still converts there and back.
//   This agrees with Windows for 0x80 to 0x9F, the only unassigned bytes of
//   1250, 1251, 1252, 1254 and 1258.
// - Double-byte pages: a byte that starts no character, or a lead byte whose
//   trail byte is missing or invalid, becomes '?' (Windows gives the page's
//   default character, U+30FB in 932, and maps 0x80 and 0xA0 of 932 to U+0080
//   and U+F8F0).
class CodePage final : public host::AnsiCodePage {
 public:
  // Throws std::invalid_argument for a number that is none of the pages above.
  explicit CodePage(unsigned number);
  ~CodePage() override;
  CodePage(const CodePage&) = delete;
  CodePage& operator=(const CodePage&) = delete;

  // The page shared by every user in the process, made on first use.
  static const CodePage& Get(unsigned number);

  unsigned Number() const { return number_; }
  bool DoubleByte() const { return doubleByte_; }

  AnsiString ToAnsi(const String& text) const override;
  String FromAnsi(const AnsiString& bytes) const override;

 private:
  AnsiString ToAnsiDoubleByte(const String& text) const;
  String FromAnsiDoubleByte(const AnsiString& bytes) const;

  unsigned number_;
  bool doubleByte_;
  // Single-byte pages: every byte's character, and back (-1 where the page
  // has no byte for a code unit).
  std::array<char16_t, 256> decode_{};
  std::vector<std::int16_t> encode_;
  // Double-byte pages: iconv's descriptors, which keep state between calls.
  iconv_t toAnsi_ = reinterpret_cast<iconv_t>(-1);
  iconv_t fromAnsi_ = reinterpret_cast<iconv_t>(-1);
  mutable std::mutex mutex_;
};

// Windows-1252, the page of the tests and of a Western European Windows: what
// the stand-in's services use when they are given no page of their own.
inline const host::AnsiCodePage& Windows1252() {
  return CodePage::Get(1252);
}

}  // namespace ostrel::posix

// Windows-1252 as a table of its own, for the readers that must not depend on
// the locale or on iconv: REGEDIT4 files (RegFile.cpp, fuzzed on its own) and
// tests of single services. The stand-in's ANSI code page is CodePage.h's.
#pragma once

#include "host/AnsiText.h"

namespace ostrel::posix {

// Windows-1252 with Windows' own table, the five unassigned bytes (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) mapping to the C1 controls of the same number as
// MultiByteToWideChar maps them. Going the other way, every UTF-16 code unit
// the code page lacks (a surrogate counts as one unit) becomes '?'; unlike
// Windows there is no best-fit mapping ("Ā" gives "?", not "A").
class Cp1252 final : public host::AnsiCodePage {
 public:
  AnsiString ToAnsi(const String& text) const override;
  String FromAnsi(const AnsiString& bytes) const override;

  static char FromUnit(char16_t unit);  // '?' when the code page lacks it
  static char16_t ToUnit(unsigned char byte);
};

}  // namespace ostrel::posix

#include "posix/Cp1252.h"

#include <array>

namespace ostrel::posix {
namespace {

// 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

char16_t Cp1252::ToUnit(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F)
    return kHighControls[byte - 0x80];
  return byte;
}

char Cp1252::FromUnit(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
    return static_cast<char>(unit);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == unit)
      return static_cast<char>(0x80 + i);
  }
  return '?';
}

AnsiString Cp1252::ToAnsi(const String& text) const {
  AnsiString out(text.size(), '\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    out[i] = FromUnit(text[i]);
  return out;
}

String Cp1252::FromAnsi(const AnsiString& bytes) const {
  String out(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out[i] = ToUnit(static_cast<unsigned char>(bytes[i]));
  }
  return out;
}

}  // namespace ostrel::posix

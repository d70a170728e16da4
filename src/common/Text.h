// Small pure helpers on the system's strings, shared by every subsystem.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/String.h"

namespace ostrel {

// Decimal digits of a number, with a leading '-' when negative.
String DecimalText(std::int64_t number);

// The text without leading and trailing spaces (U+0020 only, like VB's Trim).
String TrimSpaces(std::u16string_view text);

// A caption as it reads: the access-key marks dropped ("&Next" reads "Next"),
// "&&" read as one "&".
String WithoutAccessKey(std::u16string_view caption);

// The access key of a caption, upper-cased (the character after a lone "&");
// 0 when it has none.
char16_t AccessKeyOf(std::u16string_view caption);

// Whether two names are equal when the ASCII letters' case is ignored, as
// IDispatch::GetIDsOfNames compares names.
bool SameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b);

// Widens 7-bit ASCII text; other bytes are taken as Latin-1.
String FromAscii(std::string_view text);

// UTF-8 to UTF-16 and back. Invalid UTF-8 sequences and lone surrogates become
// U+FFFD; these conversions never fail.
String Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// UTF-16, little-endian, as the registry's W functions keep string data: the
// units of the bytes (an odd last byte is no whole unit, and is dropped) and the
// bytes of the units.
String FromUtf16Le(std::span<const std::uint8_t> bytes);
std::vector<std::uint8_t> ToUtf16Le(std::u16string_view text);

}  // namespace ostrel

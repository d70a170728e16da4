// The quoted-printable content transfer encoding (RFC 2045 6.7).
#pragma once

#include <string>
#include <string_view>

namespace ostrel::standin::mime {

// The longest encoded line, CRLF not counted (RFC 2045 6.7 rule 5).
inline constexpr std::size_t kQuotedPrintableLineLimit = 76;

// Bytes as quoted-printable text, ready to follow the header of a text part:
// - each CRLF pair is a hard line break, written as CRLF; a CR or LF on its own
//   is data and written "=0D" / "=0A", so decoding gives every byte back;
// - printable ASCII but "=" stands for itself; "=", control characters and every
//   byte from 0x80 up are written "=XX" (upper-case hex);
// - a space or tab that ends a line (or the data) is encoded, so that nothing
//   can strip it;
// - longer lines are split with soft breaks ("=" CRLF) into lines of at most 76
//   characters, never inside an "=XX";
// - data that does not end in CRLF ends in a soft break, so the text still ends
//   in CRLF and decodes without an extra line break.
std::string EncodeQuotedPrintable(std::string_view bytes);

}  // namespace ostrel::standin::mime

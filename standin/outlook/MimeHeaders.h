// Header fields of an Internet message (RFC 5322) with non-ASCII text carried as
// RFC 2047 encoded-words. Every function returns 7-bit text, except that an
// address beyond ASCII is written in UTF-8 (RFC 6532); a header field comes back
// as whole lines, each ending in CRLF and at most 78 characters long where the
// content allows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/String.h"

namespace ostrel::standin::mime {

// The longest header line we write, CRLF not counted (RFC 5322 2.1.1).
inline constexpr std::size_t kHeaderLineLimit = 78;
// The longest encoded-word (RFC 2047 2).
inline constexpr std::size_t kEncodedWordLimit = 75;

// The first second of 1970-01-01 and the last one of 9999-12-31: the span whose
// dates have the four-digit year a Date field carries.
inline constexpr std::int64_t kEarliestDate = 0;
inline constexpr std::int64_t kLatestDate = 253402300799;

// "Thu, 01 Jan 1970 00:00:00 +0000": the date-time of a Date field, in UTC.
// `seconds` must lie in [kEarliestDate, kLatestDate].
std::string FormatDate(std::int64_t seconds);

// Text typed into a single-line field as UTF-8, with every line break (CRLF, a
// lone CR, a lone LF) turned into one space: a header value never gets a line
// break of the user's making, so nothing typed can start a header of its own.
std::string SingleLine(const String& text);

// UTF-8 text as a run of encoded-words ("=?UTF-8?Q?...?=" or "=?UTF-8?B?...?="),
// separated by single spaces, each at most `wordLimit` characters. The Q or B
// form is chosen for the whole text, whichever is shorter; the Q form uses only
// the characters allowed in a phrase, so the words may stand in a display name
// as well as in unstructured text. A character is never split between words.
// Decoding the words and joining them without the spaces gives the text back.
std::string EncodedWords(std::string_view utf8, std::size_t wordLimit = kEncodedWordLimit);

// "Name: value" folded into lines of at most 78 characters, each ending in CRLF.
// Folds go before a space that follows a non-space, so unfolding (removing the
// CRLFs) gives the line back and no line is blank. A stretch without such a
// space stays on one longer line.
std::string FoldHeader(std::string_view name, std::string_view value);

// An unstructured field (Subject). Printable ASCII text that folds within the
// line limit is written as it is; anything else (non-ASCII, control characters,
// leading or trailing spaces, a stretch too long to fold, text that would read
// as an encoded-word) is written as encoded-words.
std::string UnstructuredHeader(std::string_view name, const String& text);

// One entry of a typed recipient line, in UTF-8: a mailbox, or a name that is
// no address.
struct Recipient {
  std::string displayName;  // empty when none was given; for a name alone, the name
  std::string address;      // local@domain, UTF-8 allowed; empty for a name alone
  bool angle = false;       // the address was written in angle brackets
  bool operator==(const Recipient&) const = default;
};

// The entries of a recipient line, taken apart as Outlook does: "," and ";"
// both separate entries, except inside a quoted string or angle brackets (an
// unclosed quote or bracket runs to the end). Each entry is a mailbox when it
// is one ("a@example.com", "Name <a@example.com>", "\"Last, First\"
// <a@example.com>", an address beyond ASCII included) and a name otherwise (a
// whole quoted string unquoted, anything else as typed). Empty entries are
// skipped.
std::vector<Recipient> ParseRecipients(std::string_view utf8);

// An address field (To): every entry of the line on its own, separated by ", ".
// A mailbox keeps its address as typed, in UTF-8 when it goes beyond ASCII
// (RFC 6532); its display name is written as typed when it is plain words,
// quoted when it holds ASCII specials, and as encoded-words (RFC 2047) when it
// holds anything beyond ASCII (or a word too long to fold, or text that would
// read as an encoded-word). A name that is no address is written the same way
// as an empty group ("Bob Smith:;"), so it stays a name of its own without
// taking the addresses around it along. Spaces around the text are not kept; a
// line without entries gives no field at all (an empty string).
std::string AddressHeader(std::string_view name, const String& text);

}  // namespace ostrel::standin::mime

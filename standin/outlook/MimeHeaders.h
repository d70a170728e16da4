// Header fields of an Internet message (RFC 5322) with non-ASCII text carried as
// RFC 2047 encoded-words. Every function returns 7-bit text; a header field comes
// back as whole lines, each ending in CRLF and at most 78 characters long where
// the content allows it.
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

// One recipient of an address list, in UTF-8.
struct Mailbox {
  std::string displayName;  // empty when none was given
  std::string address;      // local@domain, ASCII
  bool angle = false;       // the address was written in angle brackets
  bool operator==(const Mailbox&) const = default;
};

// Recipients typed the way mail programs accept them: "a@example.com",
// "Name <a@example.com>", "\"Last, First\" <a@example.com>", separated by ","
// or ";". Empty entries are skipped. nullopt when the text is not such a list
// (no address, a non-ASCII or malformed address, unbalanced quotes or brackets).
std::optional<std::vector<Mailbox>> ParseAddressList(std::string_view utf8);

// An address field (To). A text that parses as recipients is written as an
// RFC 5322 address list: the addresses unchanged, separated by ", "; display
// names as typed when they are plain words, quoted when they hold ASCII
// specials, as encoded-words when they hold anything beyond ASCII (or a word too
// long to fold, or text that would read as an encoded-word). Any other
// text is written as it is when it is printable ASCII that folds within the line
// limit, and otherwise encoded whole as one display phrase, which mail programs
// show as typed. Spaces around the text are not kept; a text of spaces alone
// gives no field at all (an empty string), as an address field needs an address.
std::string AddressHeader(std::string_view name, const String& text);

}  // namespace ostrel::standin::mime

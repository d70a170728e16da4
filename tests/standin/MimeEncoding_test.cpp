// The draft's header fields and body encoding. Short cases are pinned to the one
// right form; long ones are checked for the limits mail programs rely on (their
// decoding is checked natively by Python's email package, DraftMimeParse_test).
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "common/Text.h"
#include "outlook/MimeHeaders.h"
#include "outlook/QuotedPrintable.h"
#include "support/Checked.h"

namespace ostrel {
namespace {

using standin::mime::AddressHeader;
using standin::mime::EncodeQuotedPrintable;
using standin::mime::Recipient;
using standin::mime::UnstructuredHeader;

String Repeat(std::u16string_view piece, int times) {
  String out;
  for (int i = 0; i < times; ++i)
    out += piece;
  return out;
}

// Text split at CRLF; every line must end in one.
std::vector<std::string> Lines(const std::string& text,
                               test::Where where = test::Where::current()) {
  const test::CalledFrom trace(where);
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("\r\n", start);
    EXPECT_NE(end, std::string::npos) << "no CRLF after " << text.substr(start);
    lines.push_back(text.substr(start, end - start));
    start = end == std::string::npos ? text.size() : end + 2;
  }
  return lines;
}

// Printable 7-bit lines of at most `limit` characters.
void ExpectShortPrintableLines(const std::string& text, std::size_t limit) {
  for (const std::string& line : Lines(text)) {
    EXPECT_LE(line.size(), limit) << line;
    for (const char c : line) {
      EXPECT_TRUE((c >= 0x20 && c <= 0x7E) || c == '\t') << "byte " << int(c) << " in " << line;
    }
  }
}

// The bytes an encoded-word's text stands for ("Q" or "B" scheme).
std::string DecodeWordText(char scheme, const std::string& text) {
  static const std::string kBase64 =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned bits = 0;
  int count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (scheme == 'Q') {
      out += text[i] == '_'   ? ' '
             : text[i] != '=' ? text[i]
                              : static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += text[i] == '=' ? 2 : 0;
    } else if (text[i] != '=') {
      bits = (bits << 6) | static_cast<unsigned>(kBase64.find(text[i]));
      if ((count += 6) >= 8)
        out += static_cast<char>((bits >> (count -= 8)) & 0xFF);
    }
  }
  return out;
}

// A header field: short lines, continuation lines starting with one space,
// encoded-words of at most 75 characters, each carrying whole characters.
void ExpectWellFormedField(const std::string& field) {
  CHECKED(ExpectShortPrintableLines(field, standin::mime::kHeaderLineLimit));
  const std::vector<std::string> lines = Lines(field);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].find_first_not_of(' '), 1u) << lines[i];
  }
  for (std::size_t at = field.find("=?UTF-8?"); at != std::string::npos;
       at = field.find("=?UTF-8?", at)) {
    const std::size_t end = field.find("?=", at + 10);
    ASSERT_NE(end, std::string::npos);
    const std::string word = field.substr(at, end + 2 - at);
    EXPECT_LE(word.size(), standin::mime::kEncodedWordLimit) << word;
    const std::string text = DecodeWordText(word[8], word.substr(10, word.size() - 12));
    EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16(text)), text) << "a character split: " << word;
    at = end;
  }
}

TEST(DraftHeaders, SubjectIsPlainWhenItCanBeAndEncodedOtherwise) {
  struct Case {
    const char* name;
    String typed;
    const char* exact;  // nullptr: too long to write down
  };
  const Case cases[] = {
      {"ascii", u"Invoice 42 for March", "Subject: Invoice 42 for March\r\n"},
      {"equals signs", u"a = b == c", "Subject: a = b == c\r\n"},
      {"accents, mostly ascii: Q", u"Rechnung f\u00fcr Anna",
       "Subject: =?UTF-8?Q?Rechnung_f=C3=BCr_Anna?=\r\n"},
      {"cjk: B", u"\u65e5\u672c\u8a9e", "Subject: =?UTF-8?B?5pel5pys6Kqe?=\r\n"},
      {"emoji surrogate pair", u"\U0001F600", "Subject: =?UTF-8?B?8J+YgA==?=\r\n"},
      {"lone surrogate", u"x\xD800", "Subject: =?UTF-8?B?eO+/vQ==?=\r\n"},
      {"looks like an encoded-word", u"=?x?=", "Subject: =?UTF-8?B?PT94Pz0=?=\r\n"},
      {"spaces around", u" hi ", "Subject: =?UTF-8?Q?_hi_?=\r\n"},
      {"CRLF, CR and LF injection", u"Hi\r\nBcc: v@example.com\rX: 1\nY: 2",
       "Subject: Hi Bcc: v@example.com X: 1 Y: 2\r\n"},
      {"words fold", Repeat(u"payment ", 40) + u"end", nullptr},
      {"a 1,000-character word", Repeat(u"x", 1000), nullptr},
      {"long cjk", Repeat(u"\u6f22\u5b57", 60), nullptr},
      {"many emoji", Repeat(u"\U0001F44B", 50), nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string field = UnstructuredHeader("Subject", c.typed);
    CHECKED(ExpectWellFormedField(field));
    if (c.exact) {
      EXPECT_EQ(field, c.exact);
    }
  }
  const std::string folded = UnstructuredHeader("Subject", Repeat(u"payment ", 40) + u"end");
  EXPECT_GT(Lines(folded).size(), 3u);
  std::string unfolded = folded;
  std::erase(unfolded, '\r');
  std::erase(unfolded, '\n');
  EXPECT_EQ(unfolded, "Subject: " + Utf16ToUtf8(Repeat(u"payment ", 40)) + "end")
      << "folding only adds line breaks";
}

TEST(DraftHeaders, ToWritesEachRecipientOnItsOwn) {
  struct Case {
    const char* name;
    String typed;
    const char* exact;
  };
  const Case cases[] = {
      {"one address", u"anna@example.com", "To: anna@example.com\r\n"},
      {"semicolons become commas", u"Anna Smith <a@example.com>; b@example.org;",
       "To: Anna Smith <a@example.com>, b@example.org\r\n"},
      {"quoted name kept", u"\"Smith, Bob\" <b@example.org>",
       "To: \"Smith, Bob\" <b@example.org>\r\n"},
      {"specials get quoted", u"J. Smith <j@example.org>", "To: \"J. Smith\" <j@example.org>\r\n"},
      {"angle address alone", u" <a@example.com> ", "To: <a@example.com>\r\n"},
      {"accented name, short: B", u"Jos\u00e9 <jose@example.org>",
       "To: =?UTF-8?B?Sm9zw6k=?= <jose@example.org>\r\n"},
      {"quoted accented name: Q", u"\"M\u00fcller, Anna\" <a@example.com>",
       "To: =?UTF-8?Q?M=C3=BCller=2C_Anna?= <a@example.com>\r\n"},
      {"emoji in the name", u"Zo\u00eb \U0001F44B <z@example.com>",
       "To: =?UTF-8?B?Wm/DqyDwn5GL?= <z@example.com>\r\n"},
      // "," and ";" separate entries, as in Outlook; a name that is no address
      // stays a name of its own (an empty group) and takes no address along.
      {"names alone", u"Smith, Bob", "To: Smith:;, Bob:;\r\n"},
      {"names alone, accents", u"M\u00fcller, Anna", "To: =?UTF-8?Q?M=C3=BCller?= :;, Anna:;\r\n"},
      {"a name between addresses", u"ann@example.com; Bob Smith; carol@example.com",
       "To: ann@example.com, Bob Smith:;, carol@example.com\r\n"},
      {"quoted name alone", u"\"Lee, Ann\"", "To: \"Lee, Ann\":;\r\n"},
      // An address beyond ASCII is written in UTF-8 (RFC 6532), the others as
      // they are.
      {"non-ascii address", u"anna@ex\u00e4mple.com", "To: anna@ex\xC3\xA4mple.com\r\n"},
      {"one non-ascii address of two", u"ann@example.com, info@b\u00fccher.example",
       "To: ann@example.com, info@b\xC3\xBC"
       "cher.example\r\n"},
      {"CRLF injection", u"a@example.com\r\nBcc: v@example.com",
       "To: \"a@example.com Bcc: v@example.com\":;\r\n"},
      {"blank: no field", u"   ", ""},
      {"separators alone: no field", u" ;, ", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AddressHeader("To", c.typed), c.exact) << c.name;
  }

  String list;
  for (int i = 0; i < 8; ++i)
    list += u"Recipient " + DecimalText(i) + u" <r" + DecimalText(i) + u"@example.com>;";
  const std::string folded = AddressHeader("To", list);
  CHECKED(ExpectWellFormedField(folded));
  EXPECT_GT(Lines(folded).size(), 2u);
  EXPECT_EQ(folded.find("=?"), std::string::npos);
  CHECKED(ExpectWellFormedField(AddressHeader("To", Repeat(u"x", 1000))));
}

TEST(DraftHeaders, RecipientLinesSplitIntoMailboxesAndNames) {
  auto name = [](const char* text) { return Recipient{text, "", false}; };
  struct Case {
    const char* text;
    std::vector<Recipient> expected;
  };
  const Case cases[] = {
      {"A <a@b.example>, ;<c@d.example>", {{"A", "a@b.example", true}, {"", "c@d.example", true}}},
      {"\"x \\\"y\\\" <z>; w\" <a@b.example>", {{"x \"y\" <z>; w", "a@b.example", true}}},
      {"a@b.example <c@d.example>", {{"a@b.example", "c@d.example", true}}},
      {"J\xC3\xB6rg <j\xC3\xB6rg@b\xC3\xBC"
       "cher.example>",
       {{"J\xC3\xB6rg",
         "j\xC3\xB6rg@b\xC3\xBC"
         "cher.example",
         true}}},
      {"Anna", {name("Anna")}},
      {"a@b.example; Bob Smith, c@d.example",
       {{"", "a@b.example", false}, name("Bob Smith"), {"", "c@d.example", false}}},
      {"\"Lee, Ann\"", {name("Lee, Ann")}},
      {"a@@b.example", {name("a@@b.example")}},
      {"a..b@c.example", {name("a..b@c.example")}},
      {"a@b.example c@d.example", {name("a@b.example c@d.example")}},
      {"Anna <a@b.example, c@d.example", {name("Anna <a@b.example, c@d.example")}},
      {"Anna a@b.example>; c@d.example", {name("Anna a@b.example>"), {"", "c@d.example", false}}},
      {"\"Anna <a@b.example>, c@d.example", {name("\"Anna <a@b.example>, c@d.example")}},
      {"An\"na <a@b.example>", {name("An\"na <a@b.example>")}},
      {"Anna <a@b.example> more", {name("Anna <a@b.example> more")}},
      {", ;", {}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(standin::mime::ParseRecipients(c.text), c.expected) << c.text;
}

// Quoted-printable read back: "=XX" bytes, soft breaks dropped.
std::string DecodeQuotedPrintable(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '=') {
      out += text[i];
    } else if (text.compare(i + 1, 2, "\r\n") == 0) {
      i += 2;
    } else {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    }
  }
  return out;
}

TEST(DraftBody, QuotedPrintableKeepsEveryByteInShortLines) {
  std::string everyByte;
  for (int b = 0; b < 256; ++b)
    everyByte += static_cast<char>(b);
  struct Case {
    const char* name;
    std::string html;
    std::string exact;  // "?": too long to write down
  };
  const Case cases[] = {
      {"empty", "", ""},
      {"no final line break: soft break", "<p>Hi</p>", "<p>Hi</p>=\r\n"},
      {"CRLF kept as hard breaks", "a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
      {"equals signs", "<a href=\"x?a=1\">", "<a href=3D\"x?a=3D1\">=\r\n"},
      {"space and tab before a break", "end \r\nt\t\r\nlast ", "end=20\r\nt=09\r\nlast=20=\r\n"},
      {"lone LF and CR are data", "a\nb\rc", "a=0Ab=0Dc=\r\n"},
      {"accents", "caf\xC3\xA9", "caf=C3=A9=\r\n"},
      {"76 characters fit a line", std::string(76, 'x') + "\r\n", std::string(76, 'x') + "\r\n"},
      {"77 do not", std::string(77, 'x'), std::string(75, 'x') + "=\r\nxx=\r\n"},
      {"a 1,000-character line", std::string(1000, 'y'), "?"},
      {"encoded runs never split", std::string(300, '\xE2'), "?"},
      {"every byte", everyByte, "?"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string encoded = EncodeQuotedPrintable(c.html);
    if (c.exact != "?") {
      EXPECT_EQ(encoded, c.exact);
    }
    CHECKED(ExpectShortPrintableLines(encoded, standin::mime::kQuotedPrintableLineLimit));
    for (const std::string& line : Lines(encoded)) {
      EXPECT_TRUE(line.empty() || (line.back() != ' ' && line.back() != '\t')) << line;
    }
    EXPECT_EQ(DecodeQuotedPrintable(encoded), c.html);
  }
}

TEST(DraftHeaders, DateIsUtcAndHasAFourDigitYear) {
  EXPECT_EQ(standin::mime::FormatDate(0), "Thu, 01 Jan 1970 00:00:00 +0000");
  EXPECT_EQ(standin::mime::FormatDate(951868799), "Tue, 29 Feb 2000 23:59:59 +0000");
  EXPECT_EQ(standin::mime::FormatDate(253402300799), "Fri, 31 Dec 9999 23:59:59 +0000");
  EXPECT_THROW(standin::mime::FormatDate(-1), std::out_of_range);
  EXPECT_THROW(standin::mime::FormatDate(253402300800), std::out_of_range);
}

}  // namespace
}  // namespace ostrel

#include "outlook/MimeHeaders.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <stdexcept>

#include "common/Text.h"

namespace ostrel::standin::mime {
namespace {

// "=?UTF-8?Q?" and "?=" around the encoded text.
constexpr std::size_t kEncodedWordOverhead = 12;

// A display name word longer than this is encoded, so that folding can split it.
constexpr std::size_t kLongestPlainWord = 60;

// The longest address a mail can carry (RFC 5321 4.5.3.1: a path of 256
// characters, less its angle brackets); a longer "address" is taken as a name.
constexpr std::size_t kLongestAddress = 254;

bool IsAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// atext of RFC 5322 3.2.3: what an atom or a dot-atom is made of.
bool IsAtext(unsigned char c) {
  return IsAsciiAlnum(c) || std::string_view("!#$%&'*+-/=?^_`{|}~").find(static_cast<char>(c)) !=
                                std::string_view::npos;
}

// Characters a Q-encoded word may carry as themselves anywhere, a phrase
// included (RFC 2047 5 (3)); the space is written as "_".
bool IsQLiteral(unsigned char c) {
  return IsAsciiAlnum(c) || c == '!' || c == '*' || c == '+' || c == '-' || c == '/';
}

std::size_t QLength(unsigned char c) {
  return IsQLiteral(c) || c == ' ' ? 1 : 3;
}

std::size_t BLength(std::size_t bytes) {
  return (bytes + 2) / 3 * 4;
}

// Length of the UTF-8 sequence that starts with `lead`, at most `left`.
std::size_t SequenceLength(unsigned char lead, std::size_t left) {
  std::size_t length = 1;
  if (lead >= 0xF0)
    length = 4;
  else if (lead >= 0xE0)
    length = 3;
  else if (lead >= 0xC0)
    length = 2;
  return std::min(length, left);
}

constexpr char kHexDigits[] = "0123456789ABCDEF";

std::string QEncode(std::string_view bytes) {
  std::string out;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (IsQLiteral(c)) {
      out += ch;
    } else if (c == ' ') {
      out += '_';
    } else {
      out += '=';
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 0x0F];
    }
  }
  return out;
}

std::string BEncode(std::string_view bytes) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const std::size_t n = std::min<std::size_t>(3, bytes.size() - i);
    std::uint32_t group = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      group <<= 8;
      if (k < n)
        group |= static_cast<unsigned char>(bytes[i + k]);
    }
    for (std::size_t k = 0; k < 4; ++k)
      out += k <= n ? kAlphabet[(group >> (18 - 6 * k)) & 0x3F] : '=';
  }
  return out;
}

std::string_view TrimSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos)
    return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

// Printable ASCII that a reader takes exactly as written: no leading or
// trailing space (parsers drop them) and nothing that looks like an
// encoded-word (readers would decode it).
bool IsPlainText(std::string_view text) {
  for (const char c : text) {
    if (c < 0x20 || c > 0x7E)
      return false;
  }
  return text.find("=?") == std::string_view::npos && TrimSpaces(text).size() == text.size();
}

bool LinesWithin(std::string_view folded, std::size_t limit) {
  std::size_t start = 0;
  while (start < folded.size()) {
    const std::size_t end = folded.find("\r\n", start);
    if (end - start > limit)
      return false;
    start = end + 2;
  }
  return true;
}

// The longest encoded-word that still fits on the field's first line.
std::size_t WordLimitFor(std::string_view name) {
  return std::min(kEncodedWordLimit, kHeaderLineLimit - name.size() - 2);
}

// A dot-atom of RFC 5322 3.2.3 as RFC 6532 widens it: runs of atext and UTF-8
// beyond ASCII, joined by single dots. (The text comes from UTF-16, so its
// bytes beyond ASCII are whole UTF-8 sequences.)
bool IsDotAtom(std::string_view text) {
  if (text.empty() || text.front() == '.' || text.back() == '.' ||
      text.find("..") != std::string_view::npos) {
    return false;
  }
  return std::all_of(text.begin(), text.end(), [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return c == '.' || IsAtext(byte) || byte >= 0x80;
  });
}

bool IsBareAddress(std::string_view text) {
  const std::size_t at = text.find('@');
  if (at == std::string_view::npos || text.find('@', at + 1) != std::string_view::npos ||
      text.size() > kLongestAddress)
    return false;
  return IsDotAtom(text.substr(0, at)) && IsDotAtom(text.substr(at + 1));
}

// The position of the first `target` outside a quoted string, or npos.
std::size_t FindUnquoted(std::string_view text, char target) {
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted && c == '\\') {
      ++i;
    } else if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && c == target) {
      return i;
    }
  }
  return std::string_view::npos;
}

// The display name of a phrase typed before "<address>": a whole quoted string
// unquoted, other text as it is. nullopt for a phrase with stray quotes.
std::optional<std::string> DisplayName(std::string_view phrase) {
  if (phrase.find('"') == std::string_view::npos)
    return std::string(phrase);
  if (phrase.size() < 2 || phrase.front() != '"' || phrase.back() != '"')
    return std::nullopt;
  std::string name;
  for (std::size_t i = 1; i + 1 < phrase.size(); ++i) {
    if (phrase[i] == '\\' && i + 2 < phrase.size()) {
      name += phrase[++i];
    } else if (phrase[i] == '"' || phrase[i] == '\\') {
      return std::nullopt;  // a quote ends the string early, or escapes the closing one
    } else {
      name += phrase[i];
    }
  }
  return name;
}

std::optional<Recipient> ParseMailbox(std::string_view text) {
  const std::size_t open = FindUnquoted(text, '<');
  if (open == std::string_view::npos) {
    if (!IsBareAddress(text))
      return std::nullopt;
    return Recipient{"", std::string(text), false};
  }
  if (text.back() != '>')
    return std::nullopt;
  const std::string_view address = TrimSpaces(text.substr(open + 1, text.size() - open - 2));
  if (!IsBareAddress(address))
    return std::nullopt;
  std::optional<std::string> name = DisplayName(TrimSpaces(text.substr(0, open)));
  if (!name)
    return std::nullopt;
  return Recipient{std::move(*name), std::string(address), true};
}

// Atoms separated by single spaces, each short enough to fold around.
bool IsPlainPhrase(std::string_view name) {
  std::size_t word = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (c == ' ') {
      if (word == 0)
        return false;
      word = 0;
    } else if (!IsAtext(c) || ++word > kLongestPlainWord) {
      return false;
    }
  }
  return word > 0;
}

// Printable ASCII whose words are short enough to fold around.
bool IsQuotablePhrase(std::string_view name) {
  if (!IsPlainText(name))
    return false;
  std::size_t word = 0;
  for (const char c : name) {
    word = c == ' ' ? 0 : word + 1;
    if (word > kLongestPlainWord)
      return false;
  }
  return true;
}

std::string RenderPhrase(std::string_view name, std::size_t wordLimit) {
  if (IsPlainPhrase(name) && name.find("=?") == std::string_view::npos)
    return std::string(name);
  if (IsQuotablePhrase(name)) {
    std::string quoted = "\"";
    for (const char c : name) {
      if (c == '"' || c == '\\')
        quoted += '\\';
      quoted += c;
    }
    return quoted + '"';
  }
  return EncodedWords(name, wordLimit);
}

}  // namespace

std::string FormatDate(std::int64_t seconds) {
  if (seconds < kEarliestDate || seconds > kLatestDate)
    throw std::out_of_range("no four-digit year for " + std::to_string(seconds) + " s");
  using namespace std::chrono;
  const sys_seconds time{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(time);
  const year_month_day date{day};
  const hh_mm_ss<std::chrono::seconds> clock{time - day};
  static constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02u %s %04d %02d:%02d:%02d +0000",
                kDayNames[weekday(day).c_encoding()], static_cast<unsigned>(date.day()),
                kMonthNames[static_cast<unsigned>(date.month()) - 1], static_cast<int>(date.year()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<int>(clock.seconds().count()));
  return text;
}

std::string SingleLine(const String& text) {
  std::string out = Utf16ToUtf8(text);
  std::string line;
  line.reserve(out.size());
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i] == '\r' && i + 1 < out.size() && out[i + 1] == '\n')
      ++i;
    line += out[i] == '\r' || out[i] == '\n' ? ' ' : out[i];
  }
  return line;
}

std::string EncodedWords(std::string_view utf8, std::size_t wordLimit) {
  std::size_t qTotal = 0;
  for (const char c : utf8)
    qTotal += QLength(static_cast<unsigned char>(c));
  const bool useQ = qTotal <= BLength(utf8.size());
  const std::size_t room =
      wordLimit > kEncodedWordOverhead ? wordLimit - kEncodedWordOverhead : std::size_t{1};

  std::string out;
  std::size_t i = 0;
  while (i < utf8.size()) {
    const std::size_t start = i;
    std::size_t qLength = 0;
    while (i < utf8.size()) {
      const std::size_t length =
          SequenceLength(static_cast<unsigned char>(utf8[i]), utf8.size() - i);
      std::size_t cost = 0;
      for (std::size_t k = 0; k < length; ++k)
        cost += QLength(static_cast<unsigned char>(utf8[i + k]));
      const std::size_t grown = useQ ? qLength + cost : BLength(i + length - start);
      // A word holds at least one character, whatever the limit.
      if (grown > room && i > start)
        break;
      qLength += cost;
      i += length;
    }
    const std::string_view chunk = utf8.substr(start, i - start);
    if (!out.empty())
      out += ' ';
    out += useQ ? "=?UTF-8?Q?" + QEncode(chunk) : "=?UTF-8?B?" + BEncode(chunk);
    out += "?=";
  }
  return out;
}

std::string FoldHeader(std::string_view name, std::string_view value) {
  std::string text(name);
  text += ':';
  if (!value.empty()) {
    text += ' ';
    text += value;
  }
  std::string out;
  std::size_t start = 0;
  // The first line keeps "Name: " and at least one character of the value.
  std::size_t earliest = name.size() + 2;
  while (text.size() - start > kHeaderLineLimit) {
    const auto foldable = [&](std::size_t at) {
      return at > earliest && text[at] == ' ' && text[at - 1] != ' ';
    };
    std::size_t fold = std::string::npos;
    for (std::size_t at = start + kHeaderLineLimit; at > start && fold == std::string::npos; --at) {
      if (foldable(at))
        fold = at;
    }
    for (std::size_t at = start + kHeaderLineLimit + 1;
         at < text.size() && fold == std::string::npos; ++at) {
      if (foldable(at))
        fold = at;
    }
    if (fold == std::string::npos)
      break;
    out.append(text, start, fold - start);
    out += "\r\n";
    start = fold;
    earliest = fold + 1;
  }
  out.append(text, start, std::string::npos);
  out += "\r\n";
  return out;
}

std::string UnstructuredHeader(std::string_view name, const String& text) {
  const std::string line = SingleLine(text);
  if (IsPlainText(line)) {
    std::string folded = FoldHeader(name, line);
    if (LinesWithin(folded, kHeaderLineLimit))
      return folded;
  }
  return FoldHeader(name, EncodedWords(line, WordLimitFor(name)));
}

std::vector<Recipient> ParseRecipients(std::string_view utf8) {
  std::vector<std::string_view> entries;
  bool quoted = false;
  bool angle = false;
  std::size_t start = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char c = utf8[i];
    if (quoted) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '<') {
      angle = true;
    } else if (c == '>') {
      angle = false;
    } else if ((c == ',' || c == ';') && !angle) {
      entries.push_back(utf8.substr(start, i - start));
      start = i + 1;
    }
  }
  entries.push_back(utf8.substr(std::min(start, utf8.size())));

  std::vector<Recipient> recipients;
  for (const std::string_view entry : entries) {
    const std::string_view text = TrimSpaces(entry);
    if (text.empty())
      continue;
    if (std::optional<Recipient> mailbox = ParseMailbox(text)) {
      recipients.push_back(std::move(*mailbox));
    } else {
      std::optional<std::string> name = DisplayName(text);
      recipients.push_back(Recipient{name ? std::move(*name) : std::string(text), "", false});
    }
  }
  return recipients;
}

std::string AddressHeader(std::string_view name, const String& text) {
  const std::string full = SingleLine(text);
  const std::vector<Recipient> recipients = ParseRecipients(TrimSpaces(full));
  if (recipients.empty())
    return std::string();
  const std::size_t wordLimit = WordLimitFor(name);
  std::string value;
  for (const Recipient& recipient : recipients) {
    if (!value.empty())
      value += ", ";
    if (recipient.address.empty()) {
      // An empty group: the name stands alone. An encoded-word must not touch
      // the colon, so a space parts them.
      const std::string phrase = RenderPhrase(recipient.displayName, wordLimit);
      value += phrase + (phrase.ends_with("?=") ? " :;" : ":;");
    } else if (recipient.displayName.empty()) {
      value += recipient.angle ? "<" + recipient.address + ">" : recipient.address;
    } else {
      value += RenderPhrase(recipient.displayName, wordLimit) + " <" + recipient.address + ">";
    }
  }
  return FoldHeader(name, value);
}

}  // namespace ostrel::standin::mime

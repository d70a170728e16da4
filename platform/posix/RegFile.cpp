#include "posix/RegFile.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>

#include "common/Text.h"
#include "posix/Cp1252.h"

namespace ostrel::posix {
namespace {

constexpr std::u16string_view kHeader5 = u"Windows Registry Editor Version 5.00";
constexpr std::u16string_view kHeader4 = u"REGEDIT4";
constexpr std::u16string_view kCurrentUser = u"HKEY_CURRENT_USER";
constexpr std::u16string_view kLocalMachine = u"HKEY_LOCAL_MACHINE";

// Where regedit wraps a hex list: lines stay within 80 columns, the trailing
// backslash included.
constexpr std::size_t kHexLineLimit = 80;

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

std::u16string_view TrimBlanks(std::u16string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9')
    return c - u'0';
  if (c >= u'a' && c <= u'f')
    return c - u'a' + 10;
  if (c >= u'A' && c <= u'F')
    return c - u'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && NamesEqual(text.substr(0, prefix.size()), prefix);
}

void AppendUtf16Le(std::vector<std::uint8_t>& out, char16_t unit) {
  out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
  out.push_back(static_cast<std::uint8_t>(unit >> 8));
}

void AppendUtf16Le(std::vector<std::uint8_t>& out, std::u16string_view text) {
  const std::size_t at = out.size();
  out.resize(at + text.size() * 2);
  if constexpr (std::endian::native == std::endian::little) {
    if (!text.empty())
      std::memcpy(out.data() + at, text.data(), text.size() * 2);
  } else {
    for (std::size_t i = 0; i < text.size(); ++i) {
      out[at + 2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
      out[at + 2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
  }
}

String UnitsOf(const std::vector<std::uint8_t>& bytes) {
  String units(bytes.size() / 2, u'\0');
  if constexpr (std::endian::native == std::endian::little) {
    if (!units.empty())
      std::memcpy(units.data(), bytes.data(), units.size() * 2);
  } else {
    for (std::size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
  }
  return units;
}

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// The file's bytes as text. Regedit writes UTF-16LE with a BOM; an ANSI file
// (no BOM) is read in the ANSI code page, as Windows reads it.
bool DecodeText(std::span<const std::uint8_t> bytes, String* text, std::string* problem) {
  if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
    if (bytes.size() % 2 != 0) {
      *problem = "the UTF-16 file ends in half a character";
      return false;
    }
    text->resize((bytes.size() - 2) / 2);
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(text->data(), bytes.data() + 2, text->size() * 2);
    } else {
      for (std::size_t i = 0; i < text->size(); ++i) {
        (*text)[i] = static_cast<char16_t>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8));
      }
    }
    return true;
  }
  if (bytes.size() >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
    *problem = "big-endian UTF-16 is not supported; save the file as UTF-16LE (\"Unicode\")";
    return false;
  }
  if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
    const std::string_view utf8(reinterpret_cast<const char*>(bytes.data()) + 3, bytes.size() - 3);
    *text = Utf8ToUtf16(utf8);
    return true;
  }
  text->resize(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i)
    (*text)[i] = Cp1252::ToUnit(bytes[i]);
  return true;
}

std::vector<std::u16string_view> SplitLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n')
      continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
      ++i;
    start = i + 1;
  }
  if (start < text.size())
    lines.push_back(text.substr(start));
  return lines;
}

// Thrown inside the parser only; ParseRegFile turns it into its result.
struct SyntaxError {
  std::size_t line;
  std::string message;
};

std::string Quoted(std::u16string_view text) {
  return "\"" + Utf16ToUtf8(text) + "\"";
}

class Parser {
 public:
  Parser(const std::vector<std::u16string_view>& lines, RegTree& tree,
         const RegParseOptions& options, RegParseResult& result)
      : lines_(lines), tree_(tree), options_(options), result_(result) {}

  void Run() {
    ReadHeader();
    for (line_ = 1; line_ < lines_.size(); ++line_) {
      const std::u16string_view text = TrimBlanks(lines_[line_]);
      if (text.empty() || text.front() == u';')
        continue;
      if (text.front() == u'[') {
        KeyLine(text);
      } else if (text.front() == u'"' || text.front() == u'@') {
        ValueLine(text);
      } else {
        Fail("expected a [key] line, a \"name\"=value or @=value line, or a ; comment");
      }
    }
  }

 private:
  enum class Section { None, Key, Skipped };

  [[noreturn]] void Fail(std::string message) const {
    throw SyntaxError{line_ + 1, std::move(message)};
  }

  void ReadHeader() {
    line_ = 0;
    const std::u16string_view first = lines_.empty() ? std::u16string_view() : lines_[0];
    const std::u16string_view header = TrimBlanks(first);
    if (header == kHeader5) {
      version4_ = false;
    } else if (header == kHeader4) {
      version4_ = true;
    } else {
      Fail(
          "not a registry file: the first line must be \"Windows Registry Editor Version "
          "5.00\" or \"REGEDIT4\"");
    }
  }

  void KeyLine(std::u16string_view text) {
    if (text.back() != u']')
      Fail("key line has no closing ']'");
    std::u16string_view inner = text.substr(1, text.size() - 2);
    const bool remove = !inner.empty() && inner.front() == u'-';
    if (remove)
      inner.remove_prefix(1);

    String path;
    std::optional<host::RegRoot> root;
    std::size_t depth = 0;
    std::size_t start = 0;
    while (true) {
      const std::size_t end = std::min(inner.find(u'\\', start), inner.size());
      const std::u16string_view part = inner.substr(start, end - start);
      if (part.empty())
        Fail("empty key name in " + Quoted(inner));
      if (part.size() > kMaxKeyNameLength) {
        Fail("key name longer than " + std::to_string(kMaxKeyNameLength) + " characters");
      }
      if (!root) {
        root = RootFromName(part);
        if (!root) {
          Fail("unknown root key " + Quoted(part) +
               "; use HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE");
        }
        path = RootName(*root);
      } else {
        path += u'\\';
        path += part;
        if (++depth > kMaxKeyDepth) {
          Fail("key path deeper than " + std::to_string(kMaxKeyDepth) + " levels");
        }
      }
      if (path.size() > kMaxKeyPathLength) {
        Fail("key path longer than " + std::to_string(kMaxKeyPathLength) + " characters");
      }
      if (end == inner.size())
        break;
      start = end + 1;
    }
    if (std::find(result_.roots.begin(), result_.roots.end(), *root) == result_.roots.end()) {
      result_.roots.push_back(*root);
    }

    section_ = Section::None;
    current_ = nullptr;
    if (options_.root && *root != *options_.root) {
      if (options_.otherRootsAreErrors) {
        Fail("key " + Quoted(path) + " lies outside " + Utf16ToUtf8(RootName(*options_.root)));
      }
      section_ = remove ? Section::None : Section::Skipped;
      return;
    }
    if (remove) {
      if (path == RootName(*root))
        Fail("a root key cannot be deleted");
      tree_.Delete(path);
      return;
    }
    current_ = &tree_.Create(path);
    section_ = Section::Key;
  }

  // A quoted string starting at text[at] (the opening quote); returns the text
  // and moves `at` past the closing quote.
  String QuotedString(std::u16string_view text, std::size_t& at, const char* what) const {
    String out;
    for (std::size_t i = at + 1; i < text.size(); ++i) {
      const char16_t c = text[i];
      if (c == u'"') {
        at = i + 1;
        return out;
      }
      if (c == u'\\') {
        if (i + 1 < text.size() && (text[i + 1] == u'\\' || text[i + 1] == u'"')) {
          out.push_back(text[++i]);
          continue;
        }
        if (i + 1 >= text.size())
          break;
        Fail(std::string("unknown escape \\") + Utf16ToUtf8(text.substr(i + 1, 1)) + " in " + what +
             "; write a backslash as \\\\ and a quote as \\\"");
      }
      out.push_back(c);
    }
    Fail(std::string(what) + " has no closing quote");
  }

  void ValueLine(std::u16string_view text) {
    if (section_ == Section::None)
      Fail("value outside a key: a [key] line must come first");
    String name;
    std::size_t at = 1;
    if (text.front() == u'"') {
      at = 0;
      name = QuotedString(text, at, "value name");
    }
    std::u16string_view rest = TrimBlanks(text.substr(at));
    if (rest.empty() || rest.front() != u'=')
      Fail("expected '=' after the value name");
    rest = TrimBlanks(rest.substr(1));

    if (rest == u"-") {
      if (current_ != nullptr)
        current_->values.erase(name);
      return;
    }
    RegData data = ValueData(rest);
    if (current_ != nullptr)
      current_->values.insert_or_assign(std::move(name), std::move(data));
  }

  RegData ValueData(std::u16string_view rest) {
    RegData data;
    if (!rest.empty() && rest.front() == u'"') {
      std::size_t at = 0;
      const String text = QuotedString(rest, at, "string");
      if (at != rest.size())
        Fail("unexpected text after the closing quote of the string");
      data.type = host::kRegSz;
      AppendUtf16Le(data.bytes, text);
      AppendUtf16Le(data.bytes, u'\0');  // stored with its terminator, as regedit does
      return data;
    }
    if (StartsWithNoCase(rest, u"dword:")) {
      const std::u16string_view digits = rest.substr(6);
      if (digits.empty() || digits.size() > 8)
        Fail("dword value needs 1 to 8 hex digits");
      std::uint32_t number = 0;
      for (char16_t c : digits) {
        const int digit = HexDigit(c);
        if (digit < 0)
          Fail("dword value needs 1 to 8 hex digits");
        number = (number << 4) | static_cast<std::uint32_t>(digit);
      }
      data.type = host::kRegDword;
      for (int shift = 0; shift < 32; shift += 8) {
        data.bytes.push_back(static_cast<std::uint8_t>(number >> shift));
      }
      return data;
    }
    if (StartsWithNoCase(rest, u"hex:")) {
      data.type = host::kRegBinary;
      rest.remove_prefix(4);
    } else if (StartsWithNoCase(rest, u"hex(")) {
      rest.remove_prefix(4);
      const std::size_t close = rest.find(u"):");
      if (close == std::u16string_view::npos || close == 0 || close > 8) {
        Fail("bad value type in hex(...): expected 1 to 8 hex digits and \"):\"");
      }
      std::uint32_t type = 0;
      for (char16_t c : rest.substr(0, close)) {
        const int digit = HexDigit(c);
        if (digit < 0)
          Fail("bad value type in hex(...): expected 1 to 8 hex digits and \"):\"");
        type = (type << 4) | static_cast<std::uint32_t>(digit);
      }
      data.type = type;
      rest.remove_prefix(close + 2);
    } else {
      Fail("unknown value data: expected \"text\", dword:, hex:, hex(type): or -");
    }
    data.bytes = HexList(rest);
    const bool stringType = data.type == host::kRegSz || data.type == host::kRegExpandSz ||
                            data.type == host::kRegMultiSz;
    if (version4_ && stringType) {
      // REGEDIT4 lists the ANSI bytes; the registry keeps UTF-16.
      std::vector<std::uint8_t> wide;
      wide.reserve(data.bytes.size() * 2);
      for (std::uint8_t byte : data.bytes)
        AppendUtf16Le(wide, Cp1252::ToUnit(byte));
      data.bytes = std::move(wide);
    }
    return data;
  }

  // Comma-separated bytes; a line ending in a backslash continues on the next.
  std::vector<std::uint8_t> HexList(std::u16string_view rest) {
    std::vector<std::uint8_t> bytes;
    std::size_t i = 0;
    while (true) {
      while (i < rest.size() && IsBlank(rest[i]))
        ++i;
      if (i == rest.size())
        break;
      if (rest[i] == u'\\') {
        if (TrimBlanks(rest.substr(i + 1)).size() != 0)
          Fail("unexpected '\\' in a hex list");
        if (line_ + 1 >= lines_.size())
          Fail("hex list continues past the end of the file");
        ++line_;
        rest = TrimBlanks(lines_[line_]);
        i = 0;
        continue;
      }
      const int high = HexDigit(rest[i]);
      const int low = i + 1 < rest.size() ? HexDigit(rest[i + 1]) : -1;
      if (high < 0 || low < 0) {
        Fail("bad hex byte " + Quoted(rest.substr(i, 2)) + ": expected two hex digits");
      }
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
      i += 2;
      while (i < rest.size() && IsBlank(rest[i]))
        ++i;
      if (i == rest.size())
        break;
      if (rest[i] != u',')
        Fail("expected ',' between hex bytes");
      ++i;
    }
    return bytes;
  }

  const std::vector<std::u16string_view>& lines_;
  RegTree& tree_;
  const RegParseOptions& options_;
  RegParseResult& result_;
  std::size_t line_ = 0;
  bool version4_ = false;
  Section section_ = Section::None;
  RegKeyNode* current_ = nullptr;
};

// A REG_SZ that regedit can write as "text": UTF-16 ending in exactly one NUL,
// without other NULs, line breaks or unpaired surrogates.
bool WritableAsText(const RegData& data, String* text) {
  if (data.type != host::kRegSz || data.bytes.size() < 2 || data.bytes.size() % 2 != 0) {
    return false;
  }
  String units = UnitsOf(data.bytes);
  if (units.back() != u'\0')
    return false;
  units.pop_back();
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t c = units[i];
    if (c == u'\0' || c == u'\r' || c == u'\n')
      return false;
    if (IsHighSurrogate(c)) {
      if (i + 1 >= units.size() || !IsLowSurrogate(units[i + 1]))
        return false;
      ++i;
    } else if (IsLowSurrogate(c)) {
      return false;
    }
  }
  *text = std::move(units);
  return true;
}

void AppendEscaped(String& out, std::u16string_view text) {
  out += u'"';
  for (char16_t c : text) {
    if (c == u'\\' || c == u'"')
      out += u'\\';
    out += c;
  }
  out += u'"';
}

void AppendHex(String& out, std::uint32_t number, int minDigits) {
  constexpr std::u16string_view kDigits = u"0123456789abcdef";
  String digits;
  do {
    digits.insert(digits.begin(), kDigits[number & 0xF]);
    number >>= 4;
  } while (number != 0);
  while (digits.size() < static_cast<std::size_t>(minDigits))
    digits.insert(digits.begin(), u'0');
  out += digits;
}

void AppendValue(String& out, std::u16string_view name, const RegData& data) {
  String line;
  if (name.empty()) {
    line = u"@";
  } else {
    AppendEscaped(line, name);
  }
  line += u'=';

  String text;
  if (WritableAsText(data, &text)) {
    AppendEscaped(line, text);
    out += line;
    out += u"\r\n";
    return;
  }
  if (data.type == host::kRegDword && data.bytes.size() == 4) {
    line += u"dword:";
    AppendHex(line,
              static_cast<std::uint32_t>(data.bytes[0]) | (data.bytes[1] << 8) |
                  (data.bytes[2] << 16) | (static_cast<std::uint32_t>(data.bytes[3]) << 24),
              8);
    out += line;
    out += u"\r\n";
    return;
  }
  if (data.type == host::kRegBinary) {
    line += u"hex:";
  } else {
    line += u"hex(";
    AppendHex(line, data.type, 1);
    line += u"):";
  }
  out += line;
  std::size_t column = line.size();
  constexpr std::u16string_view kDigits = u"0123456789abcdef";
  for (std::size_t i = 0; i < data.bytes.size(); ++i) {
    const std::size_t width = i + 1 < data.bytes.size() ? 3 : 2;  // "xx," or the last "xx"
    if (column + width + 1 > kHexLineLimit) {
      out += u"\\\r\n  ";
      column = 2;
    }
    const std::uint8_t byte = data.bytes[i];
    const char16_t item[3] = {kDigits[byte >> 4], kDigits[byte & 0xF], u','};
    out.append(item, width);
    column += width;
  }
  out += u"\r\n";
}

}  // namespace

char16_t FoldNonAsciiUnit(char16_t c) {
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
    return static_cast<char16_t>(c - 0x20);
  if (c == 0xFF)
    return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs capital and small letters; the parity of the capital
    // changes at U+0139 and again at U+014A and U+0179.
    if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
      return c;
    const bool oddCapitals = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    const bool small = oddCapitals ? (c % 2 == 0) : (c % 2 == 1);
    return small ? static_cast<char16_t>(c - 1) : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2)
    return static_cast<char16_t>(c - 0x20);
  if (c >= 0x430 && c <= 0x44F)
    return static_cast<char16_t>(c - 0x20);
  if (c >= 0x450 && c <= 0x45F)
    return static_cast<char16_t>(c - 0x50);
  return c;
}

bool NamesEqual(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size())
    return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldNameUnit(a[i]) != FoldNameUnit(b[i]))
      return false;
  }
  return true;
}

bool NameLess::operator()(std::u16string_view a, std::u16string_view b) const {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const char16_t x = FoldNameUnit(a[i]);
    const char16_t y = FoldNameUnit(b[i]);
    if (x != y)
      return x < y;
  }
  return a.size() < b.size();
}

RegKeyNode::RegKeyNode(const RegKeyNode& other) : values(other.values) {
  for (const auto& [name, child] : other.subkeys) {
    subkeys.emplace_hint(subkeys.end(), name, std::make_unique<RegKeyNode>(*child));
  }
}

RegKeyNode& RegKeyNode::operator=(const RegKeyNode& other) {
  if (this != &other)
    *this = RegKeyNode(other);
  return *this;
}

bool operator==(const RegKeyNode& a, const RegKeyNode& b) {
  if (a.values != b.values || a.subkeys.size() != b.subkeys.size())
    return false;
  for (auto x = a.subkeys.begin(), y = b.subkeys.begin(); x != a.subkeys.end(); ++x, ++y) {
    if (x->first != y->first || !(*x->second == *y->second))
      return false;
  }
  return true;
}

namespace {

// Calls step(name, last) for each name of a path; stops when step returns false.
template <typename Step>
void ForEachName(std::u16string_view path, Step step) {
  std::size_t start = 0;
  while (true) {
    const std::size_t end = std::min(path.find(u'\\', start), path.size());
    if (!step(path.substr(start, end - start), end == path.size()) || end == path.size())
      return;
    start = end + 1;
  }
}

void WalkBelow(const RegKeyNode& key, String& path, std::size_t depth,
               const RegTree::Visitor& visit) {
  visit(path, key, depth);
  for (const auto& [name, child] : key.subkeys) {
    const std::size_t length = path.size();
    path += u'\\';
    path += name;
    WalkBelow(*child, path, depth + 1, visit);
    path.resize(length);
  }
}

}  // namespace

const RegKeyNode* RegTree::Find(std::u16string_view path) const {
  const RegKeyNode* key = &top_;
  ForEachName(path, [&](std::u16string_view name, bool) {
    const auto found = key->subkeys.find(name);
    key = found == key->subkeys.end() ? nullptr : found->second.get();
    return key != nullptr;
  });
  return key;
}

RegKeyNode* RegTree::Find(std::u16string_view path) {
  return const_cast<RegKeyNode*>(std::as_const(*this).Find(path));
}

RegKeyNode& RegTree::Create(std::u16string_view path, bool* created) {
  if (created != nullptr)
    *created = false;
  RegKeyNode* key = &top_;
  ForEachName(path, [&](std::u16string_view name, bool) {
    auto found = key->subkeys.find(name);
    if (found == key->subkeys.end()) {
      found = key->subkeys.emplace(String(name), std::make_unique<RegKeyNode>()).first;
      if (created != nullptr)
        *created = true;
    }
    key = found->second.get();
    return true;
  });
  return *key;
}

bool RegTree::Delete(std::u16string_view path) {
  RegKeyNode* parent = &top_;
  bool removed = false;
  ForEachName(path, [&](std::u16string_view name, bool last) {
    const auto found = parent->subkeys.find(name);
    if (found == parent->subkeys.end())
      return false;
    if (last) {
      parent->subkeys.erase(found);
      removed = true;
      return false;
    }
    parent = found->second.get();
    return true;
  });
  return removed;
}

void RegTree::Walk(const Visitor& visit) const {
  for (const auto& [name, root] : top_.subkeys) {
    String path = name;
    WalkBelow(*root, path, 0, visit);
  }
}

bool RegTree::Walk(std::u16string_view path, const Visitor& visit) const {
  // The path as the keys spell it.
  String spelled;
  const RegKeyNode* key = &top_;
  ForEachName(path, [&](std::u16string_view name, bool) {
    const auto found = key->subkeys.find(name);
    key = found == key->subkeys.end() ? nullptr : found->second.get();
    if (key == nullptr)
      return false;
    if (!spelled.empty())
      spelled += u'\\';
    spelled += found->first;
    return true;
  });
  if (key == nullptr || key == &top_)
    return false;
  WalkBelow(*key, spelled, 0, visit);
  return true;
}

std::u16string_view RootName(host::RegRoot root) {
  return root == host::RegRoot::LocalMachine ? kLocalMachine : kCurrentUser;
}

std::optional<host::RegRoot> RootFromName(std::u16string_view name) {
  if (NamesEqual(name, kCurrentUser) || NamesEqual(name, u"HKCU")) {
    return host::RegRoot::CurrentUser;
  }
  if (NamesEqual(name, kLocalMachine) || NamesEqual(name, u"HKLM")) {
    return host::RegRoot::LocalMachine;
  }
  return std::nullopt;
}

std::string RegParseResult::Describe() const {
  return "line " + std::to_string(line) + ": " + message;
}

RegParseResult ParseRegFile(std::span<const std::uint8_t> bytes, RegTree& tree,
                            const RegParseOptions& options) {
  RegParseResult result;
  String text;
  std::string problem;
  if (!DecodeText(bytes, &text, &problem)) {
    result.line = 1;
    result.message = problem;
    return result;
  }
  const std::vector<std::u16string_view> lines = SplitLines(text);
  const bool fresh = tree.empty();
  try {
    if (fresh) {
      Parser(lines, tree, options, result).Run();
    } else {
      // Check the whole file on a tree of its own first, so that an error leaves
      // the tree as it was. What the file does depends on the file alone, so the
      // second run cannot fail.
      RegTree scratch;
      Parser(lines, scratch, options, result).Run();
      result.roots.clear();
      Parser(lines, tree, options, result).Run();
    }
  } catch (const SyntaxError& error) {
    if (fresh)
      tree = RegTree();
    result.roots.clear();
    result.line = static_cast<int>(error.line);
    result.message = error.message;
    return result;
  }
  result.ok = true;
  return result;
}

namespace {

String FormatKeys(const std::function<void(const RegTree::Visitor&)>& walk) {
  String out(kHeader5);
  out += u"\r\n";
  walk([&](std::u16string_view path, const RegKeyNode& key, std::size_t) {
    out += u"\r\n[";
    out += path;
    out += u"]\r\n";
    for (const auto& [name, data] : key.values)
      AppendValue(out, name, data);
  });
  out += u"\r\n";
  return out;
}

}  // namespace

String FormatRegText(const RegTree& tree) {
  return FormatKeys([&](const RegTree::Visitor& visit) { tree.Walk(visit); });
}

String FormatRegText(const RegTree& tree, std::u16string_view key) {
  return FormatKeys([&](const RegTree::Visitor& visit) { tree.Walk(key, visit); });
}

std::vector<std::uint8_t> EncodeUtf16Le(std::u16string_view text) {
  std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
  AppendUtf16Le(bytes, text);
  return bytes;
}

std::vector<std::uint8_t> WriteRegFile(const RegTree& tree) {
  return EncodeUtf16Le(FormatRegText(tree));
}

std::vector<std::uint8_t> WriteRegFile(const RegTree& tree, std::u16string_view key) {
  return EncodeUtf16Le(FormatRegText(tree, key));
}

}  // namespace ostrel::posix

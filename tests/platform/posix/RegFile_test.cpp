#include "posix/RegFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Text.h"

namespace ostrel::posix {
namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> Utf16(std::u16string_view units) {
  std::vector<std::uint8_t> bytes;
  for (char16_t c : units) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

RegData Data(std::uint32_t type, std::vector<std::uint8_t> bytes) {
  return {type, bytes};
}
// REG_SZ as regedit stores "text": UTF-16LE with its terminating NUL.
RegData Sz(std::u16string_view text) {
  return Data(host::kRegSz, Utf16(String(text) + u'\0'));
}
RegData Dword(std::uint32_t n) {
  return Data(host::kRegDword,
              {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
               static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 24)});
}

struct Entry {
  std::u16string_view key;
  std::u16string_view name;  // with no data: only the key
  std::optional<RegData> data;
};

RegTree TreeOf(const std::vector<Entry>& entries) {
  RegTree tree;
  for (const Entry& entry : entries) {
    RegKeyNode& node = tree.Create(entry.key);
    if (entry.data)
      node.values[String(entry.name)] = *entry.data;
  }
  return tree;
}

std::string Dump(const RegTree& tree) {
  return Utf16ToUtf8(FormatRegText(tree));
}

constexpr std::u16string_view kCu = u"HKEY_CURRENT_USER";
constexpr std::u16string_view kApp = u"HKEY_CURRENT_USER\\Software\\App";

struct Accepted {
  const char* label;
  std::string file;  // Windows-1252 text, no BOM
  std::vector<Entry> expected;
};

TEST(RegFileParse, AcceptsRegeditSyntax) {
  const std::string head =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\App]\r\n";
  const std::vector<Accepted> cases = {
      {"header only", "Windows Registry Editor Version 5.00\r\n", {}},
      {"key with its parents",
       head,
       {{kCu, u"", {}}, {u"HKEY_CURRENT_USER\\Software", u"", {}}, {kApp, u"", {}}}},
      {"string with escapes",
       head + "\"a\\\"b\"=\"x\\\\y \\\"z\\\"\"\r\n",
       {{kApp, u"a\"b", Sz(u"x\\y \"z\"")}}},
      {"empty string and default value",
       head + "\"e\"=\"\"\r\n@=\"dflt\"\r\n",
       {{kApp, u"e", Sz(u"")}, {kApp, u"", Sz(u"dflt")}}},
      {"dwords, short and full, any case",
       head + "\"one\"=dword:1\r\n\"all\"=DWORD:FFFFFFFF\r\n\"mid\"=dword:0001e240\r\n",
       {{kApp, u"one", Dword(1)},
        {kApp, u"all", Dword(0xFFFFFFFF)},
        {kApp, u"mid", Dword(123456)}}},
      {"hex types and an empty list",
       head + "\"b\"=hex:00,ff,7F\r\n\"q\"=hex(b):01,00,00,00,00,00,00,80\r\n\"n\"=hex(0):\r\n" +
           "\"odd\"=hex(12345678):aa\r\n",
       {{kApp, u"b", Data(host::kRegBinary, {0x00, 0xFF, 0x7F})},
        {kApp, u"q", Data(host::kRegQword, {1, 0, 0, 0, 0, 0, 0, 0x80})},
        {kApp, u"n", Data(host::kRegNone, {})},
        {kApp, u"odd", Data(0x12345678, {0xAA})}}},
      {"version 5 string types in hex are UTF-16 already",
       head + "\"m\"=hex(7):61,00,00,00,00,00\r\n\"x\"=hex(2):25,00,00,00\r\n",
       {{kApp, u"m", Data(host::kRegMultiSz, {0x61, 0, 0, 0, 0, 0})},
        {kApp, u"x", Data(host::kRegExpandSz, {0x25, 0, 0, 0})}}},
      {"continued hex lists, blanks and comments",
       head + "; comment\r\n\r\n  \"c\" = hex:01,02,\\\r\n    03,\\\r\n  04\r\n\t@ = dword:2\r\n",
       {{kApp, u"c", Data(host::kRegBinary, {1, 2, 3, 4})}, {kApp, u"", Dword(2)}}},
      {"REGEDIT4 text and string hex are ANSI",
       "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\App]\n\"t\"=\"Z\xFCrich \x80\"\n"
       "\"x\"=hex(2):41,e9,00\n\"bin\"=hex:e9\n",
       {{kApp, u"t", Sz(u"Z\u00FCrich \u20AC")},
        {kApp, u"x", Data(host::kRegExpandSz, {0x41, 0, 0xE9, 0, 0, 0})},
        {kApp, u"bin", Data(host::kRegBinary, {0xE9})}}},
      {"later lines replace and delete",
       head + "\"v\"=\"old\"\r\n\"gone\"=\"x\"\r\n\"V\"=\"new\"\r\n\"GONE\"=-\r\n",
       {{kApp, u"v", Sz(u"new")}}},
      {"deleting a key takes its subkeys but not a sibling sharing a prefix",
       head + "[HKCU\\Software\\App\\B\\Deep]\r\n[HKCU\\Software\\App\\BC]\r\n\"k\"=dword:0\r\n" +
           "[-HKEY_CURRENT_USER\\Software\\App\\b]\r\n",
       {{kApp, u"", {}}, {u"HKEY_CURRENT_USER\\Software\\App\\BC", u"k", Dword(0)}}},
      {"roots abbreviated, names merged without case, first spelling kept",
       "Windows Registry Editor Version 5.00\n[hkcu\\Software\\App]\n\"N\"=dword:1\n"
       "[HKEY_current_user\\SOFTWARE\\app\\Sub]\n[hklm\\Soft]\n",
       {{kApp, u"N", Dword(1)},
        {u"HKEY_CURRENT_USER\\Software\\App\\Sub", u"", {}},
        {u"HKEY_LOCAL_MACHINE\\Soft", u"", {}}}},
      {"']' inside a key name",
       head + "[HKCU\\Software\\App\\a]b]\r\n",
       {{u"HKEY_CURRENT_USER\\Software\\App\\a]b", u"", {}}}},
  };
  // The limits themselves: 512 levels below the root, a name of 255 characters.
  std::string deepest = "Windows Registry Editor Version 5.00\n[HKCU";
  for (int level = 1; level < 512; ++level)
    deepest += "\\k";
  deepest += "\\" + std::string(255, 'n') + "]\n";
  RegTree deep;
  ASSERT_TRUE(ParseRegFile(Bytes(deepest), deep).ok);
  String deepPath = u"HKEY_CURRENT_USER";
  for (int level = 1; level < 512; ++level)
    deepPath += u"\\k";
  EXPECT_NE(deep.Find(deepPath + u"\\" + String(255, u'N')), nullptr);

  for (const Accepted& c : cases) {
    SCOPED_TRACE(c.label);
    RegTree tree;
    const RegParseResult result = ParseRegFile(Bytes(c.file), tree);
    ASSERT_TRUE(result.ok) << result.Describe();
    const RegTree expected = TreeOf(c.expected);
    EXPECT_EQ(tree, expected) << Dump(tree) << "\nexpected\n" << Dump(expected);
  }
}

std::string Repeat(const std::string& part, int times) {
  std::string text;
  for (int i = 0; i < times; ++i)
    text += part;
  return text;
}

struct Refused {
  const char* label;
  std::vector<std::uint8_t> file;
  int line;
  const char* words;  // part of the message
};

TEST(RegFileParse, RefusesBrokenFilesWholeWithTheLine) {
  const std::string head =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\New]\r\n"
      "\"stored\"=\"before the error\"\r\n";  // lines 1-4
  const std::vector<Refused> cases = {
      {"empty file", {}, 1, "first line"},
      {"other header", Bytes("Windows Registry Editor Version 4.00\r\n"), 1, "first line"},
      {"big-endian UTF-16", {0xFE, 0xFF, 0, 'W'}, 1, "big-endian"},
      {"half a UTF-16 unit", {0xFF, 0xFE, 'R', 0, 'E'}, 1, "half"},
      {"dword too long", Bytes(head + "\"n\"=dword:123456789\r\n"), 5, "dword value needs"},
      {"dword not hex", Bytes(head + "\"a\"=dword:1\r\n\"n\"=dword:12x4\r\n"), 6, "dword"},
      {"string without end", Bytes(head + "\"s\"=\"abc\r\n"), 5, "no closing quote"},
      {"name without end", Bytes(head + "\"s=\"abc\"\r\n"), 5, "expected '='"},
      {"unknown escape", Bytes(head + "\"p\"=\"C:\\Temp\"\r\n"), 5, "unknown escape \\T"},
      {"text after string", Bytes(head + "\"s\"=\"a\" x\r\n"), 5, "after the closing quote"},
      {"no data kind", Bytes(head + "\"s\"=text\r\n"), 5, "unknown value data"},
      {"value before any key", Bytes("Windows Registry Editor Version 5.00\r\n\"a\"=\"b\"\r\n"), 2,
       "outside a key"},
      {"value after deleted key", Bytes(head + "[-HKCU\\Software\\New]\r\n@=\"x\"\r\n"), 6,
       "outside a key"},
      {"unknown root", Bytes(head + "[HKEY_CLASSES_ROOT\\x]\r\n"), 5, "unknown root key"},
      {"empty name in key", Bytes(head + "[HKCU\\a\\\\b]\r\n"), 5, "empty key name"},
      {"root deleted", Bytes(head + "[-HKEY_CURRENT_USER]\r\n"), 5, "root key"},
      {"key not closed", Bytes(head + "[HKCU\\a\r\n"), 5, "no closing ']'"},
      {"stray line", Bytes(head + "stray\r\n"), 5, "expected a [key] line"},
      {"bad hex byte", Bytes(head + "\"h\"=hex:00,0g\r\n"), 5, "bad hex byte"},
      {"one-digit hex byte", Bytes(head + "\"h\"=hex:0,01\r\n"), 5, "bad hex byte"},
      {"hex bytes without comma", Bytes(head + "\"h\"=hex:00 01\r\n"), 5, "expected ','"},
      {"bad hex type", Bytes(head + "\"h\"=hex(zz):00\r\n"), 5, "bad value type"},
      {"error on a continuation line", Bytes(head + "\"h\"=hex:00,\\\r\n  01,\\\r\n  0x\r\n"), 7,
       "bad hex byte"},
      {"continuation past the end", Bytes(head + "\"h\"=hex:00,\\"), 5, "past the end"},
      {"key name too long", Bytes(head + "[HKCU\\" + std::string(256, 'k') + "]\r\n"), 5,
       "longer than 255 characters"},
      {"key too deep", Bytes(head + "[HKCU" + Repeat("\\k", 513) + "]\r\n"), 5,
       "deeper than 512 levels"},
      {"key path too long", Bytes(head + "[HKCU" + Repeat("\\" + std::string(200, 'k'), 200) + "]"),
       5, "longer than 32767 characters"},
      {"REGEDIT4 error after UTF-16", Utf16(u"\xFEFFREGEDIT4\r\n[HKCU\\X]\r\n\"d\"=dword:\r\n"), 3,
       "dword"},
  };
  for (const Refused& c : cases) {
    SCOPED_TRACE(c.label);
    RegTree tree;
    tree.Create(u"HKEY_CURRENT_USER\\Old").values[u"keep"] = Sz(u"me");
    const RegTree before = tree;
    const RegParseResult result = ParseRegFile(c.file, tree);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.line, c.line) << result.Describe();
    EXPECT_NE(result.message.find(c.words), std::string::npos) << result.message;
    EXPECT_EQ(result.Describe(), "line " + std::to_string(c.line) + ": " + result.message);
    EXPECT_EQ(tree, before) << "a refused file changed the tree";
  }
}

TEST(RegFileParse, HiveOfOneRootRefusesOrPassesOverOtherRoots) {
  const auto file = Bytes(
      "Windows Registry Editor Version 5.00\n[HKCU\\A]\n\"a\"=dword:1\n"
      "[HKLM\\B]\n\"b\"=dword:2\n[HKCU\\C]\n");
  RegTree hive;
  const RegParseResult refused = ParseRegFile(file, hive, {host::RegRoot::CurrentUser, true});
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.line, 4);

  const RegParseResult applied = ParseRegFile(file, hive, {host::RegRoot::CurrentUser, false});
  ASSERT_TRUE(applied.ok) << applied.Describe();
  EXPECT_EQ(hive, TreeOf({{u"HKEY_CURRENT_USER\\A", u"a", Dword(1)},
                          {u"HKEY_CURRENT_USER\\C", u"", {}}}));
  EXPECT_EQ(applied.roots,
            (std::vector<host::RegRoot>{host::RegRoot::CurrentUser, host::RegRoot::LocalMachine}));
}

TEST(RegFileParse, ReadsTheThreeEncodingsAlike) {
  const std::u16string_view text =
      u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Z\u00FCrich]\r\n"
      u"\"Stra\u00DFe\"=\"\u20AC 5 \u00E0 la carte\"\r\n";
  std::vector<std::uint8_t> utf16 = Utf16(text);
  utf16.insert(utf16.begin(), {0xFF, 0xFE});
  std::vector<std::uint8_t> utf8 = Bytes("\xEF\xBB\xBF" + Utf16ToUtf8(text));
  const std::vector<std::uint8_t> ansi = Bytes(
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Z\xFCrich]\r\n"
      "\"Stra\xDF"
      "e\"=\"\x80 5 \xE0 la carte\"\r\n");
  const RegTree expected = TreeOf(
      {{u"HKEY_CURRENT_USER\\Z\u00FCrich", u"Stra\u00DFe", Sz(u"\u20AC 5 \u00E0 la carte")}});
  for (const auto& [label, bytes] :
       {std::pair{"UTF-16LE", utf16}, std::pair{"UTF-8", utf8}, std::pair{"Windows-1252", ansi}}) {
    SCOPED_TRACE(label);
    RegTree tree;
    const RegParseResult result = ParseRegFile(bytes, tree);
    ASSERT_TRUE(result.ok) << result.Describe();
    EXPECT_EQ(tree, expected) << Dump(tree);
  }
}

TEST(RegFileWrite, RoundTripsOddDataAndWritesLikeRegedit) {
  std::vector<std::uint8_t> everyByte;
  for (int i = 0; i < 256; ++i)
    everyByte.push_back(static_cast<std::uint8_t>(i));
  const std::u16string_view key = u"HKEY_CURRENT_USER\\Odd Names\\a]b\\\u00C9t\u00E9";
  RegTree tree = TreeOf({
      {key, u"abc no NUL", Data(host::kRegSz, Utf16(u"abc"))},
      {key, u"two NULs", Data(host::kRegSz, Utf16(String(u"abc\0\0", 5)))},
      {key, u"inner NUL", Data(host::kRegSz, Utf16(String(u"a\0b\0", 4)))},
      {key, u"zero bytes", Data(host::kRegSz, {})},
      {key, u"odd byte count", Data(host::kRegSz, {0x61, 0x00, 0x00})},
      {key, u"empty text", Sz(u"")},
      {key, u"non-ASCII", Sz(u"\u20AC \u65E5\u672C \U0001F600 \"q\" C:\\x")},
      {key, u"lone surrogate", Sz(u"a\xD800z")},
      {key, u"line break", Sz(u"one\r\ntwo")},
      {key, u"binary", Data(host::kRegBinary, everyByte)},
      {key, u"multi", Data(host::kRegMultiSz, Utf16(String(u"one\0two\0\0", 9)))},
      {key, u"expand", Data(host::kRegExpandSz, Utf16(String(u"%TEMP%\0", 7)))},
      {key, u"dword -1", Dword(0xFFFFFFFF)},
      {key, u"short dword", Data(host::kRegDword, {1, 2, 3})},
      {key, u"none", Data(host::kRegNone, {})},
      {key, u"big type", Data(0xFFFFFFFF, {9})},
      {key, u"", Sz(u"default")},
      {key, u"\"quoted\\name\"", Dword(7)},
      {u"HKEY_CURRENT_USER\\Odd Names\\ spaced ", u"", {}},
  });
  const std::vector<std::uint8_t> file = WriteRegFile(tree);
  RegTree back;
  const RegParseResult result = ParseRegFile(file, back);
  ASSERT_TRUE(result.ok) << result.Describe() << "\n" << Dump(tree);
  EXPECT_EQ(back, tree) << Dump(back) << "\nexpected\n" << Dump(tree);

  // What Windows' regedit would write for the same data.
  ASSERT_GE(file.size(), 2u);
  EXPECT_EQ(file[0], 0xFF);
  EXPECT_EQ(file[1], 0xFE);
  const String text = FormatRegText(tree);
  const std::string utf8 = Utf16ToUtf8(text);
  for (const char* line : {
           "\"abc no NUL\"=hex(1):61,00,62,00,63,00\r\n",
           "\"empty text\"=\"\"\r\n",
           "\"dword -1\"=dword:ffffffff\r\n",
           "\"short dword\"=hex(4):01,02,03\r\n",
           "\"none\"=hex(0):\r\n",
           "\"big type\"=hex(ffffffff):09\r\n",
           "@=\"default\"\r\n",
           "\"\\\"quoted\\\\name\\\"\"=dword:00000007\r\n",
           "\"binary\"=hex:00,01,02,",
           "[HKEY_CURRENT_USER\\Odd Names\\ spaced ]\r\n",
       }) {
    EXPECT_NE(utf8.find(line), std::string::npos) << "missing " << line << " in\n" << utf8;
  }
  EXPECT_EQ(utf8.rfind("Windows Registry Editor Version 5.00\r\n\r\n[", 0), 0u);
  std::size_t start = 0;
  for (std::size_t end = text.find(u"\r\n"); end != String::npos;
       start = end + 2, end = text.find(u"\r\n", start)) {
    const std::u16string_view line = std::u16string_view(text).substr(start, end - start);
    EXPECT_EQ(line.find_first_of(u"\r\n"), std::u16string_view::npos) << "bare line break";
    if (line.find(u"=hex") != std::u16string_view::npos || line.starts_with(u"  ")) {
      EXPECT_LE(line.size(), 80u) << Utf16ToUtf8(line);
    }
  }
}

TEST(RegTree, WalksAndDeletesByKeyNotByPrefix) {
  RegTree tree = TreeOf({{u"HKEY_CURRENT_USER\\A\\B", u"v", Dword(1)},
                         {u"HKEY_CURRENT_USER\\A\\B\\C", u"", {}},
                         {u"HKEY_CURRENT_USER\\a\\b c", u"", {}},
                         {u"HKEY_CURRENT_USER\\A\\BC", u"", {}},
                         {u"HKEY_LOCAL_MACHINE\\X", u"", {}}});
  using Visit = std::vector<std::pair<String, std::size_t>>;
  const auto walk = [](const RegTree& t, std::u16string_view from) {
    Visit visited;
    const auto visit = [&](std::u16string_view path, const RegKeyNode&, std::size_t depth) {
      visited.emplace_back(String(path), depth);
    };
    if (from.empty()) {
      t.Walk(visit);
    } else {
      EXPECT_TRUE(t.Walk(from, visit));
    }
    return visited;
  };
  EXPECT_EQ(walk(tree, u"hkey_current_user\\a\\b"),
            (Visit{{u"HKEY_CURRENT_USER\\A\\B", 0}, {u"HKEY_CURRENT_USER\\A\\B\\C", 1}}));
  EXPECT_FALSE(tree.Walk(u"HKEY_CURRENT_USER\\Missing", [](auto, const auto&, auto) {
    ADD_FAILURE() << "visited a missing key";
  }));
  ASSERT_NE(tree.Find(u"hkey_current_user\\a\\b"), nullptr);
  EXPECT_EQ(tree.Find(u"hkey_current_user\\a\\b")->values.at(u"V"), Dword(1));

  EXPECT_TRUE(tree.Delete(u"HKEY_CURRENT_USER\\a\\b"));
  EXPECT_FALSE(tree.Delete(u"HKEY_CURRENT_USER\\a\\b"));
  EXPECT_EQ(walk(tree, u""), (Visit{{u"HKEY_CURRENT_USER", 0},
                                    {u"HKEY_CURRENT_USER\\A", 1},
                                    {u"HKEY_CURRENT_USER\\A\\b c", 2},
                                    {u"HKEY_CURRENT_USER\\A\\BC", 2},
                                    {u"HKEY_LOCAL_MACHINE", 0},
                                    {u"HKEY_LOCAL_MACHINE\\X", 1}}));
  const String branch = FormatRegText(tree, u"HKEY_CURRENT_USER\\A\\BC");
  EXPECT_EQ(branch,
            u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A\\BC]\r\n\r\n");
}

TEST(RegTree, NamesCompareWithoutCaseBeyondAscii) {
  const std::vector<std::pair<std::u16string_view, std::u16string_view>> same = {
      {u"Quarro", u"qUARRO"},
      {u"\u00E9t\u00E9", u"\u00C9T\u00C9"},
      {u"\u00FF", u"\u0178"},
      {u"\u0142\u017C", u"\u0141\u017B"},
      {u"\u03B1\u03C9", u"\u0391\u03A9"},
      {u"\u0434\u0451", u"\u0414\u0401"}};
  for (const auto& [a, b] : same)
    EXPECT_TRUE(NamesEqual(a, b)) << Utf16ToUtf8(a);
  EXPECT_FALSE(NamesEqual(u"\u00F7", u"\u00D7"));  // division and multiplication signs
  EXPECT_FALSE(NamesEqual(u"a", u"ab"));
}

}  // namespace
}  // namespace ostrel::posix

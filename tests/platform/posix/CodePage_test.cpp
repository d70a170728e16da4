// The stand-in's ANSI code page follows the locale as Windows chooses it, and
// everything that crosses it (settings, the payment link, key names) keeps the
// characters that page has.
#include "posix/CodePage.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "addin/AddInState.h"
#include "common/Text.h"
#include "posix/Cp1252.h"
#include "posix/HiveRegistry.h"
#include "posix/PosixLocale.h"
#include "posix/PosixPlatform.h"
#include "settings/modRegistry.h"
#include "wizard/frmWizard.h"

namespace ostrel::posix {
namespace {

namespace fs = std::filesystem;
using Environment = std::map<std::string, std::string>;

fs::path FreshProfile() {
  std::random_device random;
  const fs::path dir = fs::temp_directory_path() / ("ostrel-codepage-" + std::to_string(random()));
  fs::create_directories(dir);
  return dir;
}

std::string Hex(const AnsiString& bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[c >> 4];
    out += kDigits[c & 15];
    out += ' ';
  }
  return out;
}

TEST(CodePage, FollowsTheLocaleAndKeepsWhatThePageHas) {
  const struct {
    Environment environment;
    unsigned codePage;
    String text;       // every character of it is in the page
    AnsiString bytes;  // the text in the page
  } cases[] = {
      {{{"LANG", "en_US.UTF-8"}},
       1252,
       u"Gr\u00FC\u00DFe \u20AC",
       "Gr\xFC\xDF"
       "e \x80"},
      {{{"LANG", "pl_PL.UTF-8"}},
       1250,
       u"\u0141ukasz \u0141\u00F3d\u017A",
       "\xA3ukasz \xA3\xF3"
       "d\x9F"},
      {{{"LANG", "ru_RU.UTF-8"}}, 1251, u"\u0418\u0432\u0430\u043D", "\xC8\xE2\xE0\xED"},
      {{{"LANG", "el_GR.UTF-8"}}, 1253, u"\u03A3", "\xD3"},
      {{{"LANG", "tr_TR.UTF-8"}}, 1254, u"\u015F", "\xFE"},
      {{{"LANG", "he_IL.UTF-8"}}, 1255, u"\u05E9", "\xF9"},
      {{{"LANG", "ar_SA.UTF-8"}}, 1256, u"\u0639", "\xDA"},
      {{{"LANG", "lt_LT.UTF-8"}}, 1257, u"\u0105", "\xE0"},
      {{{"LANG", "vi_VN.UTF-8"}}, 1258, u"\u20AB", "\xFE"},
      {{{"LANG", "th_TH.UTF-8"}}, 874, u"\u0E01", "\xA1"},
      {{{"LANG", "ja_JP.UTF-8"}}, 932, u"\u65E5\u672C\u8868", "\x93\xFA\x96\x7B\x95\x5C"},
      {{{"LANG", "zh_CN.UTF-8"}}, 936, u"\u4E2D", "\xD6\xD0"},
      {{{"LANG", "ko_KR.UTF-8"}}, 949, u"\uD55C", "\xC7\xD1"},
      {{{"LANG", "zh_TW.UTF-8"}}, 950, u"\u4E2D", "\xA4\xA4"},
      // The character set is LC_CTYPE's, below LC_ALL and above LANG.
      {{{"LC_CTYPE", "pl_PL.UTF-8"}, {"LANG", "en_US.UTF-8"}}, 1250, u"\u0141", "\xA3"},
      {{{"LC_ALL", "ru_RU"}, {"LC_CTYPE", "pl_PL"}}, 1251, u"\u0418", "\xC8"},
      {{{"LC_MESSAGES", "ru_RU"}, {"LANG", "C.UTF-8"}}, 1252, u"\u00E9", "\xE9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    const PosixLocale locale(c.environment);
    EXPECT_EQ(locale.AnsiCodePage(), c.codePage);
    const CodePage page(c.codePage);
    EXPECT_EQ(Hex(page.ToAnsi(c.text)), Hex(c.bytes));
    EXPECT_EQ(page.FromAnsi(c.bytes), c.text);
    // What the page lacks is '?' for each UTF-16 unit, with nothing around it lost.
    const String lacking = c.codePage == 1252 ? u"\u0418" : u"\u2603";
    EXPECT_EQ(page.ToAnsi(u"a" + lacking + u"\U0001F600b"), "a???b");
  }
}

TEST(CodePage, EveryByteOfASingleBytePageComesBack) {
  AnsiString all;
  for (int b = 0; b < 256; ++b)
    all.push_back(static_cast<char>(b));
  for (unsigned number : {874u, 1250u, 1251u, 1252u, 1253u, 1254u, 1255u, 1256u, 1257u, 1258u}) {
    SCOPED_TRACE(number);
    const CodePage& page = CodePage::Get(number);
    const String wide = page.FromAnsi(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(page.ToAnsi(wide), all);
    if (number != 1251 && number != 1256) {  // the two pages that give 0x81 a letter
      EXPECT_EQ(wide[0x81], u'\x81') << "an unassigned byte is the C1 control, as on Windows";
    }
  }
  // The table that reads REGEDIT4 files agrees with iconv's Windows-1252.
  const String wide = CodePage::Get(1252).FromAnsi(all);
  for (int b = 0; b < 256; ++b)
    EXPECT_EQ(Cp1252::ToUnit(static_cast<unsigned char>(b)), wide[static_cast<std::size_t>(b)])
        << b;
  EXPECT_THROW(CodePage(1200), std::invalid_argument);
}

TEST(CodePage, BrokenDoubleByteSequencesBecomeQuestionMarks) {
  const CodePage& page = CodePage::Get(932);
  EXPECT_EQ(page.FromAnsi("a\x93"), u"a?") << "a lead byte cut off";
  EXPECT_EQ(page.FromAnsi("\xFF"
                          "b"),
            u"?b")
      << "a byte that starts nothing";
  EXPECT_EQ(page.FromAnsi(AnsiString("x\0y", 3)), String(u"x\0y", 3));
  EXPECT_EQ(page.ToAnsi(u"\xD800z"), "?z") << "a lone surrogate";
}

TEST(CodePage, SettingsLinkAndKeyNamesKeepTheLocalesCharacters) {
  const struct {
    const char* lang;
    String text;
    String encoded;  // URLEncode of the text
  } cases[] = {
      {"ru_RU.UTF-8", u"\u0418\u0432\u0430\u043D", u"%C8%E2%E0%ED"},
      {"pl_PL.UTF-8", u"\u0141ukasz", u"%A3ukasz"},
      // A double-byte character passes the link as it is (its code is below 0).
      {"ja_JP.UTF-8", u"\u8868", u"\u8868"},
      {"en_US.UTF-8", u"\u0141ukasz", u"%3Fukasz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lang);
    const fs::path profile = FreshProfile();
    {
      PosixPlatform platform({profile.string(), {{"LANG", c.lang}}});
      host::Platform& services = platform.services();
      const String key = u"Software\\OstrelTest\\" + c.text;
      ASSERT_TRUE(WriteRegValue(services, host::RegRoot::CurrentUser, key, u"Name",
                                RegValue::Text(c.text), host::kRegSz));
      // The settings keep the text whatever the code page: the hive file holds
      // the key and the value as UTF-16 text, as the W functions store them.
      EXPECT_EQ(ReadRegValue(services, host::RegRoot::CurrentUser, key, u"Name").AsText(), c.text);
      RegTree tree;
      std::string message;
      ASSERT_TRUE(
          HiveRegistry(profile.string()).ReadHive(host::RegRoot::CurrentUser, &tree, &message))
          << message;
      const RegKeyNode* node = tree.Find(u"HKEY_CURRENT_USER\\" + key);
      ASSERT_NE(node, nullptr);
      EXPECT_EQ(node->values.at(u"Name").bytes, ToUtf16Le(c.text + u'\0'));

      AddInState state(services, Utf8ToUtf16(profile.string()));
      frmWizard wizard(state);
      EXPECT_EQ(wizard.URLEncode(c.text), c.encoded);
    }
    fs::remove_all(profile);
  }
}

}  // namespace
}  // namespace ostrel::posix

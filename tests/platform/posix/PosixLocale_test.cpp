// The user's locale from the environment, and GetLocaleInfoA's answers.
#include "posix/PosixLocale.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "common/Text.h"
#include "support/Checked.h"

namespace ostrel::posix {
namespace {

using Environment = std::map<std::string, std::string>;

std::string Info(const PosixLocale& locale, host::Lcid lcid, std::uint32_t type,
                 ostrel::test::Where where = ostrel::test::Where::current()) {
  const ostrel::test::CalledFrom trace(where);
  std::array<char16_t, 64> buffer;
  buffer.fill(u'#');
  const int written = locale.GetLocaleInfo(lcid, type, buffer.data(), 64);
  if (written <= 0)
    return "<failed>";
  EXPECT_EQ(buffer[static_cast<std::size_t>(written - 1)], u'\0');
  return ostrel::Utf16ToUtf8(
      std::u16string_view(buffer.data(), static_cast<std::size_t>(written - 1)));
}

struct EnvironmentCase {
  Environment environment;
  host::Lcid lcid;
  const char* abbreviation;
};

TEST(PosixLocaleTest, TakesTheLanguageFromTheEnvironmentInPosixOrder) {
  const std::vector<EnvironmentCase> cases = {
      {{{"LANG", "de_DE.UTF-8@euro"}}, 0x0407, "DEU"},
      {{{"LANG", "en_GB.UTF-8"}}, 0x0809, "ENG"},
      {{{"LANG", "fr_CA"}}, 0x0C0C, "FRC"},
      {{{"LANG", "de_CH.ISO-8859-1"}}, 0x0807, "DES"},
      {{{"LANG", "pt_BR.utf8"}}, 0x0416, "PTB"},
      {{{"LANG", "zh_TW.Big5"}}, 0x0404, "CHT"},
      {{{"LANG", "es_MX"}}, 0x080A, "ESM"},
      {{{"LANG", "es_ES@euro"}}, 0x0C0A, "ESN"},
      {{{"LANG", "no_NO"}}, 0x0414, "NOR"},
      {{{"LANG", "DE_de"}}, 0x0407, "DEU"},
      // Precedence: LC_ALL, then LC_MESSAGES, then LANG; empty ones do not count.
      {{{"LC_ALL", "it_IT.UTF-8"}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "de_DE"}}, 0x0410, "ITA"},
      {{{"LC_ALL", ""}, {"LC_MESSAGES", "fr_FR"}, {"LANG", "de_DE"}}, 0x040C, "FRA"},
      {{{"LC_MESSAGES", ""}, {"LANG", "nl_BE.UTF-8"}}, 0x0813, "NLB"},
      {{{"LC_CTYPE", "de_DE.UTF-8"}, {"LANG", "sv_SE"}}, 0x041D, "SVE"},
      // A language alone, or with a territory the table lacks: its primary locale.
      {{{"LANG", "de"}}, 0x0407, "DEU"},
      {{{"LANG", "fr_SN.UTF-8"}}, 0x040C, "FRA"},
      {{{"LANG", "en_IN"}}, 0x0409, "ENU"},
      // Nothing usable: English (United States).
      {{{"LANG", "C"}}, 0x0409, "ENU"},
      {{{"LANG", "C.UTF-8"}}, 0x0409, "ENU"},
      {{{"LC_ALL", "POSIX"}, {"LANG", "de_DE"}}, 0x0409, "ENU"},
      {{{"LANG", "xx_YY"}}, 0x0409, "ENU"},
      {{}, 0x0409, "ENU"},
  };
  for (const EnvironmentCase& c : cases) {
    std::string trace;
    for (const auto& [name, value] : c.environment)
      trace += name + "=" + value + " ";
    SCOPED_TRACE(trace);
    const PosixLocale locale(c.environment);
    EXPECT_EQ(locale.GetUserDefaultLCID(), c.lcid);
    EXPECT_EQ(Info(locale, locale.GetUserDefaultLCID(), host::kLocaleSAbbrevLangName),
              c.abbreviation);
    EXPECT_EQ(Info(locale, 0x0400, host::kLocaleSAbbrevLangName), c.abbreviation);
  }
}

struct SeparatorCase {
  host::Lcid lcid;
  const char* decimal;
  const char* thousand;
  const char* currency;
  const char* english;
};

TEST(PosixLocaleTest, GivesEachLocalesOwnSeparatorsAndCurrencyWhole) {
  const PosixLocale locale(Environment{});
  const std::vector<SeparatorCase> cases = {
      {0x0409, ".", ",", "$", "English"},
      {0x0809, ".", ",", "\u00A3", "English"},
      {0x1809, ".", ",", "\u20AC", "English"},
      {0x0407, ",", ".", "\u20AC", "German"},
      {0x0807, ".", "'", "CHF", "German"},
      {0x040C, ",", "\u00A0", "\u20AC", "French"},
      {0x0C0C, ",", "\u00A0", "$", "French"},
      {0x100C, ".", "'", "CHF", "French"},
      {0x0C0A, ",", ".", "\u20AC", "Spanish"},
      {0x0416, ",", ".", "R$", "Portuguese"},
      {0x0406, ",", ".", "kr.", "Danish"},
      {0x0411, ".", ",", "\u00A5", "Japanese"},
      {0x0404, ".", ",", "NT$", "Chinese"},
      {0x0414, ",", "\u00A0", "kr", "Norwegian Bokm\u00E5l"},
      // Whole even where the code page lacks a character (1251 has no rouble sign).
      {0x0415, ",", "\u00A0", "z\u0142", "Polish"},
      {0x0405, ",", "\u00A0", "K\u010D", "Czech"},
      {0x0408, ",", ".", "\u20AC", "Greek"},
      {0x0419, ",", "\u00A0", "\u20BD", "Russian"},
  };
  for (const SeparatorCase& c : cases) {
    SCOPED_TRACE(c.lcid);
    EXPECT_EQ(Info(locale, c.lcid, host::kLocaleSDecimal), c.decimal);
    EXPECT_EQ(Info(locale, c.lcid, host::kLocaleSThousand), c.thousand);
    EXPECT_EQ(Info(locale, c.lcid, host::kLocaleSCurrency), c.currency);
    EXPECT_EQ(Info(locale, c.lcid, kLocaleSEngLanguage), c.english);
    // LOCALE_NOUSEROVERRIDE asks the same question.
    EXPECT_EQ(Info(locale, c.lcid, 0x80000000u | host::kLocaleSDecimal), c.decimal);
  }
  // LOCALE_USE_CP_ACP concerns only the A function.
  EXPECT_EQ(Info(locale, 0x0415, 0x40000000u | host::kLocaleSCurrency), "z\u0142");
  EXPECT_EQ(Info(locale, 0x0415, kLocaleIDefaultAnsiCodePage), "1250");
}

TEST(PosixLocaleTest, AnswersForNeutralAndDefaultLocales) {
  const PosixLocale locale(Environment{{"LANG", "fr_BE.UTF-8"}});
  EXPECT_EQ(Info(locale, 0x0800, host::kLocaleSAbbrevLangName), "FRB");  // system default
  EXPECT_EQ(Info(locale, 0x0007, host::kLocaleSAbbrevLangName), "DEU");  // German, neutral
  EXPECT_EQ(Info(locale, 0x000A, host::kLocaleSAbbrevLangName), "ESN");
  EXPECT_EQ(Info(locale, 0x0413, host::kLocaleSAbbrevLangName), "NLD");
  EXPECT_EQ(Info(locale, 0x10407, host::kLocaleSAbbrevLangName), "<failed>");  // sort id
  EXPECT_EQ(Info(locale, 0x0436, host::kLocaleSAbbrevLangName), "<failed>");   // not in the table
  EXPECT_EQ(Info(locale, 0x0407, 0x0002), "<failed>");                         // unknown item
  EXPECT_EQ(Info(locale, 0x0400, host::kLocaleSCurrency), "\u20AC");           // user default
}

TEST(PosixLocaleTest, FollowsWindowsBufferRules) {
  const PosixLocale locale(Environment{{"LANG", "de_DE"}});
  // Capacity 0 asks for the size, the NUL counted, and writes nothing.
  char16_t untouched = u'x';
  EXPECT_EQ(locale.GetLocaleInfo(0x0407, host::kLocaleSAbbrevLangName, &untouched, 0), 4);
  EXPECT_EQ(untouched, u'x');
  EXPECT_EQ(locale.GetLocaleInfo(0x0407, host::kLocaleSAbbrevLangName, nullptr, 0), 4);

  std::array<char16_t, 8> buffer;
  buffer.fill(u'#');
  // Too small by one: nothing, and 0.
  EXPECT_EQ(locale.GetLocaleInfo(0x0407, host::kLocaleSAbbrevLangName, buffer.data(), 3), 0);
  EXPECT_EQ(buffer[0], u'#');
  // Exactly enough: the text, its NUL, and nothing beyond.
  EXPECT_EQ(locale.GetLocaleInfo(0x0407, host::kLocaleSAbbrevLangName, buffer.data(), 4), 4);
  EXPECT_EQ(ostrel::String(buffer.data()), u"DEU");
  EXPECT_EQ(buffer[4], u'#');
  EXPECT_EQ(locale.GetLocaleInfo(0x0407, host::kLocaleSAbbrevLangName, buffer.data(), -1), 0);
  EXPECT_EQ(locale.GetLocaleInfo(0x0407, host::kLocaleSAbbrevLangName, nullptr, 8), 0);
}

}  // namespace
}  // namespace ostrel::posix

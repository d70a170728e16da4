// Reading numbers as Val, IsNumeric and CInt do, and showing amounts in the
// user's format.
#include "common/Numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "common/Text.h"
#include "host/Platform.h"
#include "support/Checked.h"
#include "support/FakeUi.h"
#include "support/TestPlatform.h"

namespace ostrel {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

const NumberFormat kEnglish{u".", u",", u"$"};
const NumberFormat kGerman{u",", u".", u"\u20ac"};
const NumberFormat kFrench{u",", u"\u00a0", u"\u20ac"};
const NumberFormat kSwiss{u".", u"'", u"CHF"};

struct LeadingCase {
  const char16_t* text;
  double value;
};

// Blanks (only space, tab, CR and LF) are skipped everywhere, inside the number
// too; values beyond a double's range are infinite or zero.
TEST(LeadingNumber, ReadsTheNumberAtTheStartAsValDoes) {
  const std::vector<LeadingCase> cases = {
      {u"12.50", 12.5},
      {u"  -3x", -3},
      {u"1,5", 1},
      {u"abc", 0},
      {u"", 0},
      {u"1e3", 1000},
      {u"1e", 1},
      {u".", 0},
      {u"2.5.1", 2.5},
      {u"+.5", 0.5},
      {u"-", 0},
      {u"--5", 0},
      {u"1E-2", 0.01},
      {u"1d2", 100},
      {u"2D+1", 20},
      {u"3e-x", 3},
      {u"1.5e2.3", 150},
      {u"\t\r\n7", 7},
      {u"1 000", 1000},
      {u"- 3", -3},
      {u"1 . 5", 1.5},
      {u"2 e 2", 200},
      {u"1\u00a02", 1},
      {u"0.1000000000000000055511151231257827", 0.1},
      {u"123456789012345678901234567890", 123456789012345678901234567890.0},
      {u"0.000000000000000000001e21", 1},
      {u"1e400", kInf},
      {u"-1e400", -kInf},
      {u"1e-400", 0},
      {u"1e99999999999999999999", kInf},
      {u"0e999999", 0}};
  for (const LeadingCase& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    EXPECT_EQ(LeadingNumber(c.text), c.value);
  }
}

void ExpectNumeric(const NumberFormat& fmt, bool numeric,
                   std::initializer_list<const char16_t*> texts,
                   test::Where where = test::Where::current()) {
  const test::CalledFrom trace(where);
  for (const char16_t* text : texts)
    EXPECT_EQ(IsNumericText(text, fmt), numeric) << Utf16ToUtf8(text);
}

TEST(IsNumericText, AcceptsNumbersInTheEnglishFormat) {
  ExpectNumeric(kEnglish, true,
                {u"12.50",    u"1,234.5", u"1,2", u".5",  u"5.",  u"1e3",   u"1E-3", u"1,234.5e2",
                 u" \t5\r\n", u"-5",      u"+5",  u"5-",  u"(5)", u"( 5 )", u"$5",   u"$ 5",
                 u"5 $",      u"-$5",     u"$-5", u"5$-", u"5-$", u"($ 5)"});
}

TEST(IsNumericText, RejectsWhatIsNotOneNumber) {
  ExpectNumeric(kEnglish, false, {u"",      u" ",  u"abc", u"12a",  u"1e",  u"1e+",  u".",
                                  u".e3",   u"-",  u"$",   u"--5",  u"-5-", u"(-5)", u"(5)-",
                                  u"(5",    u"5)", u"- 5", u"5 -",  u"$$5", u"$5$",  u"1.2.3",
                                  u"1.5,2", u",5", u"5,",  u"1,,2", u"1 2", u"5 e3", u"&H10"});
}

TEST(IsNumericText, UsesTheLocalesSeparatorsAndSymbol) {
  // '.' between digits groups thousands in German, so "12.50" is 1250.
  ExpectNumeric(kGerman, true, {u"12,50", u"1.234,5", u"12.50", u"\u20ac 5", u"5\u20ac"});
  ExpectNumeric(kGerman, false, {u"1,2,3", u"12,5.0", u"1.234.", u"$5"});
  ExpectNumeric(kFrench, true, {u"1\u00a0234,5"});
  ExpectNumeric(kFrench, false, {u"1 234,5"});
  ExpectNumeric(kSwiss, true, {u"CHF 1'234.50", u"1'234.50 CHF", u"-CHF5"});
  ExpectNumeric(kSwiss, false, {u"CH 5", u"CHF"});
  // An exponent letter that turns out to start the currency symbol.
  ExpectNumeric(NumberFormat{u".", u",", u"EUR"}, true, {u"5EUR", u"5E2EUR"});
  // Without a currency symbol none is accepted.
  ExpectNumeric(NumberFormat{u".", u",", u""}, false, {u"$5"});
}

struct FormatCase {
  double value;
  const char16_t* plain;
  const char16_t* parenthesised;  // nullptr: the same as plain
};

// Fifteen significant digits first, then half away from zero; nothing left after
// rounding has no sign.
TEST(FormatNumber, ShowsTwoDecimalsGroupedByThousandsRoundedAsFormatDoes) {
  const std::vector<FormatCase> cases = {
      {0, u"0.00", nullptr},
      {123, u"123.00", nullptr},
      {1234.5, u"1,234.50", nullptr},
      {-1234.5, u"-1,234.50", u"(1,234.50)"},
      {1234567.891, u"1,234,567.89", nullptr},
      {2.675, u"2.68", nullptr},
      {0.125, u"0.13", nullptr},
      {1.005, u"1.01", nullptr},
      {-2.675, u"-2.68", u"(2.68)"},
      {999.995, u"1,000.00", nullptr},
      {0.0049, u"0.00", nullptr},
      {-0.005, u"-0.01", u"(0.01)"},
      {-0.004, u"0.00", nullptr},
      {-0.0, u"0.00", nullptr},
      {-1e-300, u"0.00", nullptr},
      {1e20, u"100,000,000,000,000,000,000.00", nullptr},
      {123456789012345678.0, u"123,456,789,012,346,000.00", nullptr}};
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(FormatNumber(c.value, kEnglish, false), c.plain);
    EXPECT_EQ(FormatNumber(c.value, kEnglish, true), c.parenthesised ? c.parenthesised : c.plain);
  }
}

TEST(FormatNumber, UsesTheFormatsSeparatorsAndShowsNothingForNonFiniteValues) {
  EXPECT_EQ(FormatNumber(-1234567.891, kGerman, false), u"-1.234.567,89");
  EXPECT_EQ(FormatNumber(1234.5, kFrench, true), u"1\u00a0234,50");
  EXPECT_EQ(FormatNumber(-1234.5, kSwiss, true), u"(1'234.50)");
  for (const double value : {kInf, -kInf, std::nan("")}) {
    EXPECT_EQ(FormatNumber(value, kEnglish, false), u"") << value;
    EXPECT_EQ(FormatNumber(value, kEnglish, true), u"") << value;
  }
}

struct WholeCase {
  double value;
  std::optional<std::int16_t> whole;
};

TEST(WholeNumber16, RoundsHalfToEvenWithinTheIntegerRange) {
  const std::vector<WholeCase> cases = {{2.5, 2},
                                        {3.5, 4},
                                        {-2.5, -2},
                                        {-3.5, -4},
                                        {0.5, 0},
                                        {-0.5, 0},
                                        {-7.6, -8},
                                        {2.4999999999999996, 2},
                                        {2.5000000000000004, 3},
                                        {32767.4, 32767},
                                        {32767.5, std::nullopt},
                                        {-32768.5, -32768},
                                        {-32768.6, std::nullopt},
                                        {kInf, std::nullopt},
                                        {-kInf, std::nullopt},
                                        {std::nan(""), std::nullopt}};
  for (const WholeCase& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(WholeNumber16(c.value), c.whole);
  }
}

struct WholeTextCase {
  const char16_t* text;
  const NumberFormat* fmt;
  std::optional<std::int16_t> whole;
};

TEST(WholeNumberOfText, ConvertsNumericTextsOnly) {
  const std::vector<WholeTextCase> cases = {{u" 3 ", &kEnglish, 3},
                                            {u"2.5", &kEnglish, 2},
                                            {u"3.5", &kEnglish, 4},
                                            {u"(7)", &kEnglish, -7},
                                            {u"7-", &kEnglish, -7},
                                            {u"$1,234", &kEnglish, 1234},
                                            {u"1e3", &kEnglish, 1000},
                                            {u"-32768", &kEnglish, -32768},
                                            {u"40000", &kEnglish, std::nullopt},
                                            {u"1e400", &kEnglish, std::nullopt},
                                            {u"abc", &kEnglish, std::nullopt},
                                            {u"12a", &kEnglish, std::nullopt},
                                            {u"", &kEnglish, std::nullopt},
                                            {u"1.234,5", &kGerman, 1234},
                                            {u"2,5 \u20ac", &kGerman, 2},
                                            {u"12.50", &kGerman, 1250}};
  for (const WholeTextCase& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.text));
    EXPECT_EQ(WholeNumberOfText(c.text, *c.fmt), c.whole);
  }
}

TEST(Numbers, WhatFormatNumberShowsReadsBackAsTheSameNumber) {
  for (const NumberFormat* fmt : {&kEnglish, &kGerman, &kFrench, &kSwiss}) {
    for (const double value : {0.0, 12.5, -12.5, 1234.25, -9876.5, 32767.0}) {
      for (const bool parentheses : {false, true}) {
        const String shown = FormatNumber(value, *fmt, parentheses);
        SCOPED_TRACE(Utf16ToUtf8(shown));
        EXPECT_TRUE(IsNumericText(shown, *fmt));
        EXPECT_EQ(WholeNumberOfText(shown, *fmt), WholeNumber16(value));
      }
    }
  }
}

struct UserFormatCase {
  std::map<std::uint32_t, String> items;
  NumberFormat expected;
};

TEST(UserNumberFormat, ReadsTheUsersItemsWholeWithFallbacks) {
  const std::vector<UserFormatCase> cases = {
      {{{host::kLocaleSDecimal, u","},
        {host::kLocaleSThousand, u"."},
        {host::kLocaleSCurrency, u"\u20ac"}},
       kGerman},
      {{{host::kLocaleSDecimal, u","},
        {host::kLocaleSThousand, u"\u00a0"},
        {host::kLocaleSCurrency, u"\u20bd"}},  // the rouble sign, which no ANSI code page has
       NumberFormat{u",", u"\u00a0", u"\u20bd"}},
      {{{host::kLocaleSCurrency, u"CHF"}}, NumberFormat{u".", u",", u"CHF"}},
      {{{host::kLocaleSDecimal, u"'"}}, NumberFormat{u"'", u",", u""}},
      {{}, NumberFormat{u".", u",", u""}},
  };
  auto platform = test::MakeTestPlatform();
  host::Platform& real = platform->services();
  for (const UserFormatCase& c : cases) {
    test::FixedLocale locale(c.items, 0x0407);
    host::Platform services{real.ansi,  real.registry, locale,         real.resources,
                            real.gdi,   real.ole,      real.clipboard, real.windows,
                            real.files, real.shell,    real.help,      real.dialogs};
    const NumberFormat fmt = UserNumberFormat(services);
    SCOPED_TRACE(Utf16ToUtf8(c.expected.decimal + c.expected.thousands + c.expected.currency));
    EXPECT_EQ(fmt.decimal, c.expected.decimal);
    EXPECT_EQ(fmt.thousands, c.expected.thousands);
    EXPECT_EQ(fmt.currency, c.expected.currency);
  }
}

}  // namespace
}  // namespace ostrel

// Numbers in the wizard's texts: reading them the way Visual Basic's Val,
// IsNumeric and CInt do, and showing amounts with the user's separators.
#pragma once

#include <cstdint>
#include <optional>

#include "host/String.h"

namespace ostrel {

namespace host {
struct Platform;
}

// The number at the start of a text, as Val reads it. Blanks (space, tab, LF,
// CR) are skipped wherever they occur, also inside the number ("1 000" is
// 1000, as Val strips them); then come an optional sign, digits with at most
// one '.' as the decimal point (always '.', whatever the locale), and an
// optional exponent (e, E, d or D, an optional sign, digits). Reading stops at
// the first character that cannot continue the number, a ',' included; an
// exponent letter without digits is not part of it ("1e" is 1). A text without
// a number gives 0. A value beyond the range of a double gives +inf or -inf
// (where Val raises an overflow), one too small gives 0; callers check
// std::isfinite before using the result. The "&H" and "&O" forms are not read.
double LeadingNumber(const String& text);

// The user's separators and currency symbol.
struct NumberFormat {
  String decimal;    // ".", "," ...
  String thousands;  // ",", ".", "'", U+00A0 ...; empty for none
  String currency;   // "$", U+20AC ...; empty for none
};

// LOCALE_SDECIMAL, LOCALE_STHOUSAND and LOCALE_SCURRENCY of the user's default
// locale. An item the system does not give is "." for the decimal separator,
// "," for the thousands separator and "" (no symbol) for the currency.
NumberFormat UserNumberFormat(host::Platform& platform);

// Whether the text is a number in the user's format, as IsNumeric decides it
// for a string:
//   - blanks (space, tab, LF, CR) around the whole;
//   - the currency symbol at most once, before or after the number, with blanks
//     between it and the number allowed ("$5", "$ 5", "5 $", "5$");
//   - a sign ('+' or '-') at most once: before the number (before or after a
//     leading currency symbol: "-$5", "$-5") or after it, before or after a
//     trailing currency symbol ("5-", "5$-", "5-$"); the sign touches the
//     number or the symbol, no blanks between. Or instead of a sign the whole
//     in parentheses, blanks allowed inside ("(5)", "($ 5)");
//   - the number: integer digits, thousands separators only between two digits
//     ("1,234", also "1,2"), then optionally the decimal separator and digits,
//     at least one digit before or after the separator (".5" and "5." are
//     numbers, "." is not), then optionally e or E, a sign and digits;
//   - nothing else: "", blanks only, "--5", "1.2.3", "12a", "1e" are not.
// Separators are compared as whole strings; an empty separator or currency
// symbol never matches. The "&H" and "&O" forms are not accepted.
bool IsNumericText(const String& text, const NumberFormat& fmt);

// The value as "#,##0.00" shows it (negatives with a leading '-'), or with
// parenthesesForNegative as "#,##0.00;(#,##0.00)" ("(1,234.50)"). The value is
// taken to 15 significant digits first and then rounded half away from zero to
// two decimals, so 2.675 is "2.68". Digits are grouped by three with
// fmt.thousands and the decimals follow fmt.decimal. A value that rounds to
// zero is "0.00", never "-0.00". Infinity and NaN give "": callers show
// nothing for them.
String FormatNumber(double value, const NumberFormat& fmt, bool parenthesesForNegative);

// The value as CInt makes it an Integer: rounded half to even (2.5 is 2, 3.5 is
// 4, -2.5 is -2); nullopt for NaN, infinity or a result outside -32768..32767.
std::optional<std::int16_t> WholeNumber16(double value);

// CInt of a text: nullopt unless IsNumericText(text, fmt); otherwise the
// text's value (thousands separators and currency symbol dropped, parentheses
// or a sign making it negative) through WholeNumber16.
// The value of a text that IsNumericText accepts, read with the user's
// separators; nullopt for any other text.
std::optional<double> NumericValue(const String& text, const NumberFormat& fmt);

// An amount of money as the user typed it: NumericValue, but a thousands
// separator counts only between groups of exactly three digits ("1,234.50";
// not "24,95" in English nor "24.95" in German, which would otherwise read as
// a hundred times the amount the user meant). nullopt for any other text.
std::optional<double> AmountOfText(const String& text, const NumberFormat& fmt);

std::optional<std::int16_t> WholeNumberOfText(const String& text, const NumberFormat& fmt);

}  // namespace ostrel

#include "common/Numbers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>

#include "host/Platform.h"

namespace ostrel {
namespace {

bool IsBlank(Char c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}
bool IsDigit(Char c) {
  return c >= u'0' && c <= u'9';
}

// Exponents written in a text are read up to this size; anything larger is
// already far beyond the range of a double.
constexpr std::int64_t kExponentLimit = 1'000'000'000;

// A number read from text, kept exactly as decimal digits until the end:
// (negative ? -1 : 1) * digits * 10^exponent.
struct DecimalNumber {
  bool negative = false;
  std::string digits;  // significant digits, no leading zeros
  std::int64_t exponent = 0;

  void AddDigit(Char c, bool inFraction) {
    if (inFraction)
      --exponent;
    if (digits.empty() && c == u'0')
      return;
    digits.push_back(static_cast<char>(c));
  }

  double ToDouble() const {
    std::string significant = digits;
    std::int64_t power = exponent;
    while (!significant.empty() && significant.back() == '0') {
      significant.pop_back();
      ++power;
    }
    if (significant.empty())
      return 0.0;
    const std::string text = significant + "e" + std::to_string(power);
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::result_out_of_range) {
      // Too large or too small for a double: the value lies in
      // [10^(magnitude-1), 10^magnitude).
      const std::int64_t magnitude = static_cast<std::int64_t>(significant.size()) + power;
      value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
  }
};

// The digits of an exponent from position i on; false when there is none.
bool ReadExponentDigits(const String& text, std::size_t& i, std::int64_t& exponent,
                        bool skipBlanks) {
  bool any = false;
  exponent = 0;
  while (i < text.size()) {
    if (skipBlanks && IsBlank(text[i])) {
      ++i;
    } else if (IsDigit(text[i])) {
      exponent = std::min(exponent * 10 + (text[i] - u'0'), kExponentLimit);
      any = true;
      ++i;
    } else {
      break;
    }
  }
  return any;
}

// The scanner behind IsNumericText and WholeNumberOfText; the grammar is the
// one described at IsNumericText.
class NumericTextScanner {
 public:
  // strictGrouping: a thousands separator counts only between groups of
  // exactly three digits (the first group one to three).
  NumericTextScanner(const String& text, const NumberFormat& fmt, bool strictGrouping = false)
      : text_(text), fmt_(fmt), strict_(strictGrouping) {}

  bool Scan(DecimalNumber& number) {
    SkipBlanks();
    const bool parenthesised = AcceptChar(u'(');
    if (parenthesised)
      SkipBlanks();
    bool currency = false;
    bool sign = false;
    for (int item = 0; item < 2; ++item) {
      if (!currency && Accept(fmt_.currency)) {
        currency = true;
        SkipBlanks();
      } else if (!parenthesised && !sign && AcceptSign(number)) {
        sign = true;
      }
    }
    if (!ScanNumber(number))
      return false;
    for (int item = 0; item < 2; ++item) {
      const std::size_t before = pos_;
      SkipBlanks();
      if (!currency && Accept(fmt_.currency)) {
        currency = true;
        continue;
      }
      pos_ = before;  // a trailing sign touches what it follows
      if (!parenthesised && !sign && AcceptSign(number)) {
        sign = true;
        continue;
      }
      break;
    }
    SkipBlanks();
    if (parenthesised) {
      if (!AcceptChar(u')'))
        return false;
      number.negative = true;
      SkipBlanks();
    }
    return pos_ == text_.size();
  }

 private:
  bool ScanNumber(DecimalNumber& number) {
    bool digitSeen = false;
    bool grouped = false;
    int groupDigits = 0;
    while (pos_ < text_.size()) {
      if (IsDigit(text_[pos_])) {
        number.AddDigit(text_[pos_++], false);
        digitSeen = true;
        ++groupDigits;
      } else if (At(fmt_.decimal)) {
        break;  // the decimal separator wins over a thousands separator of the same text
      } else if (digitSeen && At(fmt_.thousands) && pos_ + fmt_.thousands.size() < text_.size() &&
                 IsDigit(text_[pos_ + fmt_.thousands.size()])) {
        if (strict_ && (grouped ? groupDigits != 3 : groupDigits > 3))
          return false;
        pos_ += fmt_.thousands.size();
        grouped = true;
        groupDigits = 0;
      } else {
        break;
      }
    }
    if (strict_ && grouped && groupDigits != 3)
      return false;
    if (Accept(fmt_.decimal)) {
      while (pos_ < text_.size() && IsDigit(text_[pos_])) {
        number.AddDigit(text_[pos_++], true);
        digitSeen = true;
      }
    }
    if (!digitSeen)
      return false;
    const std::size_t before = pos_;
    if (AcceptChar(u'e') || AcceptChar(u'E')) {
      bool negative = false;
      if (!AcceptChar(u'+'))
        negative = AcceptChar(u'-');
      std::int64_t exponent = 0;
      if (ReadExponentDigits(text_, pos_, exponent, false)) {
        number.exponent += negative ? -exponent : exponent;
      } else {
        pos_ = before;  // not an exponent; what follows must still fit the grammar
      }
    }
    return true;
  }

  bool At(const String& token) const {
    return !token.empty() && text_.compare(pos_, token.size(), token) == 0;
  }
  bool Accept(const String& token) {
    if (!At(token))
      return false;
    pos_ += token.size();
    return true;
  }
  bool AcceptChar(Char c) {
    if (pos_ >= text_.size() || text_[pos_] != c)
      return false;
    ++pos_;
    return true;
  }
  bool AcceptSign(DecimalNumber& number) {
    if (AcceptChar(u'+'))
      return true;
    if (!AcceptChar(u'-'))
      return false;
    number.negative = true;
    return true;
  }
  void SkipBlanks() {
    while (pos_ < text_.size() && IsBlank(text_[pos_]))
      ++pos_;
  }

  const String& text_;
  const NumberFormat& fmt_;
  bool strict_;
  std::size_t pos_ = 0;
};

// One item of the user's locale as the system's text; "" when there is none.
String UserLocaleItem(host::Platform& platform, std::uint32_t type) {
  // LOCALE_SCURRENCY, the longest of the three, has at most 13 characters.
  std::array<char16_t, 32> buffer{};
  const int written = platform.locale.GetLocaleInfo(platform.locale.GetUserDefaultLCID(), type,
                                                    buffer.data(), static_cast<int>(buffer.size()));
  if (written <= 0)
    return String();
  const int length = std::min(written, static_cast<int>(buffer.size()));
  const auto end = std::find(buffer.begin(), buffer.begin() + length, u'\0');
  return String(buffer.begin(), end);
}

// Adds one to a string of decimal digits.
void Increment(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return;
    }
    *it = '0';
  }
  digits.insert(digits.begin(), '1');
}

}  // namespace

double LeadingNumber(const String& text) {
  std::size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < text.size() && IsBlank(text[i]))
      ++i;
  };
  DecimalNumber number;
  skipBlanks();
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
    number.negative = text[i++] == u'-';
  bool point = false;
  for (;; ++i) {
    skipBlanks();
    if (i >= text.size())
      break;
    if (IsDigit(text[i])) {
      number.AddDigit(text[i], point);
    } else if (text[i] == u'.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (i < text.size() &&
      (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
    ++i;
    skipBlanks();
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
      negative = text[i++] == u'-';
    std::int64_t exponent = 0;
    if (ReadExponentDigits(text, i, exponent, true))
      number.exponent += negative ? -exponent : exponent;
  }
  return number.ToDouble();
}

NumberFormat UserNumberFormat(host::Platform& platform) {
  NumberFormat fmt{UserLocaleItem(platform, host::kLocaleSDecimal),
                   UserLocaleItem(platform, host::kLocaleSThousand),
                   UserLocaleItem(platform, host::kLocaleSCurrency)};
  if (fmt.decimal.empty())
    fmt.decimal = u".";
  if (fmt.thousands.empty())
    fmt.thousands = u",";
  return fmt;
}

bool IsNumericText(const String& text, const NumberFormat& fmt) {
  DecimalNumber number;
  return NumericTextScanner(text, fmt).Scan(number);
}

String FormatNumber(double value, const NumberFormat& fmt, bool parenthesesForNegative) {
  if (!std::isfinite(value))
    return String();
  // Fifteen significant digits, "d.dddddddddddddde+XX", as the platform's
  // formatting sees a double before it rounds.
  std::array<char, 32> buffer{};
  const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), std::fabs(value),
                                     std::chars_format::scientific, 14);
  std::string digits(1, buffer[0]);
  digits.append(buffer.data() + 2, buffer.data() + 16);
  int exponent = 0;
  const char* exponentText = buffer.data() + 17;
  if (*exponentText == '+')
    ++exponentText;
  std::from_chars(exponentText, written.ptr, exponent);

  // The digits down to the hundredths, rounded half away from zero.
  const int kept = exponent + 3;
  std::string hundredths;
  bool roundUp = false;
  if (kept >= static_cast<int>(digits.size())) {
    hundredths = digits + std::string(static_cast<std::size_t>(kept) - digits.size(), '0');
  } else if (kept >= 0) {
    hundredths = digits.substr(0, static_cast<std::size_t>(kept));
    roundUp = digits[static_cast<std::size_t>(kept)] >= '5';
  }
  if (roundUp)
    Increment(hundredths);
  if (hundredths.size() < 3)
    hundredths.insert(0, 3 - hundredths.size(), '0');
  const bool zero = hundredths.find_first_not_of('0') == std::string::npos;
  const bool negative = std::signbit(value) && !zero;

  const std::size_t integerDigits = hundredths.size() - 2;
  String text;
  if (negative)
    text += parenthesesForNegative ? u'(' : u'-';
  for (std::size_t i = 0; i < integerDigits; ++i) {
    if (i > 0 && (integerDigits - i) % 3 == 0)
      text += fmt.thousands;
    text += static_cast<Char>(hundredths[i]);
  }
  text += fmt.decimal;
  text += static_cast<Char>(hundredths[integerDigits]);
  text += static_cast<Char>(hundredths[integerDigits + 1]);
  if (negative && parenthesesForNegative)
    text += u')';
  return text;
}

std::optional<std::int16_t> WholeNumber16(double value) {
  if (!std::isfinite(value))
    return std::nullopt;
  double whole = std::round(value);  // half away from zero, exact
  double integral = 0.0;
  if (std::fabs(std::modf(value, &integral)) == 0.5)
    whole = 2.0 * std::round(value / 2.0);  // a tie goes to the even neighbour
  if (whole < -32768.0 || whole > 32767.0)
    return std::nullopt;
  return static_cast<std::int16_t>(whole);
}

std::optional<double> NumericValue(const String& text, const NumberFormat& fmt) {
  DecimalNumber number;
  if (!NumericTextScanner(text, fmt).Scan(number))
    return std::nullopt;
  return number.ToDouble();
}

std::optional<double> AmountOfText(const String& text, const NumberFormat& fmt) {
  DecimalNumber number;
  if (!NumericTextScanner(text, fmt, /*strictGrouping=*/true).Scan(number))
    return std::nullopt;
  return number.ToDouble();
}

std::optional<std::int16_t> WholeNumberOfText(const String& text, const NumberFormat& fmt) {
  const std::optional<double> value = NumericValue(text, fmt);
  if (!value)
    return std::nullopt;
  return WholeNumber16(*value);
}

}  // namespace ostrel

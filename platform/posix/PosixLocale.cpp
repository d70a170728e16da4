#include "posix/PosixLocale.h"

#include <cstring>
#include <string>

namespace ostrel::posix {
namespace {

struct LocaleEntry {
  const char* language;
  const char* territory;
  host::Lcid lcid;
  const char* abbreviation;  // LOCALE_SABBREVLANGNAME
  const char* decimal;       // LOCALE_SDECIMAL, Windows-1252
  const char* thousand;      // LOCALE_STHOUSAND, Windows-1252 ("\xA0" is the no-break space)
  const char* english;       // LOCALE_SENGLANGUAGE, Windows-1252
  // LOCALE_SCURRENCY, Windows-1252 as GetLocaleInfoA converts it: "\x80" is the
  // euro sign; letters the code page lacks get their best fit ("z\u0142" gives
  // "zl", "K\u010d" "Kc") and signs without one are '?' (rouble, lira, shekel,
  // won, hryvnia).
  const char* currency;
};

// The first entry of each language is its primary locale.
constexpr LocaleEntry kLocales[] = {
    {"en", "US", 0x0409, "ENU", ".", ",", "English", "$"},
    {"en", "GB", 0x0809, "ENG", ".", ",", "English", "\xA3"},
    {"en", "AU", 0x0C09, "ENA", ".", ",", "English", "$"},
    {"en", "CA", 0x1009, "ENC", ".", ",", "English", "$"},
    {"en", "NZ", 0x1409, "ENZ", ".", ",", "English", "$"},
    {"en", "IE", 0x1809, "ENI", ".", ",", "English", "\x80"},
    {"de", "DE", 0x0407, "DEU", ",", ".", "German", "\x80"},
    {"de", "CH", 0x0807, "DES", ".", "'", "German", "CHF"},
    {"de", "AT", 0x0C07, "DEA", ",", ".", "German", "\x80"},
    {"de", "LU", 0x1007, "DEL", ",", ".", "German", "\x80"},
    {"fr", "FR", 0x040C, "FRA", ",", "\xA0", "French", "\x80"},
    {"fr", "BE", 0x080C, "FRB", ",", "\xA0", "French", "\x80"},
    {"fr", "CA", 0x0C0C, "FRC", ",", "\xA0", "French", "$"},
    {"fr", "CH", 0x100C, "FRS", ".", "'", "French", "CHF"},
    {"fr", "LU", 0x140C, "FRL", ",", "\xA0", "French", "\x80"},
    {"es", "ES", 0x0C0A, "ESN", ",", ".", "Spanish", "\x80"},
    {"es", "MX", 0x080A, "ESM", ".", ",", "Spanish", "$"},
    {"es", "AR", 0x2C0A, "ESS", ",", ".", "Spanish", "$"},
    {"it", "IT", 0x0410, "ITA", ",", ".", "Italian", "\x80"},
    {"it", "CH", 0x0810, "ITS", ".", "'", "Italian", "CHF"},
    {"nl", "NL", 0x0413, "NLD", ",", ".", "Dutch", "\x80"},
    {"nl", "BE", 0x0813, "NLB", ",", ".", "Dutch", "\x80"},
    {"pt", "BR", 0x0416, "PTB", ",", ".", "Portuguese", "R$"},
    {"pt", "PT", 0x0816, "PTG", ",", "\xA0", "Portuguese", "\x80"},
    {"sv", "SE", 0x041D, "SVE", ",", "\xA0", "Swedish", "kr"},
    {"sv", "FI", 0x081D, "SVF", ",", "\xA0", "Swedish", "\x80"},
    {"nb", "NO", 0x0414, "NOR", ",", "\xA0", "Norwegian Bokm\xE5l", "kr"},
    {"nn", "NO", 0x0814, "NON", ",", "\xA0", "Norwegian Nynorsk", "kr"},
    {"da", "DK", 0x0406, "DAN", ",", ".", "Danish", "kr."},
    {"fi", "FI", 0x040B, "FIN", ",", "\xA0", "Finnish", "\x80"},
    {"is", "IS", 0x040F, "ISL", ",", ".", "Icelandic", "kr."},
    {"pl", "PL", 0x0415, "PLK", ",", "\xA0", "Polish", "zl"},
    {"cs", "CZ", 0x0405, "CSY", ",", "\xA0", "Czech", "Kc"},
    {"sk", "SK", 0x041B, "SKY", ",", "\xA0", "Slovak", "\x80"},
    {"hu", "HU", 0x040E, "HUN", ",", "\xA0", "Hungarian", "Ft"},
    {"sl", "SI", 0x0424, "SLV", ",", ".", "Slovenian", "\x80"},
    {"hr", "HR", 0x041A, "HRV", ",", ".", "Croatian", "\x80"},
    {"ro", "RO", 0x0418, "ROM", ",", ".", "Romanian", "lei"},
    {"tr", "TR", 0x041F, "TRK", ",", ".", "Turkish", "?"},
    {"el", "GR", 0x0408, "ELL", ",", ".", "Greek", "\x80"},
    {"ru", "RU", 0x0419, "RUS", ",", "\xA0", "Russian", "?"},
    {"uk", "UA", 0x0422, "UKR", ",", "\xA0", "Ukrainian", "?"},
    {"ca", "ES", 0x0403, "CAT", ",", ".", "Catalan", "\x80"},
    {"he", "IL", 0x040D, "HEB", ".", ",", "Hebrew", "?"},
    {"ja", "JP", 0x0411, "JPN", ".", ",", "Japanese", "\xA5"},
    {"ko", "KR", 0x0412, "KOR", ".", ",", "Korean", "?"},
    {"zh", "CN", 0x0804, "CHS", ".", ",", "Chinese", "\xA5"},
    {"zh", "TW", 0x0404, "CHT", ".", ",", "Chinese", "NT$"},
    {"zh", "HK", 0x0C04, "ZHH", ".", ",", "Chinese", "HK$"},
};

constexpr host::Lcid kLocaleNeutral = 0x0000;
constexpr host::Lcid kLocaleUserDefault = 0x0400;
constexpr host::Lcid kLocaleSystemDefault = 0x0800;
// LOCALE_NOUSEROVERRIDE and LOCALE_USE_CP_ACP change nothing here.
constexpr std::uint32_t kIgnoredTypeFlags = 0x80000000u | 0x40000000u;

const LocaleEntry* FindLcid(host::Lcid lcid) {
  for (const LocaleEntry& entry : kLocales) {
    if (entry.lcid == lcid)
      return &entry;
  }
  // A neutral id (sub-language 0, no sort id) names the language's primary locale.
  if (lcid > 0 && lcid <= 0x3FF) {
    for (const LocaleEntry& entry : kLocales) {
      if ((entry.lcid & 0x3FF) == lcid)
        return &entry;
    }
  }
  return nullptr;
}

const LocaleEntry* FindLanguage(const std::string& language, const std::string& territory) {
  const LocaleEntry* primary = nullptr;
  for (const LocaleEntry& entry : kLocales) {
    if (language != entry.language)
      continue;
    if (territory == entry.territory)
      return &entry;
    if (primary == nullptr)
      primary = &entry;
  }
  return primary;
}

std::string Value(const std::map<std::string, std::string>& environment, const char* name) {
  const auto found = environment.find(name);
  return found == environment.end() ? std::string() : found->second;
}

}  // namespace

host::Lcid PosixLocale::LcidFromPosixName(std::string_view name) {
  // language[_territory][.codeset][@modifier]
  const std::size_t end = name.find_first_of(".@");
  if (end != std::string_view::npos)
    name = name.substr(0, end);
  const std::size_t separator = name.find_first_of("_-");
  std::string language(name.substr(0, separator));
  std::string territory(separator == std::string_view::npos ? std::string_view()
                                                            : name.substr(separator + 1));
  for (char& c : language) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  for (char& c : territory) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  // Older names of two languages still found in locale settings.
  if (language == "no")
    language = "nb";
  if (language == "iw")
    language = "he";
  const LocaleEntry* entry = FindLanguage(language, territory);
  return entry == nullptr ? kLcidEnUs : entry->lcid;
}

PosixLocale::PosixLocale(std::map<std::string, std::string> environment) : user_(kLcidEnUs) {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const std::string value = Value(environment, variable);
    if (!value.empty()) {
      user_ = LcidFromPosixName(value);
      break;
    }
  }
}

int PosixLocale::GetLocaleInfo(host::Lcid locale, std::uint32_t type, char* buffer,
                               int capacity) const {
  if (capacity < 0 || (capacity > 0 && buffer == nullptr))
    return 0;
  if (locale == kLocaleNeutral || locale == kLocaleUserDefault || locale == kLocaleSystemDefault) {
    locale = user_;
  }
  const LocaleEntry* entry = FindLcid(locale);
  if (entry == nullptr)
    return 0;

  const char* text = nullptr;
  switch (type & ~kIgnoredTypeFlags) {
    case host::kLocaleSAbbrevLangName:
      text = entry->abbreviation;
      break;
    case host::kLocaleSDecimal:
      text = entry->decimal;
      break;
    case host::kLocaleSThousand:
      text = entry->thousand;
      break;
    case kLocaleSEngLanguage:
      text = entry->english;
      break;
    case host::kLocaleSCurrency:
      text = entry->currency;
      break;
    default:
      return 0;
  }
  const int needed = static_cast<int>(std::strlen(text)) + 1;
  if (capacity == 0)
    return needed;
  if (capacity < needed)
    return 0;  // ERROR_INSUFFICIENT_BUFFER; nothing is written
  std::memcpy(buffer, text, static_cast<std::size_t>(needed));
  return needed;
}

}  // namespace ostrel::posix

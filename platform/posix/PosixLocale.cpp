#include "posix/PosixLocale.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string>

#include "common/Text.h"
#include "posix/CodePage.h"

namespace ostrel::posix {
namespace {

struct LocaleEntry {
  const char* language;
  const char* territory;
  host::Lcid lcid;
  unsigned codePage;         // LOCALE_IDEFAULTANSICODEPAGE
  const char* abbreviation;  // LOCALE_SABBREVLANGNAME
  // The texts below are UTF-8; GetLocaleInfoA hands them out in the locale's
  // code page (CodePage.h says where that differs from Windows).
  const char* decimal;   // LOCALE_SDECIMAL
  const char* thousand;  // LOCALE_STHOUSAND
  const char* english;   // LOCALE_SENGLANGUAGE
  const char* currency;  // LOCALE_SCURRENCY, as an up-to-date Windows gives it
};

// The first entry of each language is its primary locale.
constexpr LocaleEntry kLocales[] = {
    {"en", "US", 0x0409, 1252, "ENU", ".", ",", "English", "$"},
    {"en", "GB", 0x0809, 1252, "ENG", ".", ",", "English", "\u00A3"},
    {"en", "AU", 0x0C09, 1252, "ENA", ".", ",", "English", "$"},
    {"en", "CA", 0x1009, 1252, "ENC", ".", ",", "English", "$"},
    {"en", "NZ", 0x1409, 1252, "ENZ", ".", ",", "English", "$"},
    {"en", "IE", 0x1809, 1252, "ENI", ".", ",", "English", "\u20AC"},
    {"de", "DE", 0x0407, 1252, "DEU", ",", ".", "German", "\u20AC"},
    {"de", "CH", 0x0807, 1252, "DES", ".", "'", "German", "CHF"},
    {"de", "AT", 0x0C07, 1252, "DEA", ",", ".", "German", "\u20AC"},
    {"de", "LU", 0x1007, 1252, "DEL", ",", ".", "German", "\u20AC"},
    {"fr", "FR", 0x040C, 1252, "FRA", ",", "\u00A0", "French", "\u20AC"},
    {"fr", "BE", 0x080C, 1252, "FRB", ",", "\u00A0", "French", "\u20AC"},
    {"fr", "CA", 0x0C0C, 1252, "FRC", ",", "\u00A0", "French", "$"},
    {"fr", "CH", 0x100C, 1252, "FRS", ".", "'", "French", "CHF"},
    {"fr", "LU", 0x140C, 1252, "FRL", ",", "\u00A0", "French", "\u20AC"},
    {"es", "ES", 0x0C0A, 1252, "ESN", ",", ".", "Spanish", "\u20AC"},
    {"es", "MX", 0x080A, 1252, "ESM", ".", ",", "Spanish", "$"},
    {"es", "AR", 0x2C0A, 1252, "ESS", ",", ".", "Spanish", "$"},
    {"it", "IT", 0x0410, 1252, "ITA", ",", ".", "Italian", "\u20AC"},
    {"it", "CH", 0x0810, 1252, "ITS", ".", "'", "Italian", "CHF"},
    {"nl", "NL", 0x0413, 1252, "NLD", ",", ".", "Dutch", "\u20AC"},
    {"nl", "BE", 0x0813, 1252, "NLB", ",", ".", "Dutch", "\u20AC"},
    {"pt", "BR", 0x0416, 1252, "PTB", ",", ".", "Portuguese", "R$"},
    {"pt", "PT", 0x0816, 1252, "PTG", ",", "\u00A0", "Portuguese", "\u20AC"},
    {"sv", "SE", 0x041D, 1252, "SVE", ",", "\u00A0", "Swedish", "kr"},
    {"sv", "FI", 0x081D, 1252, "SVF", ",", "\u00A0", "Swedish", "\u20AC"},
    {"nb", "NO", 0x0414, 1252, "NOR", ",", "\u00A0", "Norwegian Bokm\u00E5l", "kr"},
    {"nn", "NO", 0x0814, 1252, "NON", ",", "\u00A0", "Norwegian Nynorsk", "kr"},
    {"da", "DK", 0x0406, 1252, "DAN", ",", ".", "Danish", "kr."},
    {"fi", "FI", 0x040B, 1252, "FIN", ",", "\u00A0", "Finnish", "\u20AC"},
    {"is", "IS", 0x040F, 1252, "ISL", ",", ".", "Icelandic", "kr."},
    {"ca", "ES", 0x0403, 1252, "CAT", ",", ".", "Catalan", "\u20AC"},
    {"pl", "PL", 0x0415, 1250, "PLK", ",", "\u00A0", "Polish", "z\u0142"},
    {"cs", "CZ", 0x0405, 1250, "CSY", ",", "\u00A0", "Czech", "K\u010D"},
    {"sk", "SK", 0x041B, 1250, "SKY", ",", "\u00A0", "Slovak", "\u20AC"},
    {"hu", "HU", 0x040E, 1250, "HUN", ",", "\u00A0", "Hungarian", "Ft"},
    {"sl", "SI", 0x0424, 1250, "SLV", ",", ".", "Slovenian", "\u20AC"},
    {"hr", "HR", 0x041A, 1250, "HRV", ",", ".", "Croatian", "\u20AC"},
    {"ro", "RO", 0x0418, 1250, "ROM", ",", ".", "Romanian", "lei"},
    {"ru", "RU", 0x0419, 1251, "RUS", ",", "\u00A0", "Russian", "\u20BD"},
    {"uk", "UA", 0x0422, 1251, "UKR", ",", "\u00A0", "Ukrainian", "\u20B4"},
    {"bg", "BG", 0x0402, 1251, "BGR", ",", "\u00A0", "Bulgarian", "\u043B\u0432."},
    {"el", "GR", 0x0408, 1253, "ELL", ",", ".", "Greek", "\u20AC"},
    {"tr", "TR", 0x041F, 1254, "TRK", ",", ".", "Turkish", "\u20BA"},
    {"he", "IL", 0x040D, 1255, "HEB", ".", ",", "Hebrew", "\u20AA"},
    {"ar", "SA", 0x0401, 1256, "ARA", ".", ",", "Arabic", "\u0631.\u0633.\u200F"},
    {"et", "EE", 0x0425, 1257, "ETI", ",", "\u00A0", "Estonian", "\u20AC"},
    {"lv", "LV", 0x0426, 1257, "LVI", ",", "\u00A0", "Latvian", "\u20AC"},
    {"lt", "LT", 0x0427, 1257, "LTH", ",", "\u00A0", "Lithuanian", "\u20AC"},
    {"vi", "VN", 0x042A, 1258, "VIT", ",", ".", "Vietnamese", "\u20AB"},
    {"th", "TH", 0x041E, 874, "THA", ".", ",", "Thai", "\u0E3F"},
    {"ja", "JP", 0x0411, 932, "JPN", ".", ",", "Japanese", "\u00A5"},
    {"zh", "CN", 0x0804, 936, "CHS", ".", ",", "Chinese", "\u00A5"},
    {"ko", "KR", 0x0412, 949, "KOR", ".", ",", "Korean", "\u20A9"},
    {"zh", "TW", 0x0404, 950, "CHT", ".", ",", "Chinese", "NT$"},
    {"zh", "HK", 0x0C04, 950, "ZHH", ".", ",", "Chinese", "HK$"},
};

constexpr host::Lcid kLocaleNeutral = 0x0000;
constexpr host::Lcid kLocaleUserDefault = 0x0400;
constexpr host::Lcid kLocaleSystemDefault = 0x0800;
// LOCALE_NOUSEROVERRIDE changes nothing here; LOCALE_USE_CP_ACP converts with
// the ANSI code page instead of the locale's own.
constexpr std::uint32_t kNoUserOverride = 0x80000000u;
constexpr std::uint32_t kUseCpAcp = 0x40000000u;
constexpr std::uint32_t kTypeFlags = kNoUserOverride | kUseCpAcp;

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

namespace {

// The locale of the first of the variables that is set and not empty.
host::Lcid LcidFromEnvironment(const std::map<std::string, std::string>& environment,
                               std::initializer_list<const char*> variables) {
  for (const char* variable : variables) {
    const std::string value = Value(environment, variable);
    if (!value.empty())
      return PosixLocale::LcidFromPosixName(value);
  }
  return kLcidEnUs;
}

}  // namespace

PosixLocale::PosixLocale(std::map<std::string, std::string> environment)
    : user_(LcidFromEnvironment(environment, {"LC_ALL", "LC_MESSAGES", "LANG"})),
      ansiCodePage_(
          FindLcid(LcidFromEnvironment(environment, {"LC_ALL", "LC_CTYPE", "LANG"}))->codePage) {}

int PosixLocale::GetLocaleInfo(host::Lcid locale, std::uint32_t type, char16_t* buffer,
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
  std::string number;
  switch (type & ~kTypeFlags) {
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
    case kLocaleIDefaultAnsiCodePage:
      number = std::to_string(entry->codePage);
      text = number.c_str();
      break;
    default:
      return 0;
  }
  const String wide = Utf8ToUtf16(text);
  const int needed = static_cast<int>(wide.size()) + 1;
  if (capacity == 0)
    return needed;
  if (capacity < needed)
    return 0;  // ERROR_INSUFFICIENT_BUFFER; nothing is written
  std::copy_n(wide.c_str(), needed, buffer);
  return needed;
}

}  // namespace ostrel::posix

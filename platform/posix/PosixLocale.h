// The user's locale on Linux, in the shape of GetUserDefaultLCID and
// GetLocaleInfoA: the POSIX locale of the environment mapped to the Windows
// locale of the same language and territory.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

#include "host/Locale.h"

namespace ostrel::posix {

inline constexpr std::uint32_t kLocaleSEngLanguage = 0x1001;
inline constexpr std::uint32_t kLocaleIDefaultAnsiCodePage = 0x1004;
inline constexpr host::Lcid kLcidEnUs = 0x0409;

class PosixLocale final : public host::Locale {
 public:
  // The user's locale is the first non-empty one of LC_ALL, LC_MESSAGES and
  // LANG. The ANSI code page is that of the first non-empty one of LC_ALL,
  // LC_CTYPE and LANG: Windows takes it from the system locale (the "language
  // for non-Unicode programs"), which decides the character set as LC_CTYPE
  // does here.
  explicit PosixLocale(std::map<std::string, std::string> environment);

  host::Lcid GetUserDefaultLCID() const override { return user_; }

  // The ANSI code page (GetACP): 1252 for Western European languages, 1250 for
  // Central European ones, 1251 Cyrillic, 1253 Greek, 1254 Turkish, 1255
  // Hebrew, 1256 Arabic, 1257 Baltic, 1258 Vietnamese, 874 Thai, 932 Japanese,
  // 936 Simplified Chinese, 949 Korean, 950 Traditional Chinese.
  unsigned AnsiCodePage() const { return ansiCodePage_; }

  // Knows LOCALE_SABBREVLANGNAME, LOCALE_SDECIMAL, LOCALE_STHOUSAND,
  // LOCALE_SCURRENCY (the symbols an up-to-date Windows gives),
  // LOCALE_SENGLANGUAGE and LOCALE_IDEFAULTANSICODEPAGE (with
  // LOCALE_NOUSEROVERRIDE and LOCALE_USE_CP_ACP allowed) for the locales of its
  // table, LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT and a language's neutral id
  // (0x0007: its primary locale). Texts come whole in UTF-16, whatever the
  // code page, as GetLocaleInfoW hands them out. Windows' buffer rules:
  // capacity 0 asks for the size; a buffer too small gets nothing and 0.
  int GetLocaleInfo(host::Lcid locale, std::uint32_t type, char16_t* buffer,
                    int capacity) const override;

  // "de_DE.UTF-8@euro" to 0x0407. A language without a territory, or with one
  // the table lacks, gives the language's primary locale; an unknown language,
  // "C", "POSIX" or "" gives en-US.
  static host::Lcid LcidFromPosixName(std::string_view name);

 private:
  host::Lcid user_;
  unsigned ansiCodePage_;
};

}  // namespace ostrel::posix

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
inline constexpr host::Lcid kLcidEnUs = 0x0409;

class PosixLocale final : public host::Locale {
 public:
  // The locale is the first non-empty one of LC_ALL, LC_MESSAGES and LANG.
  explicit PosixLocale(std::map<std::string, std::string> environment);

  host::Lcid GetUserDefaultLCID() const override { return user_; }

  // Knows LOCALE_SABBREVLANGNAME, LOCALE_SDECIMAL, LOCALE_STHOUSAND,
  // LOCALE_SCURRENCY (the symbols an up-to-date Windows gives) and
  // LOCALE_SENGLANGUAGE (with LOCALE_NOUSEROVERRIDE / LOCALE_USE_CP_ACP allowed)
  // for the locales of its table, LOCALE_USER_DEFAULT, LOCALE_SYSTEM_DEFAULT and
  // a language's neutral id (0x0007: its primary locale). Windows' buffer rules:
  // capacity 0 asks for the size; a buffer too small gets nothing and 0.
  int GetLocaleInfo(host::Lcid locale, std::uint32_t type, char* buffer,
                    int capacity) const override;

  // "de_DE.UTF-8@euro" to 0x0407. A language without a territory, or with one
  // the table lacks, gives the language's primary locale; an unknown language,
  // "C", "POSIX" or "" gives en-US.
  static host::Lcid LcidFromPosixName(std::string_view name);

 private:
  host::Lcid user_;
};

}  // namespace ostrel::posix

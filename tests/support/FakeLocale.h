// A user locale that reports a chosen language abbreviation ("DEU"), so that the
// choice of resource library can be tested on both builds.
#pragma once

#include <cstring>
#include <string>

#include "host/Locale.h"

namespace ostrel::test {

class FakeLocale final : public host::Locale {
 public:
  explicit FakeLocale(std::string abbreviation) : abbreviation_(std::move(abbreviation)) {}

  host::Lcid GetUserDefaultLCID() const override { return 0x0C00; }  // LOCALE_CUSTOM_DEFAULT

  int GetLocaleInfo(host::Lcid locale, std::uint32_t type, char* buffer,
                    int capacity) const override {
    if (locale != 0x0C00 || type != host::kLocaleSAbbrevLangName || abbreviation_.empty()) {
      return 0;
    }
    const int needed = static_cast<int>(abbreviation_.size()) + 1;
    if (capacity < needed)
      return 0;
    std::memcpy(buffer, abbreviation_.c_str(), static_cast<std::size_t>(needed));
    return needed;
  }

 private:
  std::string abbreviation_;
};

}  // namespace ostrel::test

// The user's locale, in the shape of GetUserDefaultLCID and GetLocaleInfoW.
#pragma once

#include <cstdint>

namespace ostrel::host {

using Lcid = std::uint32_t;

inline constexpr std::uint32_t kLocaleSAbbrevLangName = 0x0003;
inline constexpr std::uint32_t kLocaleSDecimal = 0x000E;
inline constexpr std::uint32_t kLocaleSThousand = 0x000F;
inline constexpr std::uint32_t kLocaleSCurrency = 0x0014;

class Locale {
 public:
  virtual ~Locale() = default;

  virtual Lcid GetUserDefaultLCID() const = 0;

  // Writes the item with its terminating null into buffer (at most capacity
  // characters) and returns the count written including the null, 0 on failure.
  virtual int GetLocaleInfo(Lcid locale, std::uint32_t type, char16_t* buffer,
                            int capacity) const = 0;
};

}  // namespace ostrel::host

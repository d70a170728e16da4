#include "settings/StoredNumbers.h"

#include <limits>

#include "common/Numbers.h"

namespace ostrel {

std::optional<std::int16_t> StoredWholeNumber(host::Platform& platform, const RegValue& value) {
  switch (value.kind()) {
    case RegValue::Kind::None:
      return std::int16_t{0};
    case RegValue::Kind::Number: {
      const std::int32_t n = value.NumberOrZero();
      if (n < std::numeric_limits<std::int16_t>::min() ||
          n > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
      return static_cast<std::int16_t>(n);
    }
    case RegValue::Kind::Text:
      return WholeNumberOfText(value.AsText(), UserNumberFormat(platform));
  }
  return std::nullopt;
}

}  // namespace ostrel

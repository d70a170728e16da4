// Whole numbers read back from stored values.
#pragma once

#include <cstdint>
#include <optional>

#include "host/Platform.h"
#include "settings/modRegistry.h"

namespace ostrel {

// A stored value as a 16-bit whole number: none gives 0, a number must fit, text
// is read as a number in the user's locale and rounded half to even. Nothing
// when the value is text that is no number or does not fit.
std::optional<std::int16_t> StoredWholeNumber(host::Platform& platform, const RegValue& value);

}  // namespace ostrel

// The system's text is UTF-16 on Windows as in the add-in: a String goes to the
// W functions as it is, without a conversion that could lose a character. The
// one place that says so.
#pragma once

#include <cstddef>
#include <string>

#include "host/String.h"

namespace ostrel::win32 {

// The text for a W function; valid while the String lives and is unchanged.
inline const wchar_t* Wide(const String& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// A copy, for keeping or comparing.
inline std::wstring WideString(const String& text) {
  return std::wstring(text.begin(), text.end());
}

inline String FromWide(const wchar_t* text, std::size_t length) {
  return String(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace ostrel::win32

// The one string type of the system, and the byte string of the ANSI boundary.
#pragma once

#include <string>

namespace ostrel {

// UTF-16 code units, counted the way Windows counts characters. Every length the
// system talks about ("the first 127 characters") is a count of these units.
using String = std::u16string;
using Char = char16_t;

// Bytes in the system's ANSI code page. Only platform calls that take narrow text
// (the registry, resource strings, file names) see this type.
using AnsiString = std::string;

}  // namespace ostrel

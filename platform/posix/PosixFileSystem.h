// The file system of the stand-in: Linux files named with Windows-style paths.
#pragma once

#include <string>

#include "host/FileSystem.h"

namespace ostrel::posix {

// A path the system built ("/opt/ostrel\RES_ENU.DLL") as a Linux path: it goes
// through the ANSI code page as the narrow Win32 functions would take it (a
// character the code page lacks becomes '?'), then "\" becomes "/" and the
// text is encoded as UTF-8.
std::string NativePath(const String& path);

// FindFirstFile semantics on Linux: '*' and '?' in the last component are
// wildcards; the last component matches without regard to case (as on Windows);
// the folders before it are taken as they are; a path ending in a separator finds
// nothing.
class PosixFileSystem final : public host::FileSystem {
 public:
  bool FindFirstFile(const String& path) override;
};

}  // namespace ostrel::posix

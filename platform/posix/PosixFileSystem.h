// The file system of the stand-in: Linux files named with Windows-style paths.
#pragma once

#include <string>

#include "host/FileSystem.h"
#include "posix/CodePage.h"

namespace ostrel::posix {

// A path the system built ("/opt/ostrel\RES_ENU.DLL") as a Linux path: every
// character kept, as the W functions take it, "\" made "/", encoded as UTF-8.
std::string NativePath(const String& path);

// FindFirstFile semantics on Linux: '*' and '?' in the last component are
// wildcards; the last component matches without regard to case (as on Windows);
// the folders before it are taken as they are; a path ending in a separator finds
// nothing.
//
// Failures raise host::HostError with the number Windows gives: 2 for a missing
// file, 3 for a missing folder on the way, 5 for access denied (a folder named
// where a file is expected included), and the nearest Win32 number for the rest.
class PosixFileSystem final : public host::FileSystem {
 public:
  PosixFileSystem() = default;

  bool FindFirstFile(const String& path) override;
  AnsiString ReadFile(const String& path) override;
  // Writes a temporary file beside the target, flushes it to disk and renames it
  // over the target: a crash leaves either the old content or the new one.
  void WriteFile(const String& path, const AnsiString& content) override;
  // The content goes into an unnamed file of the target's folder (O_TMPFILE),
  // flushed, which is then linked under the name; linking fails when the name
  // is taken. The file appears whole or not at all, and a process killed on
  // the way leaves nothing behind. Where the file system has no unnamed files,
  // the target is created exclusively and written in place (a process killed
  // during that write leaves the part it wrote).
  void CreateNewFile(const String& path, const AnsiString& content) override;
  // The copy is written the same way as WriteFile; it takes the source's
  // permission bits.
  void CopyFile(const String& from, const String& to) override;
  void DeleteFile(const String& path) override;
  // The new folder gets the usual permission bits (0777 less the umask).
  void CreateDirectory(const String& path) override;

 private:
};

}  // namespace ostrel::posix

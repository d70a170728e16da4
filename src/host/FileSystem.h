// The file system, in the shape of the Win32 file functions. Paths use "\" as
// the separator, as the system builds them.
#pragma once

#include "host/String.h"

namespace ostrel::host {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // FindFirstFileA on the path (wildcards included); the search handle is closed
  // again at once. True when an entry was found; never throws.
  virtual bool FindFirstFile(const String& path) = 0;

  // The whole content of a file, byte for byte. Throws HostError when the file
  // cannot be opened or read.
  virtual AnsiString ReadFile(const String& path) = 0;

  // Creates the file or replaces its whole content. Throws HostError when the
  // file cannot be created or written.
  virtual void WriteFile(const String& path, const AnsiString& content) = 0;

  // CreateFileA with CREATE_NEW, then the whole content written: the file is
  // made only when no file or folder of that name is there, so that of several
  // writers (threads or processes) racing for one name exactly one gets it.
  // Throws HostError 80 (ERROR_FILE_EXISTS) when the name is taken, otherwise
  // as WriteFile. A write that fails leaves no file behind.
  virtual void CreateNewFile(const String& path, const AnsiString& content) = 0;

  // CopyFileA with an existing target replaced. Throws HostError on failure.
  virtual void CopyFile(const String& from, const String& to) = 0;

  // DeleteFileA. Throws HostError on failure (a missing file included).
  virtual void DeleteFile(const String& path) = 0;

  // CreateDirectoryA: makes one folder, whose parent must exist. Throws HostError
  // on failure: 183 (ERROR_ALREADY_EXISTS) when a file or folder of that name is
  // there, 3 (ERROR_PATH_NOT_FOUND) when the parent is missing.
  virtual void CreateDirectory(const String& path) = 0;
};

}  // namespace ostrel::host

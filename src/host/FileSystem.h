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
};

}  // namespace ostrel::host

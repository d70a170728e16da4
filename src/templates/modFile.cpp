#include "templates/modFile.h"

namespace ostrel {

bool FileExists(host::Platform& platform, const String& path) {
  return platform.files.FindFirstFile(path);
}

}  // namespace ostrel

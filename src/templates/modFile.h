// Files beside the add-in.
#pragma once

#include "host/Platform.h"
#include "host/String.h"

namespace ostrel {

// True exactly when a find-first-file search for the path finds an entry; a
// folder counts. Never fails.
bool FileExists(host::Platform& platform, const String& path);

}  // namespace ostrel

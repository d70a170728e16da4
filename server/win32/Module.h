// Ostrel.dll as a module: its file and folder (win32/ModuleFile.h asks Windows).
#pragma once

#include "host/String.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::server {

// The full path of Ostrel.dll, and its folder without the trailing separator.
String ModulePath();
String ModuleFolder();

}  // namespace ostrel::server

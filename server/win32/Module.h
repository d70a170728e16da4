// Ostrel.dll as a module: its handle and its file, set when Windows loads it.
#pragma once

#include "host/String.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::server {

HMODULE ThisModule();
// The full path of Ostrel.dll, and its folder without the trailing separator.
String ModulePath();
String ModuleFolder();

}  // namespace ostrel::server

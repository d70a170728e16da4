// The module (DLL or program) a piece of code lives in, and its file: the one
// place that asks Windows for them.
#pragma once

#include "host/String.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::win32 {

// The module that holds this library's code: Ostrel.dll inside the add-in, the
// program itself in a program that links the library.
HMODULE ThisModule();

// The module's full path, however long; nullptr names the program. Empty when
// Windows cannot tell.
String ModulePath(HMODULE module);

// The folder of a path, without the last separator; empty when it has none.
String FolderOf(const String& path);

}  // namespace ostrel::win32

// The one way platform/win32 includes <windows.h>: without min/max macros, the
// lean header set, and a fixed target version.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601  // Windows 7
#endif

#include <windows.h>

#include <commctrl.h>
#include <commdlg.h>
#include <ole2.h>
#include <olectl.h>
#include <shellapi.h>

// <windows.h> defines these as macros for the A/W variants; our interfaces use
// the plain names as member functions.
#undef LoadString
#undef LoadBitmap
#undef LoadIcon
#undef SendMessage
#undef FindFirstFile
#undef GetObject
#undef LoadLibraryEx
#undef GetLocaleInfo
#undef CopyFile
#undef DeleteFile
#undef CreateDirectory
#undef ShellExecute
#undef MessageBox
#undef GetOpenFileName

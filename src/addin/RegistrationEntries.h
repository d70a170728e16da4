// What the server's registration consists of: every value DllRegisterServer
// writes and the keys that hold them. The one description of it, read by the
// server's own registration and, at build time, by the installer package's
// generator (tools/registration_rows.cpp), so that both write the same.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

#include "host/String.h"

namespace ostrel {

struct RegistrationEntry {
  String key;  // below HKEY_CURRENT_USER
  String name;
  std::uint32_t type;   // kRegSz or kRegDword
  String text;          // of a kRegSz value
  std::int32_t number;  // of a kRegDword value
};

// The values, in the order they are written (Outlook's entry last), for the
// server file at modulePath in folder (as Windows Installer gives a folder:
// with its trailing separator). win64 files the type library under "win64",
// as RegisterTypeLib does in a 64-bit process, else under "win32".
std::vector<RegistrationEntry> RegistrationEntries(const String& modulePath, const String& folder,
                                                   bool win64);

// Each of these holds part of the registration and nothing else; Outlook's entry
// comes first, so Outlook stops loading the add-in before its classes go.
std::vector<String> RegisteredKeys();

// The parts joined by backslashes.
String RegistryPath(std::initializer_list<std::u16string_view> parts);

// The key of the class, whose InprocServer32 names the server's file.
String ClassKey();

// The folder of a file with its trailing separator ("C:\Ostrel\" for
// "C:\Ostrel\Ostrel.dll", "C:\" for "C:\Ostrel.dll"); empty for a bare name.
String FolderWithSeparator(const String& file);

}  // namespace ostrel

// Prints the server's registration, as the server itself writes it, for the
// installer package's generator (tools/make_msi.py): one line per key that
// holds part of it, then one per value, in UTF-8, fields split by tabs:
//
//   key    KEY
//   value  KEY  NAME  sz|dword  DATA
//
// usage: registration-rows MODULE FOLDER x64|x86
// MODULE and FOLDER stand for the server's file and its folder (with its
// trailing separator) wherever the registration names them.
#include <cstdio>
#include <cstring>
#include <string>

#include "addin/RegistrationEntries.h"
#include "common/Text.h"
#include "host/Registry.h"

int main(int argc, char** argv) {
  if (argc != 4 || (std::strcmp(argv[3], "x64") != 0 && std::strcmp(argv[3], "x86") != 0)) {
    std::fprintf(stderr, "usage: registration-rows MODULE FOLDER x64|x86\n");
    return 2;
  }
  using ostrel::Utf16ToUtf8;
  for (const ostrel::String& key : ostrel::RegisteredKeys())
    std::printf("key\t%s\n", Utf16ToUtf8(key).c_str());
  const auto entries = ostrel::RegistrationEntries(
      ostrel::Utf8ToUtf16(argv[1]), ostrel::Utf8ToUtf16(argv[2]), std::strcmp(argv[3], "x64") == 0);
  for (const ostrel::RegistrationEntry& e : entries) {
    const bool number = e.type == ostrel::host::kRegDword;
    const std::string data = number ? std::to_string(e.number) : Utf16ToUtf8(e.text);
    std::printf("value\t%s\t%s\t%s\t%s\n", Utf16ToUtf8(e.key).c_str(), Utf16ToUtf8(e.name).c_str(),
                number ? "dword" : "sz", data.c_str());
  }
  return std::ferror(stdout) != 0 ? 1 : 0;
}

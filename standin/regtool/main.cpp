// ostrel-reg: imports, exports and queries the registry hives of the Linux
// stand-in, in the manner of Windows' `reg import`, `reg export` and `reg query`.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "common/Text.h"
#include "posix/HiveRegistry.h"
#include "posix/PosixPlatform.h"
#include "posix/RegFile.h"

namespace {

using ostrel::String;
using ostrel::host::RegRoot;
using ostrel::posix::HiveRegistry;
using ostrel::posix::RegData;
using ostrel::posix::RegKeyNode;
using ostrel::posix::RegTree;

constexpr int kFailed = 1;
constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "usage: ostrel-reg [--profile DIR] COMMAND ...\n"
    "\n"
    "  import FILE.reg              store every key and value of the file, or nothing\n"
    "                               when the file has an error\n"
    "  export KEY FILE.reg          write KEY and its subkeys as regedit does (UTF-16);\n"
    "                               FILE '-' writes UTF-8 text to standard output\n"
    "  query KEY [/v NAME | /ve] [/s]\n"
    "                               list the values of KEY (/v one value, /ve the default\n"
    "                               value) and its subkeys (/s: with all their values)\n"
    "\n"
    "KEY is a root and a path: HKCU\\Software\\Quarro or HKEY_CURRENT_USER\\Software\\Quarro\n"
    "(also HKLM, HKEY_LOCAL_MACHINE). DIR is the profile folder holding the hives;\n"
    "without --profile: $OSTREL_PROFILE, else $XDG_CONFIG_HOME/ostrel/profile, else\n"
    "~/.config/ostrel/profile.\n";

int Fail(const std::string& message) {
  std::cerr << "ostrel-reg: " << message << "\n";
  return kFailed;
}

int UsageError(const std::string& message) {
  std::cerr << "ostrel-reg: " << message << "\n\n" << kUsage;
  return kUsageError;
}

struct KeyName {
  RegRoot root;
  String path;  // full path, root first, in the hive's spelling of the root
};

std::optional<KeyName> ParseKeyName(const std::string& text) {
  const String wide = ostrel::Utf8ToUtf16(text);
  std::vector<String> parts;
  std::size_t start = 0;
  while (start <= wide.size()) {
    const std::size_t end = std::min(wide.find(u'\\', start), wide.size());
    if (end > start)
      parts.push_back(wide.substr(start, end - start));
    start = end + 1;
  }
  if (parts.empty())
    return std::nullopt;
  const auto root = ostrel::posix::RootFromName(parts.front());
  if (!root)
    return std::nullopt;
  KeyName key{*root, String(ostrel::posix::RootName(*root))};
  for (std::size_t i = 1; i < parts.size(); ++i)
    key.path += u'\\' + parts[i];
  return key;
}

bool IsRoot(const KeyName& key) {
  return key.path == ostrel::posix::RootName(key.root);
}

bool ReadFile(const std::string& file, std::vector<std::uint8_t>* bytes, std::string* problem) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    *problem = std::strerror(errno);
    return false;
  }
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    *problem = "cannot read the file";
    return false;
  }
  return true;
}

int Import(HiveRegistry& registry, const std::string& file) {
  std::vector<std::uint8_t> bytes;
  std::string problem;
  if (!ReadFile(file, &bytes, &problem))
    return Fail(file + ": " + problem);
  if (registry.Import(bytes, &problem) != ostrel::host::kErrorSuccess) {
    return Fail(file + ": " + problem);
  }
  std::cout << "The operation completed successfully.\n";
  return 0;
}

// The hive holding the key, or a message saying why there is none to show.
std::optional<RegTree> KeyTree(HiveRegistry& registry, const KeyName& key, const std::string& text,
                               std::string* problem) {
  RegTree hive;
  if (!registry.ReadHive(key.root, &hive, problem))
    return std::nullopt;
  if (hive.Find(key.path) == nullptr) {
    if (!IsRoot(key)) {
      *problem = "key not found: " + text;
      return std::nullopt;
    }
    hive.Create(key.path);  // a root always exists, even in an empty hive
  }
  return hive;
}

int Export(HiveRegistry& registry, const std::string& keyText, const std::string& file) {
  const auto key = ParseKeyName(keyText);
  if (!key)
    return UsageError("not a registry key: " + keyText);
  std::string problem;
  const auto tree = KeyTree(registry, *key, keyText, &problem);
  if (!tree)
    return Fail(problem);

  if (file == "-") {
    std::string text = ostrel::Utf16ToUtf8(ostrel::posix::FormatRegText(*tree, key->path));
    std::erase(text, '\r');
    std::cout << text;
    return 0;
  }
  const std::vector<std::uint8_t> bytes = ostrel::posix::WriteRegFile(*tree, key->path);
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!out) {
    const int error = errno;
    return Fail(file + ": " + std::strerror(error));
  }
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out)
    return Fail(file + ": cannot write the file");
  return 0;
}

std::string TypeName(std::uint32_t type) {
  static const char* const kNames[] = {"REG_NONE",
                                       "REG_SZ",
                                       "REG_EXPAND_SZ",
                                       "REG_BINARY",
                                       "REG_DWORD",
                                       "REG_DWORD_BIG_ENDIAN",
                                       "REG_LINK",
                                       "REG_MULTI_SZ",
                                       "REG_RESOURCE_LIST",
                                       "REG_FULL_RESOURCE_DESCRIPTOR",
                                       "REG_RESOURCE_REQUIREMENTS_LIST",
                                       "REG_QWORD"};
  if (type < std::size(kNames))
    return kNames[type];
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", type);
  return text;
}

// The data as reg.exe shows it.
std::string DataText(const RegData& data) {
  const auto& bytes = data.bytes;
  std::uint64_t number = 0;
  for (std::size_t i = bytes.size(); i-- > 0;)
    number = (number << 8) | bytes[i];
  char text[32];
  switch (data.type) {
    case ostrel::host::kRegSz:
    case ostrel::host::kRegExpandSz: {
      const String units = ostrel::FromUtf16Le(bytes);
      return ostrel::Utf16ToUtf8(units.substr(0, units.find(u'\0')));
    }
    case ostrel::host::kRegMultiSz: {
      String units = ostrel::FromUtf16Le(bytes);
      while (!units.empty() && units.back() == u'\0')
        units.pop_back();
      std::string shown;
      for (char16_t c : units)
        shown += c == u'\0' ? "\\0" : ostrel::Utf16ToUtf8(String(1, c));
      return shown;
    }
    case ostrel::host::kRegDword:
      if (bytes.size() != 4)
        break;
      std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(number));
      return text;
    case ostrel::host::kRegQword:
      if (bytes.size() != 8)
        break;
      std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(number));
      return text;
    default:
      break;
  }
  std::string hex;
  for (std::uint8_t byte : bytes) {
    std::snprintf(text, sizeof text, "%02X", byte);
    hex += text;
  }
  return hex;
}

void PrintValue(const String& name, const RegData& data) {
  std::cout << "    " << (name.empty() ? std::string("(Default)") : ostrel::Utf16ToUtf8(name))
            << "    " << TypeName(data.type) << "    " << DataText(data) << "\n";
}

int Query(HiveRegistry& registry, const std::string& keyText,
          const std::optional<std::string>& valueName, bool recurse) {
  const auto key = ParseKeyName(keyText);
  if (!key)
    return UsageError("not a registry key: " + keyText);
  std::string problem;
  const auto tree = KeyTree(registry, *key, keyText, &problem);
  if (!tree)
    return Fail(problem);

  const String wantedName = valueName ? ostrel::Utf8ToUtf16(*valueName) : String();
  std::size_t matches = 0;
  bool subkeysListed = false;
  tree->Walk(key->path, [&](std::u16string_view path, const RegKeyNode& node, std::size_t depth) {
    if (!valueName) {
      // Like reg.exe: the key with its values, then its subkeys by name, or with
      // /s every key below with its values.
      if (depth == 0 || recurse) {
        std::cout << "\n" << ostrel::Utf16ToUtf8(path) << "\n";
        for (const auto& [name, data] : node.values) {
          PrintValue(name, data);
        }
      } else if (depth == 1) {
        if (!subkeysListed)
          std::cout << "\n";
        subkeysListed = true;
        std::cout << ostrel::Utf16ToUtf8(path) << "\n";
      }
      return;
    }
    if (depth != 0 && !recurse)
      return;
    const auto found = node.values.find(wantedName);
    if (found == node.values.end())
      return;
    ++matches;
    std::cout << "\n" << ostrel::Utf16ToUtf8(path) << "\n";
    PrintValue(found->first, found->second);
  });
  if (valueName && matches == 0) {
    return Fail("value not found: " + (valueName->empty() ? "(Default)" : *valueName) + " in " +
                keyText);
  }
  std::cout << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  std::optional<std::string> profile;
  if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
    std::cout << kUsage;
    return 0;
  }
  if (!args.empty() && args[0] == "--profile") {
    if (args.size() < 2)
      return UsageError("--profile needs a folder");
    profile = args[1];
    args.erase(args.begin(), args.begin() + 2);
  }
  if (args.empty())
    return UsageError("no command given");
  if (!profile)
    profile = ostrel::posix::DefaultProfileDir(ostrel::posix::ProcessEnvironment());
  HiveRegistry registry(*profile);

  const std::string& command = args[0];
  if (command == "import") {
    if (args.size() != 2)
      return UsageError("import takes one file");
    return Import(registry, args[1]);
  }
  if (command == "export") {
    if (args.size() != 3)
      return UsageError("export takes a key and a file");
    return Export(registry, args[1], args[2]);
  }
  if (command == "query") {
    if (args.size() < 2)
      return UsageError("query takes a key");
    std::optional<std::string> valueName;
    bool recurse = false;
    for (std::size_t i = 2; i < args.size(); ++i) {
      const std::string& option = args[i];
      if (option == "/s" || option == "/S" || option == "-s") {
        recurse = true;
      } else if (option == "/v" || option == "/V" || option == "-v") {
        if (i + 1 == args.size())
          return UsageError(option + " needs a value name");
        valueName = args[++i];
      } else if (option == "/ve" || option == "/VE" || option == "-ve") {
        valueName = std::string();
      } else {
        return UsageError("unknown query option: " + args[i]);
      }
    }
    return Query(registry, args[1], valueName, recurse);
  }
  return UsageError("unknown command: " + command);
}

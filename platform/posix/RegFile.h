// Reading and writing the registry export format of regedit ("Windows Registry
// Editor Version 5.00", and REGEDIT4 on input), in memory only: no file access.
// The hives of the Linux stand-in are stored in this format, and the installation
// data ships in it, so the same files go through our store and through Windows'
// own regedit and `reg import`.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/Registry.h"
#include "host/String.h"

namespace ostrel::posix {

// Registry names compare without regard to case, as Windows compares them with its
// upcase table. This folding covers ASCII, Latin-1, Latin Extended-A, Greek and
// Cyrillic, which is every name this system or its installation uses.
char16_t FoldNonAsciiUnit(char16_t unit);
inline char16_t FoldNameUnit(char16_t unit) {
  if (unit >= 0x80)
    return FoldNonAsciiUnit(unit);
  return (unit >= u'a' && unit <= u'z') ? static_cast<char16_t>(unit - 0x20) : unit;
}
bool NamesEqual(std::u16string_view a, std::u16string_view b);

// Orders names of keys and values without regard to case.
struct NameLess {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const;
};

// Windows' limits on key names, which keep every input's tree and its file small:
// a key's own name, the levels below a root, and the whole path with its root.
inline constexpr std::size_t kMaxKeyNameLength = 255;
inline constexpr std::size_t kMaxKeyDepth = 512;
inline constexpr std::size_t kMaxKeyPathLength = 32767;

// One stored value: its type and its data as Windows keeps it, string types
// (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) in UTF-16LE.
struct RegData {
  std::uint32_t type = host::kRegNone;
  std::vector<std::uint8_t> bytes;
  friend bool operator==(const RegData&, const RegData&) = default;
};

struct RegKeyNode {
  RegKeyNode() = default;
  RegKeyNode(const RegKeyNode& other);
  RegKeyNode& operator=(const RegKeyNode& other);
  RegKeyNode(RegKeyNode&&) noexcept = default;
  RegKeyNode& operator=(RegKeyNode&&) noexcept = default;
  friend bool operator==(const RegKeyNode& a, const RegKeyNode& b);

  // By name; the empty name is the key's default value ("@").
  std::map<String, RegData, NameLess> values;
  // By name, each as it was first spelled.
  std::map<String, std::unique_ptr<RegKeyNode>, NameLess> subkeys;
};

// Keys named by full path, root first ("HKEY_CURRENT_USER\Software\Quarro").
// Every ancestor of a key is a key too; each key keeps the case of its name as it
// was created. Names must not contain line breaks (the format cannot write them),
// and paths must stay within the limits above (the parser and the registry refuse
// longer ones).
class RegTree {
 public:
  RegKeyNode* Find(std::u16string_view path);
  const RegKeyNode* Find(std::u16string_view path) const;

  // Opens the key, creating it and its missing ancestors. *created tells whether
  // any key was added.
  RegKeyNode& Create(std::u16string_view path, bool* created = nullptr);

  // Removes the key and all its subkeys; false when there was no such key.
  bool Delete(std::u16string_view path);

  bool empty() const { return top_.subkeys.empty(); }

  // Calls visit(path, key, depth) for every key, or for the key at `path` and every
  // key below it, in tree order (a key before its subkeys, siblings by name). The
  // path is spelled as the keys were created; depth counts from the first key
  // visited. Walk of a missing key visits nothing and returns false.
  using Visitor =
      std::function<void(std::u16string_view path, const RegKeyNode& key, std::size_t depth)>;
  void Walk(const Visitor& visit) const;
  bool Walk(std::u16string_view path, const Visitor& visit) const;

  friend bool operator==(const RegTree&, const RegTree&) = default;

 private:
  RegKeyNode top_;  // its subkeys are the roots
};

// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
std::u16string_view RootName(host::RegRoot root);
// A root's full name or its abbreviation (HKCU, HKLM), in any case.
std::optional<host::RegRoot> RootFromName(std::u16string_view name);

struct RegParseOptions {
  // When set, the file is the hive of this root (or an import applied to it):
  // only its keys are applied.
  std::optional<host::RegRoot> root;
  // With root set: whether a section of another root is an error (a hive file
  // names one root) or is checked and passed over (an import file may name both).
  bool otherRootsAreErrors = true;
};

struct RegParseResult {
  bool ok = false;
  int line = 0;         // 1-based line of the error
  std::string message;  // what is wrong there
  // The roots the file names, in order of first appearance.
  std::vector<host::RegRoot> roots;

  // "line 7: dword value needs 1 to 8 hex digits".
  std::string Describe() const;
};

// Applies a .reg file (UTF-16LE with BOM, UTF-8 with BOM, or Windows-1252 without a
// BOM) to the tree: keys created, deleted ([-key]), values set and deleted
// ("name"=-). A file with any error changes nothing.
RegParseResult ParseRegFile(std::span<const std::uint8_t> bytes, RegTree& tree,
                            const RegParseOptions& options = {});

// The tree in version 5 format: header, then each key with its values, lines ended
// by CRLF. Parsing the text gives the same tree back. With a key path, only that
// key and its subkeys are written (as regedit exports a branch).
String FormatRegText(const RegTree& tree);
String FormatRegText(const RegTree& tree, std::u16string_view key);

// Text as regedit saves it: UTF-16LE with a byte order mark.
std::vector<std::uint8_t> EncodeUtf16Le(std::u16string_view text);

// FormatRegText, encoded as regedit saves it.
std::vector<std::uint8_t> WriteRegFile(const RegTree& tree);
std::vector<std::uint8_t> WriteRegFile(const RegTree& tree, std::u16string_view key);

}  // namespace ostrel::posix

// Feeds arbitrary bytes to the .reg reader. Whatever parses must write back out
// and read back in as the very same tree; whatever is refused must change nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "posix/RegFile.h"

using ostrel::host::RegRoot;
using ostrel::posix::ParseRegFile;
using ostrel::posix::RegParseOptions;
using ostrel::posix::RegParseResult;
using ostrel::posix::RegTree;
using ostrel::posix::WriteRegFile;

namespace {

// A tree holding one key of its own, as a hive does before an import.
RegTree Seeded() {
  RegTree tree;
  tree.Create(u"HKEY_LOCAL_MACHINE\\Seed").values[u"kept"] = {ostrel::host::kRegDword,
                                                              {1, 0, 0, 0}};
  return tree;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);

  RegTree tree;
  const RegParseResult result = ParseRegFile(bytes, tree);
  if (!result.ok && (!tree.empty() || result.line < 1 || result.message.empty())) {
    __builtin_trap();
  }

  // Onto a tree that holds keys already: refused alike and then changing nothing,
  // or applied alike and keeping the keys the file does not name.
  RegTree seeded = Seeded();
  if (ParseRegFile(bytes, seeded).ok != result.ok)
    __builtin_trap();
  if (!result.ok) {
    if (!(seeded == Seeded()))
      __builtin_trap();
    return 0;
  }
  if (std::find(result.roots.begin(), result.roots.end(), RegRoot::LocalMachine) ==
      result.roots.end()) {
    RegTree expected = tree;
    expected.Create(u"HKEY_LOCAL_MACHINE\\Seed") = *Seeded().Find(u"HKEY_LOCAL_MACHINE\\Seed");
    if (!(seeded == expected))
      __builtin_trap();
  }

  // Written out and read back: the same tree, and the same file again.
  const std::vector<std::uint8_t> written = WriteRegFile(tree);
  RegTree back;
  if (!ParseRegFile(written, back).ok || !(back == tree))
    __builtin_trap();
  if (WriteRegFile(back) != written)
    __builtin_trap();

  // Read as the hive of one root, the file gives that root's part of the tree.
  for (const auto& [root, other] : {std::pair{RegRoot::CurrentUser, RegRoot::LocalMachine},
                                    std::pair{RegRoot::LocalMachine, RegRoot::CurrentUser}}) {
    RegTree hive;
    if (!ParseRegFile(bytes, hive, RegParseOptions{root, false}).ok)
      __builtin_trap();
    RegTree expected = tree;
    expected.Delete(ostrel::posix::RootName(other));
    if (!(hive == expected))
      __builtin_trap();
  }
  return 0;
}

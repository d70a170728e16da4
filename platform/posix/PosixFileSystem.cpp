#include "posix/PosixFileSystem.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cctype>

#include "common/Text.h"
#include "posix/Cp1252.h"

namespace ostrel::posix {
namespace {

char Fold(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Windows' wildcard match of one name: '*' any run, '?' any one character,
// letters compared without case. (ASCII case folding covers the names we use.)
bool WildcardMatch(const std::string& pattern, const std::string& name) {
  std::size_t p = 0, n = 0, starP = std::string::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++p, ++n;
    } else if (starP != std::string::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

std::string NativePath(const String& path) {
  const Cp1252 codePage;
  String narrowed = codePage.FromAnsi(codePage.ToAnsi(path));
  for (Char& c : narrowed) {
    if (c == u'\\') c = u'/';
  }
  return Utf16ToUtf8(narrowed);
}

bool PosixFileSystem::FindFirstFile(const String& path) {
  const std::string native = NativePath(path);
  if (native.empty() || native.back() == '/') return false;

  const std::size_t slash = native.rfind('/');
  const std::string folder =
      slash == std::string::npos ? std::string(".") : native.substr(0, slash == 0 ? 1 : slash);
  const std::string last = slash == std::string::npos ? native : native.substr(slash + 1);
  if (last.empty()) return false;

  const bool wildcard = last.find_first_of("*?") != std::string::npos;
  struct stat info {};
  if (!wildcard && ::stat(native.c_str(), &info) == 0) return true;

  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return false;
  bool found = false;
  while (const dirent* entry = ::readdir(dir)) {
    if (WildcardMatch(last, entry->d_name)) {
      found = true;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

}  // namespace ostrel::posix

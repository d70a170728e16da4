// The VERSIONINFO resource that the server carries, read back with the version
// functions: it must hold the same values the About dialog shows natively. The
// test program carries the same resource script as the server.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "help/VersionInfo.h"
#include "win32/WindowsHeaders.h"

namespace {

TEST(VersionResource, MatchesTheSharedValues) {
  char path[MAX_PATH] = {};
  ASSERT_GT(::GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeA(path, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(::GetFileVersionInfoA(path, 0, size, data.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), OSTREL_VERSION_MAJOR);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), OSTREL_VERSION_MINOR);
  EXPECT_EQ(LOWORD(fixed->dwFileVersionLS), OSTREL_VERSION_REVISION);

  const std::pair<const char*, std::string> strings[] = {
      {"FileDescription", OSTREL_FILE_DESCRIPTION},
      {"LegalCopyright", OSTREL_LEGAL_COPYRIGHT},
      {"Comments", OSTREL_COMMENTS},
      {"FileVersion", OSTREL_VERSION_TEXT},
  };
  for (const auto& [name, expected] : strings) {
    char* value = nullptr;
    const std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
    ASSERT_TRUE(
        ::VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << name;
    EXPECT_EQ(std::string(value), expected) << name;
  }
}

}  // namespace

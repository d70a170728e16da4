// Starting another program from a path with spaces: the path is the program,
// never a command line Windows splits at the first space.
#include <gtest/gtest.h>

#include "win32/WindowsHeaders.h"

#include <string>

#include "host/HostError.h"
#include "win32/Win32Services.h"

namespace ostrel::test {
namespace {

TEST(Win32Shell, APathWithSpacesNeverStartsTheProgramBeforeTheSpace) {
  // A trap where an unquoted "C:\Program Files\..." is tried first.
  wchar_t system[MAX_PATH] = {};
  ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
  const std::wstring harmless = std::wstring(system) + L"\\hostname.exe";
  ASSERT_TRUE(::CopyFileW(harmless.c_str(), L"C:\\Program.exe", FALSE))
      << "cannot lay the trap, error " << ::GetLastError();
  win32::Win32Shell shell;
  // Under "C:\Program Files" nothing of that name exists: the start must fail
  // rather than run C:\Program.exe.
  EXPECT_THROW(shell.StartProgram(u"C:\\Program Files\\Ostrel Trap\\msinfo32.exe"),
               host::HostError);
  // A real program in a folder with spaces starts.
  ASSERT_TRUE(::CreateDirectoryW(L"C:\\Program Files\\Ostrel Trap", nullptr) ||
              ::GetLastError() == ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(::CopyFileW(harmless.c_str(), L"C:\\Program Files\\Ostrel Trap\\tool.exe", FALSE));
  EXPECT_NO_THROW(shell.StartProgram(u"C:\\Program Files\\Ostrel Trap\\tool.exe"));
  ::DeleteFileW(L"C:\\Program Files\\Ostrel Trap\\tool.exe");
  ::RemoveDirectoryW(L"C:\\Program Files\\Ostrel Trap");
  ::DeleteFileW(L"C:\\Program.exe");
}

}  // namespace
}  // namespace ostrel::test

// The Windows shell (ShellExecuteA): opening a document or an address with the
// program the user has chosen for it.
#pragma once

#include <cstdint>

#include "host/Handles.h"
#include "host/String.h"

namespace ostrel::host {

inline constexpr int kSwShowNormal = 1;

class Shell {
 public:
  virtual ~Shell() = default;

  // ShellExecuteA. The result is the shell's: above 32 for success. Texts are
  // converted to the ANSI code page at the call.
  virtual std::intptr_t ShellExecute(WindowHandle owner, const String& verb, const String& file,
                                     const String& parameters, const String& directory,
                                     int showCommand) = 0;

  // Starts a program in a normal window with the focus (Visual Basic's Shell
  // with vbNormalFocus). Throws HostError when it cannot be started.
  virtual void StartProgram(const String& path) = 0;
};

}  // namespace ostrel::host

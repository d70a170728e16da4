// What the add-in asks of the desktop, as Outlook's stand-in on Windows
// observes it from outside the add-in, the way Windows delivers it:
//  - a link opened through the shell reaches the program registered for web
//    addresses, which in a test prefix is this program (--open-link URL): it
//    hands the address to the running stand-in by WM_COPYDATA;
//  - a help viewer or other top-level window the add-in opens appears among
//    the process' windows.
#pragma once

#include "win32/WindowsHeaders.h"

#include <functional>
#include <set>
#include <string>

#include "host/String.h"

namespace ostrel::standin::com {

class DesktopWatch {
 public:
  using Output = std::function<void(const std::string& line)>;
  explicit DesktopWatch(Output output);
  ~DesktopWatch();
  DesktopWatch(const DesktopWatch&) = delete;
  DesktopWatch& operator=(const DesktopWatch&) = delete;

  // After each action, on the thread that made this: waits for the link
  // handlers the action started, printing each address they report as "link
  // opened: URL", then prints "window opened: <class> "<title>"" for each new
  // top-level window of the thread that is neither the add-in's dialog nor a
  // message box (those are the dialog driver's).
  void Settle();

  // This program as the current user's handler of http and https addresses.
  // For test prefixes only: on a real Windows it would take the user's browser's
  // place. False, with the reason, when the registry refuses.
  static bool RegisterAsLinkHandler(std::string* problem);
  // The handler's side: hands `url` to the running stand-in. The exit code.
  static int ReportLink(const String& url);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  std::set<DWORD> HandlerProcesses() const;
  std::set<HWND> TopLevelWindows() const;

  Output output_;
  HWND window_ = nullptr;
  HANDLE job_ = nullptr;
  std::set<HWND> windows_;
};

}  // namespace ostrel::standin::com

// Outlook's main window as the Windows stand-in draws it: the Home tab of the
// ribbon with the groups the add-ins gave it, each control with the label and
// picture its callbacks answered, so that a screenshot shows what a user of
// Outlook 2010 and later gets. It is only drawn; scripts click the controls
// by their ids.
#pragma once

#include "win32/WindowsHeaders.h"

#include <vector>

#include "outlook/AddInRibbon.h"

namespace ostrel::standin::com {

class ExplorerWindow {
 public:
  // On Outlook's thread, which draws the window.
  ExplorerWindow();
  ~ExplorerWindow();
  ExplorerWindow(const ExplorerWindow&) = delete;
  ExplorerWindow& operator=(const ExplorerWindow&) = delete;

  // Shown with these groups while an explorer is open, hidden when none is.
  void Update(bool explorerOpen, std::vector<AddInRibbon::Group> groups);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc) const;

  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  std::vector<AddInRibbon::Group> groups_;
};

}  // namespace ostrel::standin::com

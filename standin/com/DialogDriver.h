// Drives the add-in's dialogs the way a person does, on the real windows: a
// click, typing, a choice in a list, Tab, the close box, answering a message
// box, and `show`, which prints what the windows show, read back from them.
// Controls are found by the names the view puts on their windows. Input arrives
// as it does from a mouse and keyboard: messages posted to the control a person
// would touch, taken off the queue by the host's own message loop.
//
// The driver is made on the thread of the dialogs' windows (it keeps a window
// there to learn when that thread has handled what was posted), and every other
// call comes from another thread: a message box runs a loop of its own on the
// dialogs' thread, and only from outside can it be answered.
#pragma once

#include <functional>
#include <stdexcept>
#include <string>

#include "host/String.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::standin::com {

// An action that cannot be carried out (no such control or dialog, a hidden or
// disabled control, a message box in the way).
class DriverError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class DialogDriver {
 public:
  using Output = std::function<void(const std::string& line)>;
  explicit DialogDriver(Output output, DWORD timeoutMs = 10000);
  // On the dialogs' thread, like the constructor.
  ~DialogDriver();
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  void Click(const std::string& control);
  void Type(const std::string& control, const String& text);
  void Select(const std::string& control, int position);
  void Tab();
  // The close box of the dialog in front.
  void Close();
  // False when no dialog is open (the caller may show the toolbar instead).
  bool Show();
  void Answer(const std::string& button);

  // Waits until the dialogs' thread has handled everything posted to it so far,
  // or has entered a message box's loop.
  void Settle();
  // The dialog window in front; nullptr when none is open.
  HWND FrontDialog() const;
  // The message box up on the dialogs' thread; nullptr when there is none.
  HWND MessageBoxUp() const;
  // The control window of the front dialog with that name; nullptr when none.
  HWND FindControl(HWND dialog, const std::string& name) const;
  // The control holding the dialog's focus (also while a message box is up).
  HWND FocusOf(HWND dialog) const;

 private:
  static LRESULT CALLBACK MarkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND RequireFront() const;
  HWND RequireControl(HWND dialog, const std::string& name, const std::string& what) const;
  void RequireNoMessageBox() const;
  void PostClick(HWND control, bool upperHalf = false) const;
  void PostKey(HWND window, UINT key) const;
  // Prints that the action was refused when a message box came up while the
  // focus stayed where it was.
  void Report(const std::string& what, HWND dialog, HWND target, HWND focusBefore);
  std::string Describe(HWND control) const;

  Output out_;
  DWORD timeout_;
  DWORD thread_;
  HWND marker_ = nullptr;
  HANDLE handled_ = nullptr;
};

}  // namespace ostrel::standin::com

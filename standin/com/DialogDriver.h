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
#include <vector>

#include "host/String.h"
#include "script/DialogDriver.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::standin::com {

// The dialogs' thread does not answer.
class DriverError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Whether a control shows all of its text: what the text needs, measured with
// the control's own font and drawn as the control draws it (DrawText with
// DT_CALCRECT, word-wrapped where the control wraps), against the room it has.
// Empty when it fits, else "needs WxH, has WxH". Boxes and lists, which
// scroll, always fit.
std::string ClippedText(HWND control);

class WindowDialogDriver final : public DialogDriver {
 public:
  explicit WindowDialogDriver(DWORD timeoutMs = 10000);
  // On the dialogs' thread, like the constructor.
  ~WindowDialogDriver() override;
  WindowDialogDriver(const WindowDialogDriver&) = delete;
  WindowDialogDriver& operator=(const WindowDialogDriver&) = delete;

  std::optional<std::string> ActiveDialog() override;
  bool HasControl(const std::string& control) override;
  DialogOutcome Click(const std::string& control) override;
  DialogOutcome Type(const std::string& control, const std::string& text) override;
  DialogOutcome Select(const std::string& control, int position) override;
  DialogOutcome Tab() override;
  // The close box of the dialog in front.
  DialogOutcome Close() override;
  // What the windows show, read back from them.
  std::vector<std::string> Show() override;
  std::optional<ShownMessageBox> MessageBox() override;
  bool AnswerMessageBox(const std::string& button) override;

  // Waits until the dialogs' thread has handled everything posted to it so far,
  // or has entered a message box's loop.
  void Settle();
  // The dialog window in front; nullptr when none is open.
  HWND FrontDialog() const;
  // The message box up on the dialogs' thread; nullptr when there is none. A
  // box seen for the first time is told to the listener, as the Linux
  // stand-in tells each box it records: "message-box "<caption>": <text>".
  HWND MessageBoxUp() const;
  void SetListener(std::function<void(const std::string&)> listener) {
    listener_ = std::move(listener);
  }
  // The control window of the front dialog with that name; nullptr when none.
  HWND FindControl(HWND dialog, const std::string& name) const;
  // The control holding the dialog's focus (also while a message box is up).
  HWND FocusOf(HWND dialog) const;

 private:
  static LRESULT CALLBACK MarkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The control of the front dialog a person can act on, or why there is none.
  DialogOutcome Reach(const std::string& name, HWND* dialog, HWND* control) const;
  void PostClick(HWND control, bool upperHalf = false) const;
  void PostKey(HWND window, UINT key) const;
  // Refused when a message box came up while the focus stayed where it was.
  DialogOutcome Outcome(HWND dialog, HWND target, HWND focusBefore) const;
  std::string Describe(HWND control) const;

  DWORD timeout_;
  DWORD thread_;
  HWND marker_ = nullptr;
  HANDLE handled_ = nullptr;
  std::function<void(const std::string&)> listener_;
  mutable HWND told_ = nullptr;
};

}  // namespace ostrel::standin::com

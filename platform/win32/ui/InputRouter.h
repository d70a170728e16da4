// What the user does to a dialog's windows, turned into the model's user
// actions (Input.cpp), and the dialog's keyboard inside the host's message
// loop (KeyboardHook.cpp): a press on a control asks the model for the focus
// first, the controls' notifications become clicks, typing and selections,
// dialog keys become the model's moves, and after each action every window of
// the view is brought in line with the model.
#pragma once

#include <functional>

#include "host/ui/Dialog.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::win32::view {

class DialogWindow;

// Messages the view posts or turns keys into; they reach the dialog's own
// procedure through the host's dispatch, outside any hook.
inline constexpr UINT kSyncMessage = WM_APP + 0x31;  // bring the windows in line
inline constexpr UINT kKeyMessage = WM_APP + 0x32;   // a dialog key: wParam KeyAction, lParam index
inline constexpr UINT kFocusArrived = WM_APP + 0x33;  // a control got the focus by itself

enum class KeyAction : WPARAM {
  TabForward,
  TabBack,
  Mnemonic,  // the control whose caption has the pressed accelerator
  Press,     // Enter on the focused button
  OptionNext,
  OptionPrevious,
  SpinUp,
  SpinDown,
};

class InputRouter {
 public:
  explicit InputRouter(DialogWindow& window) : window_(window) {}
  InputRouter(const InputRouter&) = delete;
  InputRouter& operator=(const InputRouter&) = delete;

  // The procedures of the dialog window, of each control's window (a
  // subclass, its data the DialogWindow) and of a frame's window, which holds
  // the frame's controls and hands their notifications on to the dialog.
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);
  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  // Runs one user action on the model and brings every window in line.
  ui::Outcome Act(const std::function<ui::Outcome()>& action, bool keyboard);
  // Something thrown was stopped at one of the window's doors: the dialog's
  // owner reports it.
  void Failed();

  // A keyboard message for this dialog, before the host dispatches it: dialog
  // keys become kKeyMessage, the rest go through IsDialogMessage.
  void PreTranslate(MSG& message);

 private:
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnCommand(int id, int code, HWND control);
  // False swallows the button press (a refused validation, a spinner's arrow).
  bool OnMouseDown(ui::Control& control, HWND window, LPARAM point);
  void OnKey(KeyAction action, std::size_t index);
  void OnActivated();
  HBRUSH Background(HDC dc, HWND control);

  DialogWindow& window_;
};

// The thread's keyboard hook, shared by every dialog window of the thread:
// installed with the first, removed with the last.
void HookKeyboard();
void UnhookKeyboard();

}  // namespace ostrel::win32::view

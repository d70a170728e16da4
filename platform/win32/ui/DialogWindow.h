// One dialog's window and its controls' windows, as the view keeps them. Split
// by concern: Layout.cpp builds the windows and places them, Sync.cpp brings them
// in line with the model, Input.cpp turns what the user does into user actions,
// KeyboardHook.cpp gives the dialog its keyboard inside the host's message loop.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "host/ui/Dialog.h"
#include "win32/Owned.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::win32::view {

class DialogViews;

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

// A rectangle in twips, relative to the dialog's client area.
struct TwipRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Marks a window set as being brought in line with its model for one scope, so
// that what Windows reports back meanwhile is not taken for the user's doing;
// the mark is restored however the scope ends.
// The window property that leads from a dialog window to its view object.
extern const wchar_t kViewObject[];

class SyncScope {
 public:
  explicit SyncScope(bool& syncing) : syncing_(syncing), was_(syncing) { syncing_ = true; }
  ~SyncScope() { syncing_ = was_; }
  SyncScope(const SyncScope&) = delete;
  SyncScope& operator=(const SyncScope&) = delete;

 private:
  bool& syncing_;
  bool was_;
};

class DialogWindow {
 public:
  DialogWindow(DialogViews& views, ui::Dialog& dialog, HWND owner);
  ~DialogWindow();
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  // The view's window of any window inside one of its dialogs; nullptr for others.
  static DialogWindow* Of(HWND window);

  HWND hwnd() const { return hwnd_; }
  // The dialog shown; nullptr once it has gone.
  ui::Dialog* model() const { return model_; }
  HWND ControlWindow(const ui::Control& control) const;
  // The model control of one of the control windows; nullptr for other windows.
  ui::Control* ControlOf(HWND window) const;
  // The control's place in the dialog's collection.
  std::size_t IndexOf(const ui::Control& control) const;

  // Ask for the window to come forward (or show first) at the next sync.
  void Raise() { raise_ = true; }
  // Destroys the windows; the object stays until the view lets it go.
  void Destroy();

  // ---- Layout.cpp ----
  TwipRect Absolute(const ui::Control& control) const;
  // In pixels, from the dialog's client area.
  RECT DialogPixels(const ui::Control& control) const;
  // In pixels, from the client area of the window that holds the control: its
  // frame's (frames hold their controls as windows do), or the dialog's.
  RECT PixelRect(const ui::Control& control) const;
  HWND ParentOf(const ui::Control& control) const;
  int Pixels(int twips) const { return ::MulDiv(twips, dpi_, 1440); }
  // The client size the model asks for, grown to hold every control.
  SIZE ClientSize() const;
  void PlaceDialog(bool firstTime);

  // ---- Sync.cpp ----
  // applyVisibility false leaves a dialog that is not yet on the screen hidden
  // (a dialog shown and unloaded within one event never appears).
  void Sync(bool applyVisibility, bool keyboardFocus);
  void SyncFocus(bool keyboard);

  // ---- Input.cpp ----
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR self);
  // The window of a frame: it holds the frame's controls and hands their
  // notifications on to the dialog.
  static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Runs one user action on the model and brings every window in line.
  ui::Outcome Act(const std::function<ui::Outcome()>& action, bool keyboard);
  // Something thrown was stopped at one of the window's doors: the dialog's
  // owner reports it.
  void Failed();

  // ---- KeyboardHook.cpp ----
  // A keyboard message for this dialog, before the host dispatches it: dialog
  // keys become kKeyMessage, the rest go through IsDialogMessage.
  void PreTranslate(MSG& message);

 private:
  // What a control's window was last given, so a sync touches only what the
  // model changed: under Wine each window call is a trip to the server.
  // User input that changes a window (typing, choosing in a list) updates it.
  struct Given {
    bool visible = false;
    bool enabled = true;
    RECT rect{};
    std::wstring text;
    LRESULT check = BST_UNCHECKED;
    std::vector<String> items;
    int listIndex = -1;
    HBITMAP bitmap = nullptr;
    int low = -1;
    int high = -1;
    HWND parent = nullptr;
    bool border = false;
  };

  // Layout.cpp
  void Build(HWND owner);
  // Makes the windows of the controls shown for the first time.
  void MakeShownWindows();
  HWND CreateControl(const ui::Control& control, int id);
  HFONT FontFor(const ui::Control& control);
  HBITMAP BitmapFor(const host::PicturePtr& picture);
  // Whether the bitmap is one of the window set's own.
  bool OwnsBitmap(HBITMAP bitmap) const;
  // Sync.cpp
  void SyncControl(const ui::Control& control, std::size_t index);
  // Input.cpp
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnCommand(int id, int code, HWND control);
  // False swallows the button press (a refused validation, a spinner's arrow).
  bool OnMouseDown(ui::Control& control, HWND window, LPARAM point);
  void OnKey(KeyAction action, std::size_t index);
  void OnActivated();
  HBRUSH Background(HDC dc, HWND control);

  DialogViews& views_;
  ui::Dialog* model_;
  HWND hwnd_ = nullptr;
  int dpi_;
  std::vector<HWND> controls_;
  // A frame's border and caption: a group box inside the frame's window.
  std::vector<HWND> groupBoxes_;
  std::vector<Given> given_;
  std::wstring givenCaption_;
  bool givenEnabled_ = true;
  host::IconHandle givenIcon_ = host::IconHandle::None;
  LOGFONTW baseFont_{};
  OwnedFont dialogFont_;
  // Fonts made for controls; an empty one where the font could not be made
  // and the dialog font stands in.
  std::map<std::tuple<std::wstring, int, bool>, OwnedFont> fonts_;
  // Pictures scaled to the layout's DPI; the pictures are kept alive with them.
  std::map<const host::Picture*, std::pair<host::PicturePtr, OwnedBitmap>> bitmaps_;
  ui::Rect placedRect_;
  bool raise_ = false;
  bool syncing_ = false;
  bool hooked_ = false;
};

// The thread's keyboard hook, shared by every dialog window of the thread:
// installed with the first, removed with the last.
void HookKeyboard();
void UnhookKeyboard();

}  // namespace ostrel::win32::view

// One dialog's set of windows: the dialog window and its controls' windows, as
// the view keeps them. Layout.cpp makes the windows and places them where the
// layout plan (LayoutPlan.h) puts them, Sync.cpp brings them in line with the
// model; what the user does to them goes through the input router
// (InputRouter.h).
#pragma once

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "host/ui/Dialog.h"
#include "win32/Owned.h"
#include "win32/WindowsHeaders.h"
#include "win32/ui/InputRouter.h"
#include "win32/ui/LayoutPlan.h"

namespace ostrel::win32::view {

class DialogViews;

// The window property that leads from a dialog window to its view object.
extern const wchar_t kViewObject[];

// Marks a window set as being brought in line with its model for one scope, so
// that what Windows reports back meanwhile is not taken for the user's doing;
// the mark is restored however the scope ends.
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
  DialogViews& views() const { return views_; }
  const LayoutPlan& plan() const { return plan_; }
  InputRouter& input() { return input_; }

  HWND ControlWindow(const ui::Control& control) const;
  // The window of the control at index in the dialog's collection; nullptr
  // while it has none.
  HWND ControlWindow(std::size_t index) const;
  // The model control of one of the control windows; nullptr for other windows.
  ui::Control* ControlOf(HWND window) const;
  // The control's place in the dialog's collection.
  std::size_t IndexOf(const ui::Control& control) const;
  // What the user typed into a box, or chose in a list, is what its window
  // now shows: a sync leaves it as it is.
  void NoteTyped(std::size_t index, const String& text);
  void NoteChosen(std::size_t index, int position);

  // Whether the windows are being brought in line with the model now, and the
  // mark that says so for a scope.
  bool syncing() const { return syncing_; }
  bool& syncingFlag() { return syncing_; }

  // Ask for the window to come forward (or show first) at the next sync.
  void Raise() { raise_ = true; }
  // Destroys the windows; the object stays until the view lets it go.
  void Destroy();
  // The dialog window is being made (WM_INITDIALOG): its handle, before
  // CreateDialogIndirectParam returns it.
  void Attached(HWND window) { hwnd_ = window; }
  // The dialog window is going (WM_DESTROY): what the set put on it goes.
  void Detaching();
  // It has gone (WM_NCDESTROY), also when Windows destroyed it with its owner
  // (an explorer closed): no later call gets the dead handles, and a dialog
  // still shown gets a new window under the window that stays.
  void Detached();

  // In pixels, from the client area of the window that holds the control: its
  // frame's (frames hold their controls as windows do), or the dialog's.
  RECT PixelRect(const ui::Control& control) const;
  HWND ParentOf(const ui::Control& control) const;
  void PlaceDialog(bool firstTime);

  // applyVisibility false leaves a dialog that is not yet on the screen hidden
  // (a dialog shown and unloaded within one event never appears).
  void Sync(bool applyVisibility, bool keyboardFocus);
  void SyncFocus(bool keyboard);

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

  DialogViews& views_;
  ui::Dialog* model_;
  LayoutPlan plan_;
  InputRouter input_{*this};
  HWND hwnd_ = nullptr;
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

}  // namespace ostrel::win32::view

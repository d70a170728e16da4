#include "win32/ui/DialogViews.h"

#include <algorithm>

#include "win32/Win32Handles.h"
#include "win32/ui/DialogWindow.h"

namespace ostrel::win32::view {

DialogViews::Entry::Entry(DialogViews& views) : outer_(), views_(views) {
  ++views_.depth_;
}

DialogViews::Entry::~Entry() {
  if (--views_.depth_ == 0)
    views_.retired_.clear();
}

DialogViews::DialogViews(ViewOptions options) : dpi_(options.dpi) {
  if (dpi_ <= 0) {
    const HDC screen = ::GetDC(nullptr);
    dpi_ = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
  }
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&classes);
}

DialogViews::~DialogViews() {
  Entry entry(*this);
  for (auto& window : windows_)
    if (ui::Dialog* dialog = window->model())
      dialog->hWnd = host::WindowHandle::None;
  windows_.clear();
}

DialogWindow* DialogViews::WindowObject(const ui::Dialog& dialog) const {
  for (const auto& window : windows_)
    if (window->model() == &dialog && window->hwnd() != nullptr)
      return window.get();
  return nullptr;
}

host::WindowHandle DialogViews::WindowOf(const ui::Dialog& dialog) const {
  const DialogWindow* window = WindowObject(dialog);
  return FromHwnd(window != nullptr ? window->hwnd() : nullptr);
}

host::WindowHandle DialogViews::WindowOf(const ui::Control& control) const {
  const DialogWindow* window = WindowObject(control.dialog());
  return FromHwnd(window != nullptr ? window->ControlWindow(control) : nullptr);
}

void DialogViews::Show(ui::Dialog& dialog) {
  Entry entry(*this);
  // A window Windows destroyed on its own (with its owner) is made anew.
  for (auto& window : windows_)
    if (window->model() == &dialog && window->hwnd() == nullptr)
      retired_.push_back(std::move(window));
  std::erase(windows_, nullptr);

  DialogWindow* window = WindowObject(dialog);
  if (window == nullptr) {
    HWND owner = nullptr;
    if (dialog.modalOwner != nullptr) {
      if (const DialogWindow* over = WindowObject(*dialog.modalOwner))
        owner = over->hwnd();
    } else if (owner_ != host::WindowHandle::None) {
      owner = ToHwnd(owner_);
    } else if (const HWND active = ::GetActiveWindow(); active != nullptr) {
      // The window the user worked in (Outlook's), or what owns the dialog that
      // was active.
      const DialogWindow* ours = DialogWindow::Of(active);
      owner = ours != nullptr ? ::GetWindow(active, GW_OWNER) : active;
    }
    windows_.push_back(std::make_unique<DialogWindow>(*this, dialog, owner));
    window = windows_.back().get();
    dialog.hWnd = FromHwnd(window->hwnd());
  }
  window->Raise();
  // The windows show what the model holds; the window itself appears when the
  // event that showed it is over, so a dialog unloaded in the same event never
  // flashes on the screen.
  window->Sync(false, false);
  ::PostMessageW(window->hwnd(), kSyncMessage, 0, 0);
}

void DialogViews::Close(ui::Dialog& dialog) {
  Entry entry(*this);
  for (auto& window : windows_) {
    if (window->model() != &dialog)
      continue;
    const HWND hwnd = window->hwnd();
    dialog.hWnd = host::WindowHandle::None;
    // A modal dialog gives its owner back its input before it goes, so the
    // owner is what Windows activates next.
    const HWND owner = hwnd != nullptr ? ::GetWindow(hwnd, GW_OWNER) : nullptr;
    if (DialogWindow* over = DialogWindow::Of(owner); over != nullptr && over != window.get())
      over->Sync(false, false);
    window->Destroy();
    retired_.push_back(std::move(window));
  }
  std::erase(windows_, nullptr);
}

void DialogViews::SyncAll(bool keyboardFocus) {
  Entry entry(*this);

  // Syncing may show a window and so dispatch; the list is walked by position.
  for (std::size_t i = 0; i < windows_.size(); ++i)
    if (windows_[i] != nullptr)
      windows_[i]->Sync(true, keyboardFocus);
}

}  // namespace ostrel::win32::view

#include "win32/ui/DialogViews.h"

#include <algorithm>

#include "win32/Win32Handles.h"
#include "win32/ui/DialogWindow.h"

namespace ostrel::win32::view {

namespace {

constexpr UINT kRemake = WM_APP + 0x34;

LRESULT CALLBACK RemakeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR views) {
  if (message == kRemake) {
    Guarded([views] { reinterpret_cast<DialogViews*>(views)->RemakeOrphans(); }, [] {});
    return 0;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

DialogViews::Entry::Entry(DialogViews& views) : outer_(), views_(views) {
  ++views_.depth_;
}

DialogViews::Entry::~Entry() {
  if (--views_.depth_ == 0)
    views_.retired_.clear();
}

int ScreenDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = screen != nullptr ? ::GetDeviceCaps(screen, LOGPIXELSY) : 0;
  if (screen != nullptr)
    ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

DialogViews::DialogViews(ViewOptions options) : dpi_(options.dpi) {
  if (dpi_ <= 0)
    dpi_ = ScreenDpi();
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_UPDOWN_CLASS | ICC_TAB_CLASSES};
  ::InitCommonControlsEx(&classes);
}

DialogViews::~DialogViews() {
  Entry entry(*this);
  if (remaker_ != nullptr) {
    ::RemoveWindowSubclass(static_cast<HWND>(remaker_), &RemakeProc, 0);
    ::DestroyWindow(static_cast<HWND>(remaker_));
  }
  for (auto& window : windows_)
    if (ui::Dialog* dialog = window->model())
      dialog->hWnd = host::WindowHandle::None;
  windows_.clear();
}

void DialogViews::Orphaned(ui::Dialog& dialog) {
  dialog.hWnd = host::WindowHandle::None;
  if (remaker_ == nullptr) {
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                          nullptr, nullptr);
    if (window == nullptr)
      return;
    ::SetWindowSubclass(window, &RemakeProc, 0, reinterpret_cast<DWORD_PTR>(this));
    remaker_ = window;
  }
  orphans_.push_back(&dialog);
  ::PostMessageW(static_cast<HWND>(remaker_), kRemake, 0, 0);
}

void DialogViews::RemakeOrphans() {
  Entry entry(*this);
  std::vector<ui::Dialog*> orphans;
  orphans.swap(orphans_);
  for (ui::Dialog* dialog : orphans) {
    // Only a dialog the view still keeps (without a window) is looked at: one
    // closed meanwhile may be gone.
    const bool kept = std::any_of(windows_.begin(), windows_.end(), [&](const auto& window) {
      return window->model() == dialog && window->hwnd() == nullptr;
    });
    if (kept && dialog->visible && !dialog->Unloaded()) {
      Show(*dialog);
      SyncAll();
    }
  }
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
    } else if (owner_ != host::WindowHandle::None && ::IsWindow(ToHwnd(owner_))) {
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

// Building a dialog's windows from the model: the dialog window, one standard
// control per model control, placed where the layout plan puts them, with the
// fonts the model names or the system's dialog font.
#include <algorithm>

#include "host/HostError.h"
#include "win32/ModuleFile.h"
#include "win32/WideText.h"
#include "win32/ui/ControlNames.h"
#include "win32/ui/DialogViews.h"
#include "win32/ui/DialogWindow.h"

namespace ostrel::win32::view {

using ui::Kind;

const wchar_t kViewObject[] = L"Ostrel.View";

namespace {

constexpr wchar_t kFrameClass[] = L"OstrelFrame";

bool frameClassRegistered = false;

const wchar_t* FrameClass() {
  if (!frameClassRegistered) {
    WNDCLASSW type{};
    type.lpfnWndProc = &InputRouter::FrameProc;
    type.hInstance = ThisModule();
    type.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    type.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    type.lpszClassName = kFrameClass;
    frameClassRegistered = ::RegisterClassW(&type) != 0;
    if (!frameClassRegistered && ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
      // Left by an earlier load of this module that was not unregistered: its
      // procedure may point into the old image, so the class is made anew.
      ::UnregisterClassW(kFrameClass, type.hInstance);
      frameClassRegistered =
          ::RegisterClassW(&type) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
  }
  return frameClassRegistered ? kFrameClass : L"STATIC";
}

// The dialogs follow the system's DPI whatever Outlook's own DPI awareness
// (Outlook 2016 and later run per-monitor aware): their windows are made while
// the thread is system aware, and a window keeps the awareness it was made
// with. SetThreadDpiAwarenessContext came with Windows 10 1607, so it is
// looked up; before it, the thread has the process's awareness, which is the
// system's. The previous context is put back.
// https://learn.microsoft.com/windows/win32/api/winuser/nf-winuser-setthreaddpiawarenesscontext
class SystemDpiAwareScope {
 public:
  SystemDpiAwareScope() {
    if (const Setter set = Find())
      previous_ = set(kSystemAware);
  }
  ~SystemDpiAwareScope() {
    if (previous_ != nullptr)
      Find()(previous_);
  }
  SystemDpiAwareScope(const SystemDpiAwareScope&) = delete;
  SystemDpiAwareScope& operator=(const SystemDpiAwareScope&) = delete;

 private:
  // DPI_AWARENESS_CONTEXT, a handle; DPI_AWARENESS_CONTEXT_SYSTEM_AWARE is -2.
  using Context = HANDLE;
  using Setter = Context(WINAPI*)(Context);
  static inline const Context kSystemAware = reinterpret_cast<Context>(static_cast<INT_PTR>(-2));

  static Setter Find() {
    static const Setter found = [] {
      const FARPROC proc =
          ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext");
      // Through void(*)(), the one function type any other converts to silently.
      return reinterpret_cast<Setter>(reinterpret_cast<void (*)()>(proc));
    }();
    return found;
  }

  Context previous_ = nullptr;
};

// The module's own Common Controls 6 activation context, from its manifest
// (resource 2). A DLL's manifest is not its host's: the dialogs get version 6
// controls, as the rest of Outlook has them, only when their windows are made
// while the context is active. A module without the resource (or a system
// without side-by-side assemblies) makes its windows as the host would.
// https://learn.microsoft.com/windows/win32/sbscs/isolating-components
HANDLE controlsContext = INVALID_HANDLE_VALUE;
bool controlsContextTried = false;

class ControlsContextScope {
 public:
  ControlsContextScope() {
    if (!controlsContextTried) {
      controlsContextTried = true;
      ACTCTXW request{};
      request.cbSize = sizeof request;
      request.dwFlags = ACTCTX_FLAG_HMODULE_VALID | ACTCTX_FLAG_RESOURCE_NAME_VALID;
      request.hModule = ThisModule();
      request.lpResourceName = MAKEINTRESOURCEW(2);
      controlsContext = ::CreateActCtxW(&request);
    }
    if (controlsContext != INVALID_HANDLE_VALUE && !::ActivateActCtx(controlsContext, &cookie_))
      cookie_ = 0;
  }
  ~ControlsContextScope() {
    if (cookie_ != 0)
      ::DeactivateActCtx(0, cookie_);
  }
  ControlsContextScope(const ControlsContextScope&) = delete;
  ControlsContextScope& operator=(const ControlsContextScope&) = delete;

 private:
  ULONG_PTR cookie_ = 0;
};

struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD exStyle;
};

ControlClass ClassOf(const ui::Control& c) {
  // WS_CLIPSIBLINGS everywhere: a frame or shape never paints over the controls
  // that lie on it, which sit above it in the Z order.
  switch (c.kind()) {
    case Kind::Frame:
    case Kind::TabStrip:
      // A page of the wizard shows and hides all its controls with one window.
      return {FrameClass(), WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
    case Kind::Label:
      return {L"STATIC", SS_LEFT | SS_NOTIFY, 0};
    case Kind::TextBox:
    case Kind::MaskedEdit: {
      DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
      if (c.multiLine) {
        style = WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
        if (c.verticalScrollBar)
          style |= WS_VSCROLL;
      }
      return {L"EDIT", style, c.border ? static_cast<DWORD>(WS_EX_CLIENTEDGE) : 0u};
    }
    case Kind::CheckBox:
      // Not automatic: the model decides the state, the view shows it.
      return {L"BUTTON", WS_TABSTOP | BS_3STATE, 0};
    case Kind::OptionButton:
      // A button's text is what Active Accessibility names it by; BS_BITMAP
      // keeps the name of an option shown as a picture off the screen:
      // https://learn.microsoft.com/windows/win32/controls/button-styles
      return {L"BUTTON",
              WS_TABSTOP | BS_RADIOBUTTON |
                  (c.Caption().empty() && !c.accessibleName.empty() ? DWORD{BS_BITMAP} : 0u),
              0};
    case Kind::ComboBox:
      return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case Kind::CommandButton:
      return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
    case Kind::PictureBox:
      return {L"STATIC", SS_BITMAP | SS_CENTERIMAGE | SS_NOTIFY,
              c.border ? static_cast<DWORD>(WS_EX_STATICEDGE) : 0u};
    case Kind::Image:
      return {L"STATIC", SS_BITMAP | SS_CENTERIMAGE | SS_NOTIFY, 0};
    case Kind::Shape:
      return {L"STATIC", SS_WHITERECT, 0};
    case Kind::Line:
      return {L"STATIC", static_cast<DWORD>(c.rect.width == 0 ? SS_ETCHEDVERT : SS_ETCHEDHORZ), 0};
    case Kind::UpDown:
      return {UPDOWN_CLASSW, 0, 0};
  }
  return {L"STATIC", 0, 0};
}

}  // namespace

void UnregisterWindowClasses() {
  if (frameClassRegistered && ::UnregisterClassW(kFrameClass, ThisModule()))
    frameClassRegistered = false;
  if (controlsContext != INVALID_HANDLE_VALUE)
    ::ReleaseActCtx(controlsContext);
  controlsContext = INVALID_HANDLE_VALUE;
  controlsContextTried = false;
}

DialogWindow::DialogWindow(DialogViews& views, ui::Dialog& dialog, HWND owner)
    : views_(views), model_(&dialog), plan_(views.Dpi()) {
  Build(owner);
}

DialogWindow::~DialogWindow() {
  Destroy();
}

DialogWindow* DialogWindow::Of(HWND window) {
  if (window == nullptr)
    return nullptr;
  const HWND root = ::GetAncestor(window, GA_ROOT);
  if (root == nullptr || ::GetWindowLongPtrW(root, DWLP_DLGPROC) !=
                             reinterpret_cast<LONG_PTR>(&InputRouter::DialogProc))
    return nullptr;
  return static_cast<DialogWindow*>(::GetPropW(root, kViewObject));
}

HWND DialogWindow::ControlWindow(const ui::Control& control) const {
  if (model_ == nullptr || &control.dialog() != model_)
    return nullptr;
  return ControlWindow(IndexOf(control));
}

HWND DialogWindow::ControlWindow(std::size_t index) const {
  return index < controls_.size() ? controls_[index] : nullptr;
}

void DialogWindow::NoteTyped(std::size_t index, const String& text) {
  if (index < given_.size())
    given_[index].text.assign(text.begin(), text.end());
}

void DialogWindow::NoteChosen(std::size_t index, int position) {
  if (index < given_.size())
    given_[index].listIndex = position;
}

void DialogWindow::Detaching() {
  ::RemovePropW(hwnd_, kHeldFocus);
  ::RemovePropW(hwnd_, kViewObject);
  RemoveTextProperty(hwnd_, kDialogName);
  if (hooked_) {
    UnhookKeyboard();
    hooked_ = false;
  }
}

void DialogWindow::Detached() {
  hwnd_ = nullptr;
  controls_.clear();
  if (model_ != nullptr)
    views_.Orphaned(*model_);
}

std::size_t DialogWindow::IndexOf(const ui::Control& control) const {
  const auto& all = control.dialog().Controls();
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i].get() == &control)
      return i;
  return all.size();
}

ui::Control* DialogWindow::ControlOf(HWND window) const {
  if (model_ == nullptr || window == nullptr || !::IsChild(hwnd_, window))
    return nullptr;
  const int index = ::GetDlgCtrlID(window) - kFirstControlId;
  if (index < 0 || static_cast<std::size_t>(index) >= controls_.size() ||
      controls_[static_cast<std::size_t>(index)] != window)
    return nullptr;
  return model_->Controls()[static_cast<std::size_t>(index)].get();
}

void DialogWindow::Build(HWND owner) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  baseFont_ = metrics.lfMessageFont;
  // The system's font is measured at the screen's DPI; the layout's may differ.
  baseFont_.lfHeight = ::MulDiv(baseFont_.lfHeight, plan_.dpi(), ScreenDpi());
  dialogFont_.Reset(::CreateFontIndirectW(&baseFont_));

  // An empty dialog template: the controls are made one by one below, so the
  // window is a real dialog (#32770) with the dialog manager's keyboard and
  // focus handling available to IsDialogMessage.
  struct alignas(4) {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
  } empty{};
  empty.dialog.style = kDialogStyle;
  const HINSTANCE module = ThisModule();
  const SystemDpiAwareScope systemDpi;
  const ControlsContextScope controls;
  hwnd_ = ::CreateDialogIndirectParamW(module, &empty.dialog, owner, &InputRouter::DialogProc,
                                       reinterpret_cast<LPARAM>(this));
  if (hwnd_ == nullptr) {
    const DWORD error = ::GetLastError();
    throw host::HostError(static_cast<long>(error),
                          "Cannot create the window of the dialog: error " + std::to_string(error));
  }
  ::SetPropW(hwnd_, kViewObject, this);
  SetTextProperty(hwnd_, kDialogName, WideString(model_->name()));
  HookKeyboard();
  hooked_ = true;

  const auto& all = model_->Controls();
  controls_.resize(all.size());
  groupBoxes_.resize(all.size());
  given_.resize(all.size());
  MakeShownWindows();
  PlaceDialog(true);
}

void DialogWindow::MakeShownWindows() {
  // A control's window is made when the control is first shown: the wizard's
  // hidden pages hold hundreds of controls, and under Wine each window costs
  // about a millisecond to make. A container comes before what it holds, so
  // its window is there.
  const SystemDpiAwareScope systemDpi;
  const ControlsContextScope controls;
  const auto& all = model_->Controls();
  for (std::size_t i = 0; i < all.size() && i < controls_.size(); ++i) {
    if (controls_[i] != nullptr || !all[i]->IsShown())
      continue;
    given_[i] = Given{};
    given_[i].parent = ParentOf(*all[i]);
    given_[i].rect = PixelRect(*all[i]);
    controls_[i] = CreateControl(*all[i], kFirstControlId + static_cast<int>(i));
    if (controls_[i] == nullptr)
      continue;
    if (all[i]->kind() == Kind::Frame) {
      groupBoxes_[i] = ::CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | BS_GROUPBOX, 0, 0,
                                         given_[i].rect.right - given_[i].rect.left,
                                         given_[i].rect.bottom - given_[i].rect.top, controls_[i],
                                         nullptr, ThisModule(), nullptr);
      if (groupBoxes_[i] != nullptr)
        ::SendMessageW(groupBoxes_[i], WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(*all[i])),
                       FALSE);
    }
    // Later controls lie on top of earlier ones, as controls lie on the shapes
    // made before them: the new window goes just below the first later sibling
    // that has a window.
    HWND above = HWND_TOP;
    for (std::size_t j = i + 1; j < controls_.size(); ++j)
      if (controls_[j] != nullptr && given_[j].parent == given_[i].parent) {
        above = controls_[j];
        break;
      }
    ::SetWindowPos(controls_[i], above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

HWND DialogWindow::CreateControl(const ui::Control& control, int id) {
  const ControlClass type = ClassOf(control);
  const RECT r = PixelRect(control);
  const HWND window =
      ::CreateWindowExW(type.exStyle, type.name, L"", WS_CHILD | WS_CLIPSIBLINGS | type.style,
                        r.left, r.top, r.right - r.left, r.bottom - r.top, ParentOf(control),
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
  if (window == nullptr)
    return nullptr;
  ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control)), FALSE);
  SetTextProperty(window, kControlName, WideString(control.DisplayName()));
  if (!control.tag.empty())
    SetTextProperty(window, kControlTag, WideString(control.tag));
  if (control.maxLength > 0)
    ::SendMessageW(window, EM_LIMITTEXT, static_cast<WPARAM>(control.maxLength), 0);
  ::SetWindowSubclass(window, &InputRouter::ControlProc, 0, reinterpret_cast<DWORD_PTR>(this));
  return window;
}

HWND DialogWindow::ParentOf(const ui::Control& control) const {
  const ui::Control* container = control.container();
  if (container == nullptr)
    return hwnd_;
  const std::size_t index = IndexOf(*container);
  return index < controls_.size() && controls_[index] != nullptr ? controls_[index] : hwnd_;
}

RECT DialogWindow::PixelRect(const ui::Control& control) const {
  RECT r = plan_.DialogPixels(control);
  if (control.container() != nullptr && ParentOf(control) != hwnd_) {
    const RECT holder = plan_.DialogPixels(*control.container());
    ::OffsetRect(&r, -holder.left, -holder.top);
  }
  return r;
}

void DialogWindow::PlaceDialog(bool firstTime) {
  placedRect_ = model_->rect;
  const HWND owner = ::GetWindow(hwnd_, GW_OWNER);
  // The work area of the owner's monitor (the screen less the taskbar).
  RECT work{};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (::GetMonitorInfoW(
          ::MonitorFromWindow(owner != nullptr ? owner : hwnd_, MONITOR_DEFAULTTOPRIMARY),
          &monitor))
    work = monitor.rcWork;
  else
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  // A dialog without a place of its own is centred over its owner (the
  // owning dialog, or Outlook's window), else on the work area.
  RECT area = work;
  if (owner != nullptr && ::IsWindowVisible(owner))
    ::GetWindowRect(owner, &area);
  const RECT r = plan_.Placement(*model_, area, work);
  if (!firstTime) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  ::SetWindowPos(hwnd_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool DialogWindow::OwnsBitmap(HBITMAP bitmap) const {
  for (const auto& [picture, scaled] : bitmaps_)
    if (scaled.second.get() == bitmap)
      return true;
  return false;
}

HFONT DialogWindow::FontFor(const ui::Control& control) {
  if (control.fontName.empty() && control.fontSize == 0 && !control.bold)
    return dialogFont_.get();
  const auto key = std::make_tuple(WideString(control.fontName), control.fontSize, control.bold);
  if (auto found = fonts_.find(key); found != fonts_.end())
    return found->second ? found->second.get() : dialogFont_.get();
  LOGFONTW font = baseFont_;
  if (!control.fontName.empty()) {
    const std::wstring name = WideString(control.fontName).substr(0, LF_FACESIZE - 1);
    std::fill(std::begin(font.lfFaceName), std::end(font.lfFaceName), L'\0');
    std::copy(name.begin(), name.end(), font.lfFaceName);
  }
  if (control.fontSize > 0)
    font.lfHeight = -::MulDiv(control.fontSize, plan_.dpi(), 72);
  if (control.bold)
    font.lfWeight = FW_BOLD;
  const OwnedFont& made = fonts_[key] = OwnedFont(::CreateFontIndirectW(&font));
  return made ? made.get() : dialogFont_.get();
}

HBITMAP DialogWindow::BitmapFor(const host::PicturePtr& picture) {
  if (!picture)
    return nullptr;
  const auto source = reinterpret_cast<HBITMAP>(static_cast<std::uintptr_t>(picture->Handle()));
  if (plan_.dpi() == 96 || source == nullptr)
    return source;
  if (auto found = bitmaps_.find(picture.get()); found != bitmaps_.end())
    return found->second.second ? found->second.second.get() : source;
  // Pictures are drawn for 96 dots per inch; at another DPI they grow with the
  // layout around them.
  BITMAP info{};
  OwnedBitmap scaled;
  if (::GetObjectW(source, sizeof info, &info) != 0) {
    const int width = ::MulDiv(info.bmWidth, plan_.dpi(), 96);
    const int height = ::MulDiv(info.bmHeight, plan_.dpi(), 96);
    const HDC screen = ::GetDC(nullptr);
    const OwnedMemoryDc from(::CreateCompatibleDC(screen));
    const OwnedMemoryDc to(::CreateCompatibleDC(screen));
    OwnedBitmap made(::CreateCompatibleBitmap(screen, width, height));
    ::ReleaseDC(nullptr, screen);
    if (from && to && made) {
      const HGDIOBJ oldFrom = ::SelectObject(from.get(), source);
      const HGDIOBJ oldTo = ::SelectObject(to.get(), made.get());
      ::SetStretchBltMode(to.get(), HALFTONE);
      ::SetBrushOrgEx(to.get(), 0, 0, nullptr);
      ::StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, info.bmWidth, info.bmHeight,
                   SRCCOPY);
      ::SelectObject(from.get(), oldFrom);
      ::SelectObject(to.get(), oldTo);
      scaled = std::move(made);
    }
  }
  const HBITMAP shown = scaled ? scaled.get() : source;
  bitmaps_[picture.get()] = {picture, std::move(scaled)};
  return shown;
}

void DialogWindow::Destroy() {
  if (hwnd_ == nullptr)
    return;
  const HWND window = hwnd_;
  model_ = nullptr;
  ::DestroyWindow(window);
  hwnd_ = nullptr;
}

}  // namespace ostrel::win32::view

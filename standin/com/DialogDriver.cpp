#include "com/DialogDriver.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "common/Text.h"
#include "win32/WideText.h"
#include "win32/ui/ControlNames.h"

// IID_IAccessible, defined here (oleacc.h declares it).
#include <initguid.h>
#include <oleacc.h>

namespace ostrel::standin::com {

namespace view = win32::view;

namespace {

constexpr UINT kMarker = WM_APP + 0x51;
constexpr wchar_t kMarkerClass[] = L"OstrelDriverMarker";
// A message box's text, in Windows and Wine alike.
constexpr int kMessageBoxText = 0xFFFF;
constexpr UINT kReadTimeoutMs = 5000;

std::string Utf8(const std::wstring& text) {
  return Utf16ToUtf8(String(text.begin(), text.end()));
}

// Reads across threads with a time limit: a hung thread gives an empty text
// instead of a hung driver.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
  DWORD_PTR result = 0;
  if (!::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kReadTimeoutMs,
                             &result))
    return 0;
  return static_cast<LRESULT>(result);
}

std::wstring TextOf(HWND window) {
  const auto length = static_cast<std::size_t>(Ask(window, WM_GETTEXTLENGTH));
  std::wstring text(length + 1, L'\0');
  const auto copied = static_cast<std::size_t>(
      Ask(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data())));
  text.resize(std::min(copied, length));
  return text;
}

// What a screen reader says for the window: its Active Accessibility name;
// empty when the system cannot tell.
std::wstring AccessibleName(HWND window) {
  std::wstring name;
  IAccessible* accessible = nullptr;
  if (FAILED(::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&accessible))))
    return name;
  VARIANT self;
  ::VariantInit(&self);
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  BSTR text = nullptr;
  if (accessible->get_accName(self, &text) == S_OK && text != nullptr) {
    name.assign(text, ::SysStringLen(text));
    ::SysFreeString(text);
  }
  accessible->Release();
  return name;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

// Line breaks shown on one line, as the stand-in's show prints them.
std::string OneLine(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r')
      continue;
    if (c == L'\n')
      out += L" / ";
    else
      out += c;
  }
  return Utf8(out);
}

// The window enumeration callbacks are CALLBACK functions, not lambdas: a lambda
// converts only to the default calling convention, and 32-bit Windows calls
// them as __stdcall.
struct ThreadSearch {
  DWORD thread;
  std::vector<HWND> found;
};

BOOL CALLBACK AddThreadWindow(HWND window, LPARAM data) {
  auto* s = reinterpret_cast<ThreadSearch*>(data);
  if (::GetWindowThreadProcessId(window, nullptr) == s->thread && ::IsWindowVisible(window))
    s->found.push_back(window);
  return TRUE;
}

BOOL CALLBACK AddChildWindow(HWND window, LPARAM data) {
  reinterpret_cast<std::vector<HWND>*>(data)->push_back(window);
  return TRUE;
}

std::vector<HWND> ThreadWindows(DWORD thread) {
  ThreadSearch search{thread, {}};
  // EnumWindows walks the top-level windows front to back.
  ::EnumWindows(AddThreadWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> Children(HWND dialog) {
  std::vector<HWND> found;
  ::EnumChildWindows(dialog, AddChildWindow, reinterpret_cast<LPARAM>(&found));
  // In the dialog's own order.
  std::sort(found.begin(), found.end(),
            [](HWND a, HWND b) { return ::GetDlgCtrlID(a) < ::GetDlgCtrlID(b); });
  return found;
}

LPARAM Point(int x, int y) {
  return MAKELPARAM(x, y);
}

}  // namespace

WindowDialogDriver::WindowDialogDriver(DWORD timeoutMs)
    : timeout_(timeoutMs), thread_(::GetCurrentThreadId()) {
  const HINSTANCE module = ::GetModuleHandleW(nullptr);
  WNDCLASSW type{};
  type.lpfnWndProc = &MarkerProc;
  type.hInstance = module;
  type.lpszClassName = kMarkerClass;
  ::RegisterClassW(&type);  // a second driver finds it registered
  handled_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  marker_ = ::CreateWindowExW(0, kMarkerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module,
                              nullptr);
  if (marker_ == nullptr || handled_ == nullptr)
    throw DriverError("the driver cannot make its window on the dialogs' thread");
  ::SetWindowLongPtrW(marker_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(handled_));
}

WindowDialogDriver::~WindowDialogDriver() {
  if (marker_ != nullptr)
    ::DestroyWindow(marker_);
  if (handled_ != nullptr)
    ::CloseHandle(handled_);
}

LRESULT CALLBACK WindowDialogDriver::MarkerProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == kMarker) {
    ::SetEvent(reinterpret_cast<HANDLE>(::GetWindowLongPtrW(window, GWLP_USERDATA)));
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

void WindowDialogDriver::Settle() {
  // Twice: what the first round of messages posted in turn is handled too.
  for (int round = 0; round < 2; ++round) {
    ::ResetEvent(handled_);
    ::PostMessageW(marker_, kMarker, 0, 0);
    if (::WaitForSingleObject(handled_, timeout_) != WAIT_OBJECT_0)
      throw DriverError("the dialogs' thread does not answer");
  }
}

HWND WindowDialogDriver::FrontDialog() const {
  for (HWND window : ThreadWindows(thread_))
    if (!view::TextProperty(window, view::kDialogName).empty())
      return window;
  return nullptr;
}

HWND WindowDialogDriver::MessageBoxUp() const {
  for (HWND window : ThreadWindows(thread_))
    if (ClassOf(window) == L"#32770" && view::TextProperty(window, view::kDialogName).empty() &&
        ::GetDlgItem(window, kMessageBoxText) != nullptr) {
      if (window != told_ && listener_) {
        told_ = window;
        listener_("message-box \"" + OneLine(TextOf(window)) +
                  "\": " + OneLine(TextOf(::GetDlgItem(window, kMessageBoxText))));
      }
      return window;
    }
  return nullptr;
}

HWND WindowDialogDriver::FindControl(HWND dialog, const std::string& name) const {
  const std::wstring wanted = win32::WideString(Utf8ToUtf16(name));
  for (HWND child : Children(dialog))
    if (view::TextProperty(child, view::kControlName) == wanted)
      return child;
  return nullptr;
}

HWND WindowDialogDriver::FocusOf(HWND dialog) const {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (::GetGUIThreadInfo(thread_, &info) && info.hwndActive == dialog)
    return info.hwndFocus;
  return static_cast<HWND>(::GetPropW(dialog, view::kHeldFocus));
}

DialogOutcome WindowDialogDriver::Reach(const std::string& name, HWND* dialog,
                                        HWND* control) const {
  *dialog = FrontDialog();
  if (*dialog == nullptr)
    return DialogOutcome::NoDialog;
  *control = FindControl(*dialog, name);
  if (*control == nullptr)
    return DialogOutcome::NoControl;
  if (MessageBoxUp() != nullptr || !::IsWindowVisible(*control) || !::IsWindowEnabled(*control) ||
      !::IsWindowEnabled(*dialog))
    return DialogOutcome::NotPossible;
  return DialogOutcome::Done;
}

void WindowDialogDriver::PostClick(HWND control, bool upperHalf) const {
  RECT client{};
  ::GetClientRect(control, &client);
  const int x = client.right / 2;
  const int y = upperHalf ? client.bottom / 4 : client.bottom / 2;
  ::PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
  ::PostMessageW(control, WM_LBUTTONUP, 0, Point(x, y));
}

void WindowDialogDriver::PostKey(HWND window, UINT key) const {
  const UINT scan = ::MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
  ::PostMessageW(window, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
  ::PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | 0xC0000000u));
}

DialogOutcome WindowDialogDriver::Outcome(HWND dialog, HWND target, HWND focusBefore) const {
  if (MessageBoxUp() != nullptr && focusBefore != target && FocusOf(dialog) == focusBefore)
    return DialogOutcome::Refused;
  return DialogOutcome::Done;
}

std::optional<std::string> WindowDialogDriver::ActiveDialog() {
  const HWND dialog = FrontDialog();
  if (dialog == nullptr)
    return std::nullopt;
  return Utf8(view::TextProperty(dialog, view::kDialogName));
}

bool WindowDialogDriver::HasControl(const std::string& name) {
  const HWND dialog = FrontDialog();
  return dialog != nullptr && FindControl(dialog, name) != nullptr;
}

DialogOutcome WindowDialogDriver::Click(const std::string& name) {
  HWND dialog = nullptr;
  HWND control = nullptr;
  if (const DialogOutcome reach = Reach(name, &dialog, &control); reach != DialogOutcome::Done)
    return reach;
  const HWND before = FocusOf(dialog);
  // A spinner's click is on its upper arrow.
  PostClick(control, ClassOf(control) == UPDOWN_CLASSW);
  Settle();
  return ClassOf(control) == L"Static" ? DialogOutcome::Done : Outcome(dialog, control, before);
}

DialogOutcome WindowDialogDriver::Type(const std::string& name, const std::string& utf8) {
  HWND dialog = nullptr;
  HWND box = nullptr;
  if (const DialogOutcome reach = Reach(name, &dialog, &box); reach != DialogOutcome::Done)
    return reach;
  if (ClassOf(box) != L"Edit")
    return DialogOutcome::NotPossible;
  const HWND before = FocusOf(dialog);
  if (before != box) {
    PostClick(box);
    Settle();
    if (MessageBoxUp() != nullptr)
      return Outcome(dialog, box, before);
  }
  // Select everything and type over it; an empty text is a Backspace.
  const String text = Utf8ToUtf16(utf8);
  ::PostMessageW(box, EM_SETSEL, 0, -1);
  const bool multiLine = (::GetWindowLongW(box, GWL_STYLE) & ES_MULTILINE) != 0;
  if (text.empty())
    ::PostMessageW(box, WM_CHAR, VK_BACK, 1);
  for (char16_t unit : text) {
    // Enter in a multi-line box is a CR; the box keeps its line breaks as CR LF.
    if (unit == u'\n' && multiLine)
      ::PostMessageW(box, WM_CHAR, L'\r', 1);
    else
      ::PostMessageW(box, WM_CHAR, static_cast<WPARAM>(unit), 1);
  }
  Settle();
  return DialogOutcome::Done;
}

DialogOutcome WindowDialogDriver::Select(const std::string& name, int position) {
  HWND dialog = nullptr;
  HWND list = nullptr;
  if (const DialogOutcome reach = Reach(name, &dialog, &list); reach != DialogOutcome::Done)
    return reach;
  const auto count = static_cast<int>(Ask(list, CB_GETCOUNT));
  if (ClassOf(list) != L"ComboBox" || position < 0 || position >= count)
    return DialogOutcome::NotPossible;
  const HWND before = FocusOf(dialog);
  if (before != list) {
    // Into the list with the mouse, which drops it down; closed again, the
    // keyboard chooses.
    PostClick(list);
    Settle();
    if (MessageBoxUp() != nullptr)
      return Outcome(dialog, list, before);
    ::PostMessageW(list, CB_SHOWDROPDOWN, FALSE, 0);
  }
  PostKey(list, VK_HOME);
  for (int i = 0; i < position; ++i)
    PostKey(list, VK_DOWN);
  Settle();
  return DialogOutcome::Done;
}

DialogOutcome WindowDialogDriver::Tab() {
  const HWND dialog = FrontDialog();
  if (dialog == nullptr)
    return DialogOutcome::NoDialog;
  if (MessageBoxUp() != nullptr || !::IsWindowEnabled(dialog))
    return DialogOutcome::NotPossible;
  const HWND before = FocusOf(dialog);
  PostKey(before != nullptr ? before : dialog, VK_TAB);
  Settle();
  if (MessageBoxUp() != nullptr && FocusOf(dialog) == before)
    return DialogOutcome::Refused;
  return DialogOutcome::Done;
}

DialogOutcome WindowDialogDriver::Close() {
  const HWND dialog = FrontDialog();
  if (dialog == nullptr)
    return DialogOutcome::NoDialog;
  if (MessageBoxUp() != nullptr || !::IsWindowEnabled(dialog))
    return DialogOutcome::NotPossible;
  ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  Settle();
  return DialogOutcome::Done;
}

std::optional<ShownMessageBox> WindowDialogDriver::MessageBox() {
  const HWND box = MessageBoxUp();
  if (box == nullptr)
    return std::nullopt;
  return ShownMessageBox{OneLine(TextOf(box)), OneLine(TextOf(::GetDlgItem(box, kMessageBoxText)))};
}

bool WindowDialogDriver::AnswerMessageBox(const std::string& button) {
  const HWND box = MessageBoxUp();
  const HWND ok = box != nullptr ? ::GetDlgItem(box, IDOK) : nullptr;
  if (button != "OK" || ok == nullptr)
    return false;
  ::PostMessageW(ok, BM_CLICK, 0, 0);
  Settle();
  return true;
}

std::string ClippedText(HWND control) {
  HWND measured = control;
  if (ClassOf(control) == L"OstrelFrame") {
    measured = view::FrameBox(control);  // the group box draws the caption
    if (measured == nullptr || !::IsWindowVisible(measured))
      return {};
  }
  const std::wstring text = TextOf(measured);
  const std::wstring type = ClassOf(measured);
  const LONG style = ::GetWindowLongW(measured, GWL_STYLE);
  if (text.empty() || (type != L"Static" && type != L"Button"))
    return {};  // boxes and lists scroll what they hold
  if (type == L"Button" && (style & (BS_BITMAP | BS_ICON)) != 0)
    return {};  // a picture's button does not draw its text
  RECT room{};
  ::GetClientRect(measured, &room);
  const HDC dc = ::GetDC(measured);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(Ask(measured, WM_GETFONT)));
  // What the control's own drawing does with the text: wrapped or on one line,
  // "&" as an access key unless the control shows it as it is.
  UINT format = DT_CALCRECT | DT_SINGLELINE;
  int extraWidth = 0;
  int extraHeight = 0;
  if (type == L"Static") {
    if ((style & SS_TYPEMASK) != SS_LEFT && (style & SS_TYPEMASK) != SS_CENTER &&
        (style & SS_TYPEMASK) != SS_RIGHT && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP &&
        (style & SS_TYPEMASK) != SS_SIMPLE) {
      ::SelectObject(dc, old);
      ::ReleaseDC(measured, dc);
      return {};  // pictures, shapes and lines
    }
    if ((style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP && (style & SS_TYPEMASK) != SS_SIMPLE)
      format = DT_CALCRECT | DT_WORDBREAK;
    if ((style & SS_NOPREFIX) != 0)
      format |= DT_NOPREFIX;
  } else {
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX:
        extraWidth = ::MulDiv(16, dpi, 96);
        break;
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        extraWidth = ::GetSystemMetrics(SM_CXMENUCHECK) + ::MulDiv(4, dpi, 96);
        break;
      default:  // push buttons: their border and the focus rectangle's margin
        extraWidth = ::MulDiv(8, dpi, 96);
        extraHeight = ::MulDiv(4, dpi, 96);
        break;
    }
    if ((style & BS_MULTILINE) != 0)
      format = DT_CALCRECT | DT_WORDBREAK;
  }
  RECT need{0, 0, room.right - extraWidth, 0};
  ::DrawTextW(dc, text.c_str(), -1, &need, format);
  ::SelectObject(dc, old);
  ::ReleaseDC(measured, dc);
  const LONG width = need.right - need.left + extraWidth;
  const LONG height = need.bottom - need.top + extraHeight;
  if (width <= room.right && height <= room.bottom)
    return {};
  return "needs " + std::to_string(width) + "x" + std::to_string(height) + ", has " +
         std::to_string(room.right) + "x" + std::to_string(room.bottom);
}

std::string WindowDialogDriver::Describe(HWND control) const {
  const std::wstring type = ClassOf(control);
  const LONG style = ::GetWindowLongW(control, GWL_STYLE);
  const std::string text = OneLine(TextOf(control));
  if (type == L"Button") {
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX:
        return text.empty() ? std::string() : "frame \"" + text + "\"";
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_3STATE:
      case BS_AUTO3STATE: {
        const LRESULT state = Ask(control, BM_GETCHECK);
        return std::string(state == BST_CHECKED         ? "[x] "
                           : state == BST_INDETERMINATE ? "[-] "
                                                        : "[ ] ") +
               text;
      }
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON: {
        // An option without words says what a screen reader hears for it.
        const std::string named =
            (style & BS_BITMAP) != 0 ? "name \"" + OneLine(AccessibleName(control)) + "\"" : text;
        return std::string(Ask(control, BM_GETCHECK) == BST_CHECKED ? "(o) " : "( ) ") + named;
      }
      default:
        return "<" + text + ">";
    }
  }
  if (type == L"OstrelFrame") {
    // A frame shows its caption on the group box it holds, when it has a border.
    const HWND box = view::FrameBox(control);
    return box == nullptr || !::IsWindowVisible(box) || text.empty() ? std::string()
                                                                     : "frame \"" + text + "\"";
  }
  if (type == L"Static") {
    switch (style & SS_TYPEMASK) {
      case SS_BITMAP:
        return Ask(control, STM_GETIMAGE, IMAGE_BITMAP) != 0 ? "picture" : std::string();
      case SS_LEFT:
      case SS_CENTER:
      case SS_RIGHT:
      case SS_LEFTNOWORDWRAP:
      case SS_SIMPLE:
        return text.empty() ? std::string() : "\"" + text + "\"";
      default:
        return {};  // shapes and lines
    }
  }
  if (type == L"Edit")
    return "[" + text + "]" +
           (view::TextProperty(control, view::kControlTag) == L"REQUIRED" ? " (required)" : "");
  if (type == L"ComboBox") {
    const auto at = static_cast<int>(Ask(control, CB_GETCURSEL));
    const auto count = static_cast<int>(Ask(control, CB_GETCOUNT));
    std::string shown = "(none)";
    if (at >= 0) {
      const auto length = static_cast<std::size_t>(Ask(control, CB_GETLBTEXTLEN, at));
      std::wstring item(length + 1, L'\0');
      Ask(control, CB_GETLBTEXT, at, reinterpret_cast<LPARAM>(item.data()));
      item.resize(length);
      shown = OneLine(item);
    }
    return "<" + shown + "> position " + std::to_string(at) + " of " + std::to_string(count);
  }
  if (type == UPDOWN_CLASSW) {
    int low = 0;
    int high = 0;
    Ask(control, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    return "up/down " + std::to_string(low) + ".." + std::to_string(high);
  }
  return {};
}

std::vector<std::string> WindowDialogDriver::Show() {
  std::vector<std::string> lines;
  const HWND dialog = FrontDialog();
  if (dialog == nullptr)
    return lines;
  lines.push_back("[" + Utf8(view::TextProperty(dialog, view::kDialogName)) + "] " +
                  OneLine(TextOf(dialog)));
  const HWND focus = FocusOf(dialog);
  for (HWND control : Children(dialog)) {
    if (!::IsWindowVisible(control) || view::TextProperty(control, view::kControlName).empty())
      continue;
    const std::string what = Describe(control);
    if (what.empty())
      continue;
    std::string line = "  " + Utf8(view::TextProperty(control, view::kControlName)) + ": " + what;
    if (!ClippedText(control).empty())
      line += " (clipped)";
    if (!::IsWindowEnabled(control))
      line += " (disabled)";
    if (control == focus)
      line += " (focus)";
    lines.push_back(line);
  }
  return lines;
}

}  // namespace ostrel::standin::com

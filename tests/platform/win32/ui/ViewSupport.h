// The add-in's dialogs as real windows in the test process: the wizard fixture
// with the Win32 view, and ways to reach and read the windows.
#pragma once

#include <string>
#include <vector>

#include "common/Text.h"
#include "support/WizardFixture.h"
#include "win32/WindowsHeaders.h"
#include "win32/ui/DialogViews.h"

namespace ostrel::test {

inline HWND Native(host::WindowHandle window) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window));
}

inline std::wstring Wide(const String& text) {
  return std::wstring(text.begin(), text.end());
}

inline std::wstring WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

// What a host's loop does with the messages waiting: take (which runs the
// view's keyboard hook), translate, dispatch.
inline void Pump() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// A wizard fixture whose dialogs are shown as windows by the Win32 view.
struct Shown {
  explicit Shown(int dpi = 0, FixedLocale locale = UsNumbers())
      : views(win32::view::ViewOptions{dpi}), f(std::move(locale), views) {
    f.Install();
  }
  HWND Window(const ui::Dialog& dialog) const { return Native(views.WindowOf(dialog)); }
  HWND Window(const ui::Control& control) const { return Native(views.WindowOf(control)); }

  // A click as the mouse gives it: pressed and released in the middle.
  void Click(const ui::Control& control) {
    const HWND window = Window(control);
    RECT client{};
    ::GetClientRect(window, &client);
    const LPARAM middle = MAKELPARAM(client.right / 2, client.bottom / 2);
    ::SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    ::SendMessageW(window, WM_LBUTTONUP, 0, middle);
    Pump();
  }
  // Clicks into the box, selects its text and types over it.
  void Type(const ui::Control& box, const String& text) {
    Click(box);
    const HWND window = Window(box);
    ::SendMessageW(window, EM_SETSEL, 0, -1);
    if (text.empty())
      ::SendMessageW(window, WM_CHAR, VK_BACK, 1);
    for (char16_t unit : text)
      ::SendMessageW(window, WM_CHAR, unit == u'\n' ? L'\r' : static_cast<WPARAM>(unit), 1);
    Pump();
  }

  // Declared first, so it outlives the dialogs the fixture closes.
  win32::view::DialogViews views;
  WizardFixture f;
};

// One name a line, for a readable failure.
inline std::string Names(const std::vector<std::string>& names) {
  std::string out;
  for (const std::string& name : names)
    out += "\n  " + name;
  return out;
}

// Everything in which the dialog's windows differ from the model: visibility,
// enabled state, text, check and list state, pictures, places, the focus.
std::vector<std::string> Mismatches(const Shown& shown, const ui::Dialog& dialog);

}  // namespace ostrel::test

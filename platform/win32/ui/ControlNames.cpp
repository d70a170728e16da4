#include "win32/ui/ControlNames.h"

namespace ostrel::win32::view {

void SetTextProperty(HWND window, const wchar_t* name, const std::wstring& text) {
  RemoveTextProperty(window, name);
  const ATOM atom = ::GlobalAddAtomW(text.c_str());
  if (atom != 0 && !::SetPropW(window, name, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom))))
    ::GlobalDeleteAtom(atom);
}

void RemoveTextProperty(HWND window, const wchar_t* name) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(::RemovePropW(window, name)));
  if (atom != 0)
    ::GlobalDeleteAtom(atom);
}

HWND FrameBox(HWND frame) {
  for (HWND child = ::GetWindow(frame, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    wchar_t type[16] = {};
    ::GetClassNameW(child, type, 16);
    if (::GetDlgCtrlID(child) == 0 && ::lstrcmpiW(type, L"Button") == 0 &&
        (::GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX)
      return child;
  }
  return nullptr;
}

std::wstring TextProperty(HWND window, const wchar_t* name) {
  const auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(::GetPropW(window, name)));
  if (atom == 0)
    return {};
  wchar_t text[256] = {};
  const UINT length = ::GlobalGetAtomNameW(atom, text, 256);
  return std::wstring(text, length);
}

}  // namespace ostrel::win32::view

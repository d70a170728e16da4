#include "win32/ui/ControlNames.h"

// IID_IAccessible, defined here (oleacc.h declares it).
#include <initguid.h>
#include <oleacc.h>

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

std::wstring AccessibleName(HWND window) {
  // Looked up at run time: only readers (the script driver, tests) ask, and
  // the add-in's own module need not load oleacc.dll for them.
  using FromWindow = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
  const HMODULE oleacc = ::LoadLibraryW(L"oleacc.dll");
  if (oleacc == nullptr)
    return {};
  std::wstring name;
  const auto fromWindow = reinterpret_cast<FromWindow>(
      reinterpret_cast<void*>(::GetProcAddress(oleacc, "AccessibleObjectFromWindow")));
  IAccessible* accessible = nullptr;
  if (fromWindow != nullptr &&
      SUCCEEDED(fromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                           reinterpret_cast<void**>(&accessible)))) {
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
  }
  ::FreeLibrary(oleacc);
  return name;
}

}  // namespace ostrel::win32::view

// Conversions between the system's opaque handles (src/host/Handles.h) and the
// native Win32 handles, and the one way platform/win32 raises a failed call.
#pragma once

#include <cstdint>
#include <string>

#include "host/Handles.h"
#include "host/HostError.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::win32 {

// A host handle as the native handle type (HWND, HKEY, HMODULE, HBITMAP...).
template <typename Native, typename Handle>
Native ToNative(Handle handle) {
  return reinterpret_cast<Native>(static_cast<std::uintptr_t>(handle));
}

// A native handle as the host handle type; NULL becomes None.
template <typename Handle, typename Native>
Handle FromNative(Native native) {
  return static_cast<Handle>(reinterpret_cast<std::uintptr_t>(native));
}

inline HWND ToHwnd(host::WindowHandle window) {
  return ToNative<HWND>(window);
}
inline host::WindowHandle FromHwnd(HWND window) {
  return FromNative<host::WindowHandle>(window);
}

// The system's text for an error number, without the trailing period and line
// end; "error N" when the system has none.
std::string SystemErrorText(DWORD error);

// An HRESULT as error texts show it: "0x8007000E".
std::string HresultText(HRESULT hr);

// Raises `error` (a Win32 error number) as the host error of the calling step:
// "<action>: <the system's text>".
[[noreturn]] void RaiseWin32Error(DWORD error, const std::string& action);
// The same for the calling thread's last error.
[[noreturn]] void RaiseLastError(const std::string& action);

}  // namespace ostrel::win32

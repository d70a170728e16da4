// Opaque handles handed out by the platform services. Each kind is its own type so
// that a bitmap can never be passed where a module is expected; zero means "none",
// as it does for the Win32 handles they stand for.
#pragma once

#include <cstdint>

namespace ostrel::host {

enum class RegKey : std::uintptr_t { None = 0 };
enum class ModuleHandle : std::uintptr_t { None = 0 };
enum class BitmapHandle : std::uintptr_t { None = 0 };
enum class IconHandle : std::uintptr_t { None = 0 };
enum class PaletteHandle : std::uintptr_t { None = 0 };
enum class DeviceContext : std::uintptr_t { None = 0 };
enum class WindowHandle : std::uintptr_t { None = 0 };

template <typename H>
constexpr bool IsNone(H handle) {
  return handle == H::None;
}

}  // namespace ostrel::host

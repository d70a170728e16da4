// Resource modules (satellite DLLs): LoadLibraryExW, FreeLibrary, LoadStringW,
// LoadImageW for bitmaps, LoadIconW.
#pragma once

#include <cstdint>

#include "host/Handles.h"
#include "host/String.h"

namespace ostrel::host {

inline constexpr std::uint32_t kLrLoadMap3DColors = 0x1000;
// A DIB section rather than a bitmap compatible with the screen: the rows stay
// as stored, a 32 bpp bitmap's fourth bytes (its alpha) with them.
inline constexpr std::uint32_t kLrCreateDibSection = 0x2000;

class ResourceLoader {
 public:
  virtual ~ResourceLoader() = default;

  // Loads a module file; ModuleHandle::None when the file is missing or not a
  // usable module.
  virtual ModuleHandle LoadLibraryEx(const String& path, std::uint32_t flags) = 0;
  virtual bool FreeLibrary(ModuleHandle module) = 0;

  // Copies string `id` as it is stored (UTF-16) into buffer, cut to
  // capacity - 1 characters and null-terminated; returns the count copied
  // without the null (0 when missing).
  virtual int LoadString(ModuleHandle module, std::uint32_t id, char16_t* buffer, int capacity) = 0;

  // LoadImageW(module, name, IMAGE_BITMAP, 0, 0, flags). A name "#123" names the
  // numeric resource 123; any other name is a resource name.
  virtual BitmapHandle LoadBitmap(ModuleHandle module, const String& name, std::uint32_t flags) = 0;

  // LoadIconW(module, MAKEINTRESOURCE(id)).
  virtual IconHandle LoadIcon(ModuleHandle module, std::uint32_t id) = 0;
};

}  // namespace ostrel::host

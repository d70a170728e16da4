// Resource modules of the stand-in: the satellite DLLs read from disk with the
// PE resource reader, their bitmaps and icons turned into GDI objects.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "host/AnsiText.h"
#include "host/ResourceModule.h"
#include "posix/GdiObjects.h"
#include "posix/PeImage.h"

namespace ostrel::posix {

// LoadLibraryEx's flags: the data-file ones skip the image's checks.
inline constexpr std::uint32_t kLoadLibraryAsDatafile = 0x2;
inline constexpr std::uint32_t kLoadLibraryAsImageResource = 0x20;
inline constexpr std::uint32_t kLoadLibraryAsDatafileExclusive = 0x40;

// Files larger than this are not taken for resource libraries.
inline constexpr std::uintmax_t kMaxModuleFileSize = 64u << 20;

// The resource name LoadImageA understands: "#123" is the numeric id 123 (1 to
// 65535, decimal digits only; any other text after "#" names nothing), any
// other text is a name. nullopt when the text names nothing.
std::optional<ResourceKey> ResourceKeyFromText(const String& text);

// The DIB as a bitmap of the 32 bpp display (monochrome when it is a 1 bpp DIB
// of black and white). With map3DColors, colour-table entries of the greys 128,
// 192 and 223 become COLOR_3DSHADOW, COLOR_3DFACE and COLOR_3DLIGHT; a DIB of
// more than 8 bpp has no table and keeps its colours, as LoadImage does. With
// dibSection, a 32 bpp DIB keeps its alpha bytes.
std::optional<BitmapObject> BitmapFromDib(Dib dib, bool map3DColors, bool dibSection);

class PeResourceLoader final : public host::ResourceLoader {
 public:
  explicit PeResourceLoader(GdiObjects& objects);
  ~PeResourceLoader() override;

  // Loading the same file again hands out the same handle and counts a
  // reference, as for a module that is already loaded; FreeLibrary drops one.
  // The file is only ever read, but a load without LOAD_LIBRARY_AS_DATAFILE(_
  // EXCLUSIVE) refuses what the loader refuses when it maps an image
  // (PeImage::ImageLoadProblem), so that a damaged library fails to load as it
  // does on Windows.
  host::ModuleHandle LoadLibraryEx(const String& path, std::uint32_t flags) override;
  bool FreeLibrary(host::ModuleHandle module) override;
  int LoadString(host::ModuleHandle module, std::uint32_t id, char16_t* buffer,
                 int capacity) override;
  host::BitmapHandle LoadBitmap(host::ModuleHandle module, const String& name,
                                std::uint32_t flags) override;
  // Icons are shared, as LoadIconA's are: the same icon of a module gives the
  // same handle each time. The image nearest 32x32, then the deepest, is chosen.
  host::IconHandle LoadIcon(host::ModuleHandle module, std::uint32_t id) override;

  // Why the last LoadLibraryEx failed ("" after a success), for diagnostics.
  const std::string& LastError() const { return lastError_; }

 private:
  struct Module;
  Module* Find(host::ModuleHandle module);

  GdiObjects& objects_;
  std::map<std::uintptr_t, std::unique_ptr<Module>> modules_;
  std::uintptr_t nextHandle_ = 0x10000000;
  std::string lastError_;
};

}  // namespace ostrel::posix

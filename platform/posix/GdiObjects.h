// The in-memory GDI objects of the stand-in behind the handles: bitmaps,
// palettes, device contexts and icons, shared by the resource loader, the GDI,
// the OLE pictures and the clipboard of one platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <variant>
#include <vector>

#include "host/Gdi.h"
#include "host/Handles.h"

namespace ostrel::posix {

// System colours (GetSysColor) as Windows 10 sets them by default.
inline constexpr int kColorBtnFace = 15;      // COLOR_3DFACE
inline constexpr int kColorBtnShadow = 16;    // COLOR_3DSHADOW
inline constexpr int kColor3DLight = 22;      // COLOR_3DLIGHT
inline constexpr int kSystemColorCount = 31;  // COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30)
// The colour at `index`; nullopt outside 0 to 30.
std::optional<host::ColorRef> SystemColor(int index);

inline constexpr host::ColorRef kBlack = 0x000000;
inline constexpr host::ColorRef kWhite = 0xFFFFFF;
// What SetBkColor and SetTextColor return on failure.
inline constexpr host::ColorRef kClrInvalid = 0xFFFFFFFF;

// A device-dependent bitmap. The stand-in's display is 32 bits per pixel; a
// bitmap is either of that depth or monochrome. Pixels are kept as COLORREF
// values, row by row from the top; a monochrome pixel is kBlack or kWhite.
struct BitmapObject {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bitsPerPixel = 32;  // 1 or 32
  std::vector<host::ColorRef> pixels;
  // A DIB section's fourth bytes, as LoadImage keeps them from a 32 bpp
  // bitmap with LR_CREATEDIBSECTION; empty for every other bitmap, whose
  // fourth bytes read 0.
  std::vector<std::uint8_t> alpha;
  bool stock = false;
  host::DeviceContext selectedIn = host::DeviceContext::None;

  host::ColorRef& At(std::int32_t x, std::int32_t y) {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  host::ColorRef At(std::int32_t x, std::int32_t y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

struct PaletteObject {
  std::vector<host::ColorRef> entries;
  bool stock = false;
};

struct DcObject {
  bool memory = true;  // false for a window or screen context from GetDC
  host::BitmapHandle bitmap = host::BitmapHandle::None;
  host::PaletteHandle palette = host::PaletteHandle::None;
  host::ColorRef background = kWhite;
  host::ColorRef text = kBlack;
};

struct IconObject {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bitsPerPixel = 0;
  std::uint16_t resourceId = 0;
  std::vector<std::uint8_t> image;  // the RT_ICON resource as stored
};

// Bitmaps larger than this many pixels are refused, as GDI refuses what it
// cannot allocate.
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 24;

// A blank (black) bitmap of the size and depth; nullopt when the size is not
// positive or too large, or the depth is neither 1 nor 32.
std::optional<BitmapObject> MakeBitmap(std::int32_t width, std::int32_t height,
                                       std::uint16_t bitsPerPixel);

// The 256 colours of CreateHalftonePalette: the static colours, a 6x6x6 colour
// cube and a grey ramp.
PaletteObject HalftonePalette();

// Bytes per row of a DIB: rows padded to 4 bytes.
std::size_t DibStride(std::int32_t width, std::uint16_t bitCount);

// Writes `lines` DIB scan lines starting at scan line `start` of the bitmap in
// the given depth (1 with a black/white table, 24 or 32), bottom-up unless
// topDown. Colours map to 1 bpp by the nearer of black and white. The caller
// keeps start + lines within the height and `out` large enough.
void WriteDibRows(const BitmapObject& bitmap, std::uint16_t bitCount, bool topDown,
                  std::uint32_t start, std::uint32_t lines, std::uint8_t* out);

// The bitmap as a packed DIB at its own depth: BITMAPINFOHEADER, the colour
// table (black and white for 1 bpp), the rows bottom-up.
std::vector<std::uint8_t> PackedDib(const BitmapObject& bitmap);

class GdiObjects {
 public:
  GdiObjects();
  GdiObjects(const GdiObjects&) = delete;
  GdiObjects& operator=(const GdiObjects&) = delete;

  host::BitmapHandle AddBitmap(BitmapObject bitmap);
  BitmapObject* Bitmap(host::BitmapHandle handle);
  // DeleteObject: false for an unknown handle or a bitmap selected into a
  // context; a stock bitmap stays and the call succeeds.
  bool DeleteBitmap(host::BitmapHandle handle);

  host::PaletteHandle AddPalette(PaletteObject palette);
  PaletteObject* Palette(host::PaletteHandle handle);
  bool DeletePalette(host::PaletteHandle handle);

  host::DeviceContext AddDc(DcObject dc);
  DcObject* Dc(host::DeviceContext handle);
  // Frees the context; the bitmap selected into it becomes free to select elsewhere.
  bool DeleteDc(host::DeviceContext handle);

  host::IconHandle AddIcon(IconObject icon);
  const IconObject* Icon(host::IconHandle handle) const;

  // The 1x1 monochrome bitmap a new memory context holds, and DEFAULT_PALETTE.
  host::BitmapHandle StockBitmap() const { return stockBitmap_; }
  host::PaletteHandle DefaultPalette() const { return defaultPalette_; }

  // Objects alive besides the stock ones (to find leaks in tests).
  std::size_t LiveCount() const { return objects_.size() - 2; }

  // Expires when this table goes, so that an object outliving it (a picture
  // held past the platform's end) can tell it has nothing left to delete.
  std::weak_ptr<void> Lifetime() const { return lifetime_; }

 private:
  using Object = std::variant<BitmapObject, PaletteObject, DcObject, IconObject>;

  std::uintptr_t Add(Object object);
  template <typename T>
  T* Find(std::uintptr_t handle);

  std::unordered_map<std::uintptr_t, Object> objects_;
  // Handles are never reused, so a deleted handle stays invalid.
  std::uintptr_t nextHandle_ = 0x1000;
  host::BitmapHandle stockBitmap_ = host::BitmapHandle::None;
  host::PaletteHandle defaultPalette_ = host::PaletteHandle::None;
  std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
};

}  // namespace ostrel::posix

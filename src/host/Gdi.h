// The handful of GDI functions the face mask needs, with Win32's semantics.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/Handles.h"

namespace ostrel::host {

using ColorRef = std::uint32_t;  // 0x00BBGGRR

constexpr ColorRef Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return static_cast<ColorRef>(r) | (static_cast<ColorRef>(g) << 8) |
         (static_cast<ColorRef>(b) << 16);
}

inline constexpr std::uint32_t kSrcCopy = 0x00CC0020;
inline constexpr std::uint32_t kDibRgbColors = 0;
inline constexpr std::uint32_t kBiRgb = 0;

// BITMAPINFOHEADER, laid out as Windows lays it out.
struct BitmapInfoHeader {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// What GetObject tells about a bitmap.
struct BitmapRecord {
  std::int32_t width;
  std::int32_t height;
  std::int32_t widthBytes;
  std::uint16_t planes;
  std::uint16_t bitsPerPixel;
};

class Gdi {
 public:
  virtual ~Gdi() = default;

  virtual DeviceContext GetDC(WindowHandle window) = 0;
  virtual int ReleaseDC(WindowHandle window, DeviceContext dc) = 0;
  virtual DeviceContext CreateCompatibleDC(DeviceContext dc) = 0;
  virtual bool DeleteDC(DeviceContext dc) = 0;

  virtual BitmapHandle CreateBitmap(int width, int height, std::uint32_t planes,
                                    std::uint32_t bitsPerPixel, const void* bits) = 0;
  // SelectObject for a bitmap: returns the bitmap that was selected before.
  virtual BitmapHandle SelectBitmap(DeviceContext dc, BitmapHandle bitmap) = 0;
  virtual bool DeleteBitmap(BitmapHandle bitmap) = 0;
  // GetObjectA on a bitmap; false when the handle is not a bitmap.
  virtual bool GetBitmapRecord(BitmapHandle bitmap, BitmapRecord* record) = 0;

  virtual PaletteHandle SelectPalette(DeviceContext dc, PaletteHandle palette,
                                      bool forceBackground) = 0;
  virtual std::uint32_t RealizePalette(DeviceContext dc) = 0;
  virtual PaletteHandle CreateHalftonePalette(DeviceContext dc) = 0;
  virtual bool DeletePalette(PaletteHandle palette) = 0;

  virtual ColorRef SetBkColor(DeviceContext dc, ColorRef color) = 0;
  virtual ColorRef SetTextColor(DeviceContext dc, ColorRef color) = 0;
  virtual bool BitBlt(DeviceContext dest, int x, int y, int width, int height, DeviceContext src,
                      int srcX, int srcY, std::uint32_t rop) = 0;

  // GetDIBits. info points at a BITMAPINFO: the header followed by room for the
  // colour table. With bits == nullptr only the header is filled in.
  virtual int GetDIBits(DeviceContext dc, BitmapHandle bitmap, std::uint32_t startScan,
                        std::uint32_t scanLines, void* bits, void* info, std::uint32_t usage) = 0;
};

}  // namespace ostrel::host

// GDI of the stand-in: device contexts, bitmaps and palettes kept in memory
// (GdiObjects), with the Win32 semantics the face mask relies on.
#pragma once

#include "host/Gdi.h"

namespace ostrel::posix {

class GdiObjects;

// The display is 32 bits per pixel. BitBlt knows SRCCOPY between memory
// contexts (colour or monochrome either way) and fails for other raster
// operations and for window contexts, which have no surface here. GetDIBits
// delivers 1, 24 and 32 bpp uncompressed. CreateBitmap makes 1 and 32 bpp.
class MemoryGdi final : public host::Gdi {
 public:
  explicit MemoryGdi(GdiObjects& objects) : objects_(objects) {}

  host::DeviceContext GetDC(host::WindowHandle window) override;
  int ReleaseDC(host::WindowHandle window, host::DeviceContext dc) override;
  host::DeviceContext CreateCompatibleDC(host::DeviceContext dc) override;
  bool DeleteDC(host::DeviceContext dc) override;

  host::BitmapHandle CreateBitmap(int width, int height, std::uint32_t planes,
                                  std::uint32_t bitsPerPixel, const void* bits) override;
  host::BitmapHandle SelectBitmap(host::DeviceContext dc, host::BitmapHandle bitmap) override;
  bool DeleteBitmap(host::BitmapHandle bitmap) override;
  bool GetBitmapRecord(host::BitmapHandle bitmap, host::BitmapRecord* record) override;

  host::PaletteHandle SelectPalette(host::DeviceContext dc, host::PaletteHandle palette,
                                    bool forceBackground) override;
  std::uint32_t RealizePalette(host::DeviceContext dc) override;
  host::PaletteHandle CreateHalftonePalette(host::DeviceContext dc) override;
  bool DeletePalette(host::PaletteHandle palette) override;

  host::ColorRef SetBkColor(host::DeviceContext dc, host::ColorRef color) override;
  host::ColorRef SetTextColor(host::DeviceContext dc, host::ColorRef color) override;
  bool BitBlt(host::DeviceContext dest, int x, int y, int width, int height,
              host::DeviceContext src, int srcX, int srcY, std::uint32_t rop) override;

  int GetDIBits(host::DeviceContext dc, host::BitmapHandle bitmap, std::uint32_t startScan,
                std::uint32_t scanLines, void* bits, void* info, std::uint32_t usage) override;

 private:
  GdiObjects& objects_;
};

}  // namespace ostrel::posix

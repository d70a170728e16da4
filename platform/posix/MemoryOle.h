// OLE pictures and colours of the stand-in: pictures over the bitmaps of
// GdiObjects, system colours from the stand-in's table.
#pragma once

#include <cstdint>

#include "host/ErrorNumbers.h"
#include "host/Picture.h"

namespace ostrel::posix {

class GdiObjects;

// E_INVALIDARG, as the signed 32-bit HRESULT it is on Windows.
inline constexpr long kEInvalidArg = host::errors::kEInvalidArg;

class MemoryOle final : public host::Ole {
 public:
  explicit MemoryOle(GdiObjects& objects) : objects_(objects) {}

  // nullptr when the handle is not a bitmap. An owning picture deletes its
  // bitmap when the last reference goes.
  host::PicturePtr CreateBitmapPicture(host::BitmapHandle bitmap, host::PaletteHandle palette,
                                       bool own) override;

  // An RGB value (high byte 0) gives itself; 0x80000000 | index gives system
  // colour `index` (0 to 30); anything else is E_INVALIDARG with `out` untouched.
  long TranslateColor(std::uint32_t oleColor, host::PaletteHandle palette,
                      host::ColorRef* out) override;

 private:
  GdiObjects& objects_;
};

}  // namespace ostrel::posix

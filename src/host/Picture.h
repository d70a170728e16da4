// OLE pictures (OleCreatePictureIndirect, IPicture) and OLE colours.
#pragma once

#include <cstdint>
#include <memory>

#include "host/Gdi.h"
#include "host/Handles.h"

namespace ostrel::host {

inline constexpr short kPicTypeBitmap = 1;
inline constexpr long kOleOk = 0;

class Picture {
 public:
  virtual ~Picture() = default;
  virtual short Type() const = 0;
  virtual BitmapHandle Handle() const = 0;
  virtual PaletteHandle Palette() const = 0;
};

using PicturePtr = std::shared_ptr<Picture>;

class Ole {
 public:
  virtual ~Ole() = default;

  // OleCreatePictureIndirect for a bitmap, asking for IDispatch. With own == true
  // the picture destroys the bitmap when the last reference goes. nullptr on failure.
  virtual PicturePtr CreateBitmapPicture(BitmapHandle bitmap, PaletteHandle palette, bool own) = 0;

  // OleTranslateColor: an OLE colour (RGB, or 0x80000000 | system colour index)
  // to a COLORREF. Returns kOleOk or a failure code.
  virtual long TranslateColor(std::uint32_t oleColor, PaletteHandle palette, ColorRef* out) = 0;
};

}  // namespace ostrel::host

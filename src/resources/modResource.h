// The satellite resource library: choosing and loading it, reading strings,
// bitmaps and icons by number, and preparing a toolbar face on the clipboard.
#pragma once

#include <cstdint>

#include "addin/AddInState.h"
#include "host/ErrorNumbers.h"
#include "host/Gdi.h"
#include "host/Handles.h"
#include "host/Locale.h"
#include "host/Picture.h"
#include "host/String.h"
#include "host/ui/Dialog.h"

namespace ostrel {

// The error number raised for a picture that cannot be used as a face.
inline constexpr long kErrorInvalidPicture = host::errors::kInvalidPicture;

// Loads RES_<abbreviation>.DLL from the add-in's folder, falling back to the
// two-letter form and then to RES_ENU.DLL. True when a library is loaded.
bool OpenResourceLibrary(AddInState& state);

// Frees the library; true when that succeeded. Afterwards no read uses it.
bool CloseResourceLibrary(AddInState& state);

// The string, at most 1023 characters; "" when missing or no library is loaded.
String ResString(AddInState& state, std::int32_t number);

// The bitmap whose number is given as decimal text ("2003"), loaded with
// LoadImage's flags (3-D colours mapped unless told otherwise); None when
// missing.
host::BitmapHandle ResBitmap(AddInState& state, const String& name,
                             std::uint32_t flags = host::kLrLoadMap3DColors);

// A picture that owns the bitmap; nullptr when the picture cannot be made.
host::PicturePtr BitmapToPicture(host::Platform& platform, host::BitmapHandle bitmap);

// Makes icon `number` the dialog window's big icon; nothing when it is missing.
// A dialog whose window the view has not made yet keeps the icon for it.
void SetFormIcon(AddInState& state, ui::Dialog& dialog, std::uint32_t number);

// An item of locale information; "" when the system has none.
String LocaleText(host::Platform& platform, host::Lcid locale, std::uint32_t type);

// Puts the picture (CF_DIB), a copy of it ("Toolbar Button Face") and its mask
// ("Toolbar Button Mask") on the clipboard. oleColour is the transparent colour.
// Throws host::HostError(481) for a missing or non-bitmap picture.
void CopyFaceToClipboard(host::Platform& platform, const host::Picture* picture,
                         std::uint32_t oleColour);

// The picture's mask as a picture of its own (monochrome, white where the
// picture has the transparent colour oleColour), for CommandBarButton.Mask;
// nullptr when it cannot be made. Throws host::HostError(481) as above.
host::PicturePtr FaceMaskPicture(host::Platform& platform, const host::Picture* picture,
                                 std::uint32_t oleColour);

// A monochrome bitmap, white where the bitmap has the transparent colour and black
// elsewhere; None for a bitmap of no size or over 30000 pixels either way.
host::BitmapHandle MakeFaceMask(host::Platform& platform, host::BitmapHandle bitmap,
                                host::ColorRef transparent, host::DeviceContext dc,
                                host::PaletteHandle palette);

// Puts the mask's rows, behind a BITMAPINFOHEADER and two colour entries, on the
// clipboard as "Toolbar Button Mask", and copies the clipboard's CF_DIB data to
// "Toolbar Button Face".
void CopyMaskToClipboard(host::Platform& platform, host::BitmapHandle mask, host::DeviceContext dc);

}  // namespace ostrel

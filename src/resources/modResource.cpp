#include "resources/modResource.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "host/HostError.h"

namespace ostrel {
namespace {

constexpr int kTextBuffer = 1024;
constexpr int kMaxFaceSize = 30000;
constexpr std::size_t kMaskInfoSize = 48;  // header and two colour entries
constexpr host::ColorRef kWhite = 0xFFFFFF;

String LibraryPath(const AddInState& state, const String& code) {
  return state.addinFolder + u"\\RES_" + code + u".DLL";
}

}  // namespace

String LocaleText(host::Platform& platform, host::Lcid locale, std::uint32_t type) {
  std::array<char16_t, kTextBuffer> buffer{};
  const int written = platform.locale.GetLocaleInfo(locale, type, buffer.data(), kTextBuffer);
  if (written <= 0)
    return String();
  return String(buffer.data());  // up to the terminating null
}

bool OpenResourceLibrary(AddInState& state) {
  host::Platform& platform = state.platform;
  const String abbreviation =
      LocaleText(platform, platform.locale.GetUserDefaultLCID(), host::kLocaleSAbbrevLangName);

  const std::array<String, 3> candidates = {
      LibraryPath(state, abbreviation.substr(0, 3)),
      LibraryPath(state, abbreviation.substr(0, 2)),
      LibraryPath(state, u"ENU"),
  };
  host::ModuleHandle module = host::ModuleHandle::None;
  for (const String& path : candidates) {
    module = platform.resources.LoadLibraryEx(path, 0);
    if (!host::IsNone(module))
      break;
  }
  state.hResourceLibrary = module;
  return !host::IsNone(module);
}

bool CloseResourceLibrary(AddInState& state) {
  if (host::IsNone(state.hResourceLibrary))
    return false;
  const bool freed = state.platform.resources.FreeLibrary(state.hResourceLibrary);
  // Forget the handle either way: a read after this must behave as with no
  // library rather than reach into a module that may have been unmapped.
  state.hResourceLibrary = host::ModuleHandle::None;
  return freed;
}

String ResString(AddInState& state, std::int32_t number) {
  // Without a library LoadStringW would read from the host's own executable.
  if (host::IsNone(state.hResourceLibrary))
    return String();
  if (number < 0 || number > 0xFFFF)
    return String();
  std::array<char16_t, kTextBuffer> buffer{};
  const int length = state.platform.resources.LoadString(
      state.hResourceLibrary, static_cast<std::uint32_t>(number), buffer.data(), kTextBuffer);
  if (length <= 0)
    return String();
  return String(buffer.data(), static_cast<std::size_t>(std::min(length, kTextBuffer - 1)));
}

host::BitmapHandle ResBitmap(AddInState& state, const String& name, std::uint32_t flags) {
  // Without a library LoadImageW would look among the system's own bitmaps.
  if (host::IsNone(state.hResourceLibrary))
    return host::BitmapHandle::None;
  return state.platform.resources.LoadBitmap(state.hResourceLibrary, u"#" + name, flags);
}

host::PicturePtr BitmapToPicture(host::Platform& platform, host::BitmapHandle bitmap) {
  return platform.ole.CreateBitmapPicture(bitmap, host::PaletteHandle::None, true);
}

void SetFormIcon(AddInState& state, ui::Dialog& dialog, std::uint32_t number) {
  if (host::IsNone(state.hResourceLibrary))
    return;
  const host::IconHandle icon = state.platform.resources.LoadIcon(state.hResourceLibrary, number);
  if (host::IsNone(icon))
    return;
  dialog.icon = icon;
  // A dialog without a window yet keeps the icon for the view to give it.
  if (!host::IsNone(dialog.hWnd)) {
    state.platform.windows.SendMessage(dialog.hWnd, host::kWmSetIcon, host::kIconBig,
                                       static_cast<std::intptr_t>(icon));
  }
}

host::BitmapHandle MakeFaceMask(host::Platform& platform, host::BitmapHandle bitmap,
                                host::ColorRef transparent, host::DeviceContext dc,
                                host::PaletteHandle palette) {
  host::Gdi& gdi = platform.gdi;
  host::BitmapRecord record{};
  if (!gdi.GetBitmapRecord(bitmap, &record))
    return host::BitmapHandle::None;
  if (record.width < 1 || record.width > kMaxFaceSize || record.height < 1 ||
      record.height > kMaxFaceSize) {
    return host::BitmapHandle::None;
  }

  const host::DeviceContext source = gdi.CreateCompatibleDC(dc);
  const host::PaletteHandle oldPalette = gdi.SelectPalette(source, palette, true);
  gdi.RealizePalette(source);
  const host::BitmapHandle oldSource = gdi.SelectBitmap(source, bitmap);

  const host::BitmapHandle mask = gdi.CreateBitmap(record.width, record.height, 1, 1, nullptr);
  const host::DeviceContext target = gdi.CreateCompatibleDC(dc);
  const host::BitmapHandle oldTarget = gdi.SelectBitmap(target, mask);

  // Colour to monochrome: pixels of the source's background colour turn white.
  gdi.SetBkColor(source, transparent);
  gdi.SetTextColor(source, kWhite);
  gdi.BitBlt(target, 0, 0, record.width, record.height, source, 0, 0, host::kSrcCopy);

  gdi.SelectBitmap(target, oldTarget);
  gdi.DeleteDC(target);
  gdi.SelectBitmap(source, oldSource);
  gdi.SelectPalette(source, oldPalette, true);
  gdi.DeleteDC(source);
  return mask;
}

void CopyMaskToClipboard(host::Platform& platform, host::BitmapHandle mask,
                         host::DeviceContext dc) {
  std::array<std::uint8_t, kMaskInfoSize> info{};
  host::BitmapInfoHeader header{};
  header.biSize = sizeof header;
  std::memcpy(info.data(), &header, sizeof header);
  platform.gdi.GetDIBits(dc, mask, 0, 0, nullptr, info.data(), host::kDibRgbColors);
  std::memcpy(&header, info.data(), sizeof header);
  if (header.biBitCount != 1 || header.biSizeImage < 1)
    return;

  std::vector<std::uint8_t> rows(header.biSizeImage + 5, 0);
  host::Clipboard& clipboard = platform.clipboard;
  if (!clipboard.Open(host::WindowHandle::None))
    return;

  const std::uint32_t faceFormat = clipboard.RegisterFormat("Toolbar Button Face");
  const std::uint32_t maskFormat = clipboard.RegisterFormat("Toolbar Button Mask");
  if (const auto dib = clipboard.GetData(host::kCfDib)) {
    clipboard.SetData(faceFormat, host::kGmemMoveableShare, *dib);
  }

  const auto height =
      static_cast<std::uint32_t>(header.biHeight < 0 ? -header.biHeight : header.biHeight);
  platform.gdi.GetDIBits(dc, mask, 0, height, rows.data(), info.data(), host::kDibRgbColors);

  std::vector<std::uint8_t> block(header.biSizeImage + 50, 0);
  std::memcpy(block.data(), info.data(), kMaskInfoSize);
  std::memcpy(block.data() + kMaskInfoSize, rows.data(), header.biSizeImage);
  clipboard.SetData(maskFormat, host::kGmemMoveableShare, block);
  clipboard.Close();
}

namespace {

// Makes the picture's mask (with the screen's context and the picture's
// palette, or a halftone one) and hands it to use, which may take it over by
// setting it to None; whatever use leaves is deleted afterwards, with the
// palette and the screen's context, however use ends.
template <typename Use>
void WithFaceMask(host::Platform& platform, const host::Picture* picture, std::uint32_t oleColour,
                  Use use) {
  if (picture == nullptr || picture->Type() != host::kPicTypeBitmap ||
      host::IsNone(picture->Handle())) {
    throw host::HostError(kErrorInvalidPicture, "Invalid picture");
  }
  host::Gdi& gdi = platform.gdi;
  const host::DeviceContext screen = gdi.GetDC(host::WindowHandle::None);
  host::PaletteHandle palette = picture->Palette();
  const bool ownPalette = host::IsNone(palette);
  if (ownPalette)
    palette = gdi.CreateHalftonePalette(screen);

  host::BitmapHandle mask = host::BitmapHandle::None;
  struct Cleanup {
    host::Gdi& gdi;
    host::BitmapHandle& mask;
    host::PaletteHandle palette;
    bool ownPalette;
    host::DeviceContext screen;
    ~Cleanup() {
      if (!host::IsNone(mask))
        gdi.DeleteBitmap(mask);
      if (ownPalette && !host::IsNone(palette))
        gdi.DeletePalette(palette);
      gdi.ReleaseDC(host::WindowHandle::None, screen);
    }
  } cleanup{gdi, mask, palette, ownPalette, screen};

  host::ColorRef transparent = 0;
  platform.ole.TranslateColor(oleColour, palette, &transparent);
  mask = MakeFaceMask(platform, picture->Handle(), transparent, screen, palette);
  use(mask, screen);
}

}  // namespace

void CopyFaceToClipboard(host::Platform& platform, const host::Picture* picture,
                         std::uint32_t oleColour) {
  WithFaceMask(platform, picture, oleColour,
               [&](host::BitmapHandle& mask, host::DeviceContext screen) {
                 platform.clipboard.SetPicture(*picture, host::kCfDib);
                 CopyMaskToClipboard(platform, mask, screen);
               });
}

host::PicturePtr FaceMaskPicture(host::Platform& platform, const host::Picture* picture,
                                 std::uint32_t oleColour) {
  host::PicturePtr made;
  WithFaceMask(platform, picture, oleColour, [&](host::BitmapHandle& mask, host::DeviceContext) {
    if (host::IsNone(mask))
      return;
    made = platform.ole.CreateBitmapPicture(mask, host::PaletteHandle::None, true);
    if (made)
      mask = host::BitmapHandle::None;  // the picture's now
  });
  return made;
}

}  // namespace ostrel

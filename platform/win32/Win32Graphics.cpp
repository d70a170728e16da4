// Resource modules, GDI, OLE pictures and the clipboard.
#include <cstring>

#include "common/Text.h"
#include "host/ErrorNumbers.h"
#include "host/HostError.h"
#include "win32/OlePicture.h"
#include "win32/Owned.h"
#include "win32/WideText.h"
#include "win32/Win32Handles.h"
#include "win32/Win32Services.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::win32 {
namespace {

HDC Dc(host::DeviceContext dc) {
  return ToNative<HDC>(dc);
}
HBITMAP Bitmap(host::BitmapHandle bitmap) {
  return ToNative<HBITMAP>(bitmap);
}
HPALETTE Palette(host::PaletteHandle palette) {
  return ToNative<HPALETTE>(palette);
}

// OLE_HANDLE is 32 bits wide; GDI handles on 64-bit Windows are their 32-bit
// values sign-extended, so widen it the same way.
std::uintptr_t FromOleHandle(OLE_HANDLE handle) {
  return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(static_cast<std::int32_t>(handle)));
}

// A picture made by OleCreatePictureIndirect, held through its IPicture.
class OlePicture final : public host::Picture {
 public:
  explicit OlePicture(IPicture* picture) : picture_(picture) {}
  ~OlePicture() override { picture_->Release(); }
  OlePicture(const OlePicture&) = delete;
  OlePicture& operator=(const OlePicture&) = delete;

  short Type() const override {
    SHORT type = PICTYPE_NONE;
    return SUCCEEDED(picture_->get_Type(&type)) ? type : PICTYPE_NONE;
  }
  host::BitmapHandle Handle() const override {
    OLE_HANDLE handle = 0;
    if (FAILED(picture_->get_Handle(&handle)))
      return host::BitmapHandle::None;
    return static_cast<host::BitmapHandle>(FromOleHandle(handle));
  }
  host::PaletteHandle Palette() const override {
    OLE_HANDLE palette = 0;
    if (FAILED(picture_->get_hPal(&palette)))
      return host::PaletteHandle::None;
    return static_cast<host::PaletteHandle>(FromOleHandle(palette));
  }
  IPicture* get() const { return picture_; }

 private:
  IPicture* picture_;
};

// The bitmap as a packed DIB (header, colour table, rows) at its own depth.
std::vector<std::uint8_t> PackedDib(HBITMAP bitmap) {
  BITMAP record{};
  if (::GetObjectW(bitmap, sizeof record, &record) == 0)
    return {};
  const WORD depth = record.bmBitsPixel <= 8    ? record.bmBitsPixel
                     : record.bmBitsPixel == 32 ? 32
                                                : 24;
  const std::size_t colours = depth <= 8 ? (std::size_t{1} << depth) : 0;
  const std::size_t stride = ((static_cast<std::size_t>(record.bmWidth) * depth + 31) / 32) * 4;
  const std::size_t imageSize = stride * static_cast<std::size_t>(record.bmHeight);
  std::vector<std::uint8_t> packed(sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD) +
                                   imageSize);
  auto* info = reinterpret_cast<BITMAPINFO*>(packed.data());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biWidth = record.bmWidth;
  info->bmiHeader.biHeight = record.bmHeight;
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = depth;
  info->bmiHeader.biCompression = BI_RGB;
  info->bmiHeader.biSizeImage = static_cast<DWORD>(imageSize);
  HDC screen = ::GetDC(nullptr);
  const int lines = ::GetDIBits(
      screen, bitmap, 0, static_cast<UINT>(record.bmHeight),
      packed.data() + sizeof(BITMAPINFOHEADER) + colours * sizeof(RGBQUAD), info, DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (lines == 0)
    return {};
  return packed;
}

}  // namespace

host::PicturePtr PictureOf(IPicture* picture) {
  if (picture == nullptr)
    return nullptr;
  picture->AddRef();
  return std::make_shared<OlePicture>(picture);
}

IDispatch* DispatchOf(const host::Picture& picture) {
  const auto* ole = dynamic_cast<const OlePicture*>(&picture);
  IDispatch* dispatch = nullptr;
  if (ole == nullptr ||
      FAILED(ole->get()->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
    return nullptr;
  return dispatch;
}

host::ModuleHandle Win32ResourceLoader::LoadLibraryEx(const String& path, std::uint32_t flags) {
  return FromNative<host::ModuleHandle>(::LoadLibraryExW(Wide(path), nullptr, flags));
}

bool Win32ResourceLoader::FreeLibrary(host::ModuleHandle module) {
  return ::FreeLibrary(ToNative<HMODULE>(module)) != FALSE;
}

int Win32ResourceLoader::LoadString(host::ModuleHandle module, std::uint32_t id, char16_t* buffer,
                                    int capacity) {
  // A capacity of 0 would make LoadStringW hand out a pointer into the
  // resource instead of a copy.
  if (buffer == nullptr || capacity <= 0)
    return 0;
  return ::LoadStringW(ToNative<HINSTANCE>(module), id, reinterpret_cast<wchar_t*>(buffer),
                       capacity);
}

host::BitmapHandle Win32ResourceLoader::LoadBitmap(host::ModuleHandle module, const String& name,
                                                   std::uint32_t flags) {
  return FromNative<host::BitmapHandle>(
      ::LoadImageW(ToNative<HINSTANCE>(module), Wide(name), IMAGE_BITMAP, 0, 0, flags));
}

host::IconHandle Win32ResourceLoader::LoadIcon(host::ModuleHandle module, std::uint32_t id) {
  return FromNative<host::IconHandle>(
      ::LoadIconW(ToNative<HINSTANCE>(module), MAKEINTRESOURCEW(static_cast<WORD>(id))));
}

host::DeviceContext Win32Gdi::GetDC(host::WindowHandle window) {
  return FromNative<host::DeviceContext>(::GetDC(ToNative<HWND>(window)));
}

int Win32Gdi::ReleaseDC(host::WindowHandle window, host::DeviceContext dc) {
  return ::ReleaseDC(ToNative<HWND>(window), Dc(dc));
}

host::DeviceContext Win32Gdi::CreateCompatibleDC(host::DeviceContext dc) {
  return FromNative<host::DeviceContext>(::CreateCompatibleDC(Dc(dc)));
}

bool Win32Gdi::DeleteDC(host::DeviceContext dc) {
  return ::DeleteDC(Dc(dc)) != FALSE;
}

host::BitmapHandle Win32Gdi::CreateBitmap(int width, int height, std::uint32_t planes,
                                          std::uint32_t bitsPerPixel, const void* bits) {
  return FromNative<host::BitmapHandle>(::CreateBitmap(width, height, planes, bitsPerPixel, bits));
}

host::BitmapHandle Win32Gdi::SelectBitmap(host::DeviceContext dc, host::BitmapHandle bitmap) {
  return FromNative<host::BitmapHandle>(::SelectObject(Dc(dc), Bitmap(bitmap)));
}

bool Win32Gdi::DeleteBitmap(host::BitmapHandle bitmap) {
  return ::DeleteObject(Bitmap(bitmap)) != FALSE;
}

bool Win32Gdi::GetBitmapRecord(host::BitmapHandle bitmap, host::BitmapRecord* record) {
  if (::GetObjectType(Bitmap(bitmap)) != OBJ_BITMAP)
    return false;
  BITMAP native{};
  if (::GetObjectW(Bitmap(bitmap), sizeof native, &native) == 0)
    return false;
  record->width = native.bmWidth;
  record->height = native.bmHeight;
  record->widthBytes = native.bmWidthBytes;
  record->planes = native.bmPlanes;
  record->bitsPerPixel = native.bmBitsPixel;
  return true;
}

host::PaletteHandle Win32Gdi::SelectPalette(host::DeviceContext dc, host::PaletteHandle palette,
                                            bool forceBackground) {
  return FromNative<host::PaletteHandle>(
      ::SelectPalette(Dc(dc), Palette(palette), forceBackground ? TRUE : FALSE));
}

std::uint32_t Win32Gdi::RealizePalette(host::DeviceContext dc) {
  return ::RealizePalette(Dc(dc));
}

host::PaletteHandle Win32Gdi::CreateHalftonePalette(host::DeviceContext dc) {
  return FromNative<host::PaletteHandle>(::CreateHalftonePalette(Dc(dc)));
}

bool Win32Gdi::DeletePalette(host::PaletteHandle palette) {
  return ::DeleteObject(Palette(palette)) != FALSE;
}

host::ColorRef Win32Gdi::SetBkColor(host::DeviceContext dc, host::ColorRef color) {
  return ::SetBkColor(Dc(dc), color);
}

host::ColorRef Win32Gdi::SetTextColor(host::DeviceContext dc, host::ColorRef color) {
  return ::SetTextColor(Dc(dc), color);
}

bool Win32Gdi::BitBlt(host::DeviceContext dest, int x, int y, int width, int height,
                      host::DeviceContext src, int srcX, int srcY, std::uint32_t rop) {
  return ::BitBlt(Dc(dest), x, y, width, height, Dc(src), srcX, srcY, rop) != FALSE;
}

int Win32Gdi::GetDIBits(host::DeviceContext dc, host::BitmapHandle bitmap, std::uint32_t startScan,
                        std::uint32_t scanLines, void* bits, void* info, std::uint32_t usage) {
  return ::GetDIBits(Dc(dc), Bitmap(bitmap), startScan, scanLines, bits,
                     static_cast<BITMAPINFO*>(info), usage);
}

host::PicturePtr Win32Ole::CreateBitmapPicture(host::BitmapHandle bitmap,
                                               host::PaletteHandle palette, bool own) {
  PICTDESC description{};
  description.cbSizeofstruct = sizeof description;
  description.picType = PICTYPE_BITMAP;
  description.bmp.hbitmap = Bitmap(bitmap);
  description.bmp.hpal = Palette(palette);
  IDispatch* dispatch = nullptr;
  if (FAILED(::OleCreatePictureIndirect(&description, IID_IDispatch, own ? TRUE : FALSE,
                                        reinterpret_cast<void**>(&dispatch)))) {
    return nullptr;
  }
  IPicture* picture = nullptr;
  const HRESULT found = dispatch->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture));
  dispatch->Release();
  if (FAILED(found))
    return nullptr;
  return std::make_shared<OlePicture>(picture);
}

long Win32Ole::TranslateColor(std::uint32_t oleColor, host::PaletteHandle palette,
                              host::ColorRef* out) {
  COLORREF translated = 0;
  const HRESULT result = ::OleTranslateColor(oleColor, Palette(palette), &translated);
  if (SUCCEEDED(result))
    *out = translated;
  return result;
}

Win32Clipboard::~Win32Clipboard() {
  if (window_ != nullptr)
    ::DestroyWindow(static_cast<HWND>(window_));
}

bool Win32Clipboard::OpenFor(host::WindowHandle owner) {
  HWND window = ToNative<HWND>(owner);
  if (window == nullptr) {
    if (window_ == nullptr)
      window_ = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                  nullptr);
    window = static_cast<HWND>(window_);
  }
  return ::OpenClipboard(window) != FALSE;
}

void Win32Clipboard::Clear() {
  const OpenClipboardScope open(OpenFor(host::WindowHandle::None));
  if (!open)
    throw host::HostError(host::errors::kCannotOpenClipboard, "Can't open Clipboard");
  ::EmptyClipboard();
}

void Win32Clipboard::SetPicture(const host::Picture& picture, std::uint32_t format) {
  const std::vector<std::uint8_t> dib = PackedDib(Bitmap(picture.Handle()));
  if (dib.empty())
    throw host::HostError(host::errors::kInvalidPicture, "Invalid picture");
  bool placed = false;
  {
    const OpenClipboardScope open(OpenFor(host::WindowHandle::None));
    if (!open)
      throw host::HostError(host::errors::kCannotOpenClipboard, "Can't open Clipboard");
    placed = SetData(format, GMEM_MOVEABLE, dib);
  }
  if (!placed)
    throw host::HostError(host::errors::kCannotOpenClipboard,
                          "Can't place the picture on the clipboard");
}

bool Win32Clipboard::Open(host::WindowHandle owner) {
  return OpenFor(owner);
}

bool Win32Clipboard::Close() {
  return ::CloseClipboard() != FALSE;
}

std::uint32_t Win32Clipboard::RegisterFormat(const AnsiString& name) {
  // Format names are ASCII ("HTML Format"), the same in every code page.
  return ::RegisterClipboardFormatW(Wide(FromAscii(name)));
}

std::optional<std::vector<std::uint8_t>> Win32Clipboard::GetData(std::uint32_t format) {
  const HANDLE data = ::GetClipboardData(format);
  if (data == nullptr)
    return std::nullopt;
  const SIZE_T size = ::GlobalSize(data);
  const void* bytes = ::GlobalLock(data);
  if (bytes == nullptr)
    return std::nullopt;
  std::vector<std::uint8_t> copy(static_cast<const std::uint8_t*>(bytes),
                                 static_cast<const std::uint8_t*>(bytes) + size);
  ::GlobalUnlock(data);
  return copy;
}

std::vector<std::uint32_t> Win32Clipboard::EnumFormats() {
  std::vector<std::uint32_t> formats;
  for (UINT format = ::EnumClipboardFormats(0); format != 0;
       format = ::EnumClipboardFormats(format))
    formats.push_back(format);
  return formats;
}

bool Win32Clipboard::SetData(std::uint32_t format, std::uint32_t allocFlags,
                             const std::vector<std::uint8_t>& block) {
  const HGLOBAL memory = ::GlobalAlloc(allocFlags, block.size());
  if (memory == nullptr)
    return false;
  void* target = ::GlobalLock(memory);
  if (target == nullptr) {
    ::GlobalFree(memory);
    return false;
  }
  if (!block.empty())
    std::memcpy(target, block.data(), block.size());
  ::GlobalUnlock(memory);
  if (::SetClipboardData(format, memory) == nullptr) {
    ::GlobalFree(memory);
    return false;
  }
  return true;
}

}  // namespace ostrel::win32

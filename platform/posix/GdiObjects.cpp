#include "posix/GdiObjects.h"

#include <array>
#include <cstring>

namespace ostrel::posix {
namespace {

constexpr std::array<host::ColorRef, kSystemColorCount> kSystemColors = {
    host::Rgb(200, 200, 200),  //  0 COLOR_SCROLLBAR
    host::Rgb(0, 0, 0),        //  1 COLOR_BACKGROUND
    host::Rgb(153, 180, 209),  //  2 COLOR_ACTIVECAPTION
    host::Rgb(191, 205, 219),  //  3 COLOR_INACTIVECAPTION
    host::Rgb(240, 240, 240),  //  4 COLOR_MENU
    host::Rgb(255, 255, 255),  //  5 COLOR_WINDOW
    host::Rgb(100, 100, 100),  //  6 COLOR_WINDOWFRAME
    host::Rgb(0, 0, 0),        //  7 COLOR_MENUTEXT
    host::Rgb(0, 0, 0),        //  8 COLOR_WINDOWTEXT
    host::Rgb(0, 0, 0),        //  9 COLOR_CAPTIONTEXT
    host::Rgb(180, 180, 180),  // 10 COLOR_ACTIVEBORDER
    host::Rgb(244, 247, 252),  // 11 COLOR_INACTIVEBORDER
    host::Rgb(171, 171, 171),  // 12 COLOR_APPWORKSPACE
    host::Rgb(0, 120, 215),    // 13 COLOR_HIGHLIGHT
    host::Rgb(255, 255, 255),  // 14 COLOR_HIGHLIGHTTEXT
    host::Rgb(240, 240, 240),  // 15 COLOR_3DFACE
    host::Rgb(160, 160, 160),  // 16 COLOR_3DSHADOW
    host::Rgb(109, 109, 109),  // 17 COLOR_GRAYTEXT
    host::Rgb(0, 0, 0),        // 18 COLOR_BTNTEXT
    host::Rgb(0, 0, 0),        // 19 COLOR_INACTIVECAPTIONTEXT
    host::Rgb(255, 255, 255),  // 20 COLOR_3DHIGHLIGHT
    host::Rgb(105, 105, 105),  // 21 COLOR_3DDKSHADOW
    host::Rgb(227, 227, 227),  // 22 COLOR_3DLIGHT
    host::Rgb(0, 0, 0),        // 23 COLOR_INFOTEXT
    host::Rgb(255, 255, 225),  // 24 COLOR_INFOBK
    host::Rgb(0, 0, 0),        // 25 (no colour assigned)
    host::Rgb(0, 102, 204),    // 26 COLOR_HOTLIGHT
    host::Rgb(185, 209, 234),  // 27 COLOR_GRADIENTACTIVECAPTION
    host::Rgb(215, 228, 242),  // 28 COLOR_GRADIENTINACTIVECAPTION
    host::Rgb(0, 120, 215),    // 29 COLOR_MENUHILIGHT
    host::Rgb(240, 240, 240),  // 30 COLOR_MENUBAR
};

// The twenty static colours of DEFAULT_PALETTE.
constexpr std::array<host::ColorRef, 20> kStaticColors = {
    host::Rgb(0, 0, 0),       host::Rgb(128, 0, 0),     host::Rgb(0, 128, 0),
    host::Rgb(128, 128, 0),   host::Rgb(0, 0, 128),     host::Rgb(128, 0, 128),
    host::Rgb(0, 128, 128),   host::Rgb(192, 192, 192), host::Rgb(192, 220, 192),
    host::Rgb(166, 202, 240), host::Rgb(255, 251, 240), host::Rgb(160, 160, 164),
    host::Rgb(128, 128, 128), host::Rgb(255, 0, 0),     host::Rgb(0, 255, 0),
    host::Rgb(255, 255, 0),   host::Rgb(0, 0, 255),     host::Rgb(255, 0, 255),
    host::Rgb(0, 255, 255),   host::Rgb(255, 255, 255)};

std::uint8_t Red(host::ColorRef c) {
  return static_cast<std::uint8_t>(c & 0xFF);
}
std::uint8_t Green(host::ColorRef c) {
  return static_cast<std::uint8_t>((c >> 8) & 0xFF);
}
std::uint8_t Blue(host::ColorRef c) {
  return static_cast<std::uint8_t>((c >> 16) & 0xFF);
}

// The nearer of black and white, as GDI picks between the two entries of a
// monochrome colour table.
bool NearerWhite(host::ColorRef c) {
  return Red(c) + Green(c) + Blue(c) > 382;
}

void PutU32(std::uint8_t* out, std::uint32_t value) {
  std::memcpy(out, &value, 4);
}

}  // namespace

std::optional<host::ColorRef> SystemColor(int index) {
  if (index < 0 || index >= kSystemColorCount)
    return std::nullopt;
  return kSystemColors[static_cast<std::size_t>(index)];
}

std::optional<BitmapObject> MakeBitmap(std::int32_t width, std::int32_t height,
                                       std::uint16_t bitsPerPixel) {
  if (width <= 0 || height <= 0 || (bitsPerPixel != 1 && bitsPerPixel != 32))
    return std::nullopt;
  if (std::int64_t{width} * height > kMaxBitmapPixels)
    return std::nullopt;
  BitmapObject bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.bitsPerPixel = bitsPerPixel;
  bitmap.pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), kBlack);
  return bitmap;
}

PaletteObject HalftonePalette() {
  PaletteObject palette;
  palette.entries.reserve(256);
  palette.entries.insert(palette.entries.end(), kStaticColors.begin(), kStaticColors.begin() + 10);
  for (int r = 0; r < 6; ++r) {
    for (int g = 0; g < 6; ++g) {
      for (int b = 0; b < 6; ++b) {
        palette.entries.push_back(host::Rgb(static_cast<std::uint8_t>(r * 51),
                                            static_cast<std::uint8_t>(g * 51),
                                            static_cast<std::uint8_t>(b * 51)));
      }
    }
  }
  for (int i = 1; i <= 20; ++i) {
    const auto grey = static_cast<std::uint8_t>(i * 12);
    palette.entries.push_back(host::Rgb(grey, grey, grey));
  }
  palette.entries.insert(palette.entries.end(), kStaticColors.end() - 10, kStaticColors.end());
  return palette;
}

std::size_t DibStride(std::int32_t width, std::uint16_t bitCount) {
  const std::uint64_t bits = static_cast<std::uint64_t>(width < 0 ? 0 : width) * bitCount;
  return static_cast<std::size_t>((bits + 31) / 32 * 4);
}

void WriteDibRows(const BitmapObject& bitmap, std::uint16_t bitCount, bool topDown,
                  std::uint32_t start, std::uint32_t lines, std::uint8_t* out) {
  const std::size_t stride = DibStride(bitmap.width, bitCount);
  for (std::uint32_t line = 0; line < lines; ++line) {
    const std::uint32_t scan = start + line;
    const auto y = static_cast<std::int32_t>(topDown ? scan : bitmap.height - 1 - scan);
    std::uint8_t* row = out + static_cast<std::size_t>(line) * stride;
    std::memset(row, 0, stride);
    for (std::int32_t x = 0; x < bitmap.width; ++x) {
      const host::ColorRef c = bitmap.At(x, y);
      const auto ux = static_cast<std::size_t>(x);
      switch (bitCount) {
        case 1:
          if (NearerWhite(c))
            row[ux / 8] |= static_cast<std::uint8_t>(0x80 >> (ux % 8));
          break;
        case 24:
          row[ux * 3] = Blue(c);
          row[ux * 3 + 1] = Green(c);
          row[ux * 3 + 2] = Red(c);
          break;
        default:
          row[ux * 4] = Blue(c);
          row[ux * 4 + 1] = Green(c);
          row[ux * 4 + 2] = Red(c);
          if (!bitmap.alpha.empty())
            row[ux * 4 + 3] =
                bitmap.alpha[static_cast<std::size_t>(y) * static_cast<std::size_t>(bitmap.width) +
                             ux];
          break;
      }
    }
  }
}

std::vector<std::uint8_t> PackedDib(const BitmapObject& bitmap) {
  const std::uint16_t bitCount = bitmap.bitsPerPixel;
  const std::size_t stride = DibStride(bitmap.width, bitCount);
  const std::size_t image = stride * static_cast<std::size_t>(bitmap.height);
  const std::size_t table = bitCount == 1 ? 8 : 0;
  host::BitmapInfoHeader header{};
  header.biSize = sizeof header;
  header.biWidth = bitmap.width;
  header.biHeight = bitmap.height;
  header.biPlanes = 1;
  header.biBitCount = bitCount;
  header.biCompression = host::kBiRgb;
  header.biSizeImage = static_cast<std::uint32_t>(image);
  std::vector<std::uint8_t> dib(sizeof header + table + image, 0);
  std::memcpy(dib.data(), &header, sizeof header);
  if (table != 0)
    PutU32(dib.data() + sizeof header + 4, 0x00FFFFFF);  // black, white
  WriteDibRows(bitmap, bitCount, false, 0, static_cast<std::uint32_t>(bitmap.height),
               dib.data() + sizeof header + table);
  return dib;
}

GdiObjects::GdiObjects() {
  BitmapObject stock = *MakeBitmap(1, 1, 1);
  stock.stock = true;
  stockBitmap_ = AddBitmap(std::move(stock));
  PaletteObject palette;
  palette.entries.assign(kStaticColors.begin(), kStaticColors.end());
  palette.stock = true;
  defaultPalette_ = AddPalette(std::move(palette));
}

std::uintptr_t GdiObjects::Add(Object object) {
  const std::uintptr_t handle = nextHandle_++;
  objects_.emplace(handle, std::move(object));
  return handle;
}

template <typename T>
T* GdiObjects::Find(std::uintptr_t handle) {
  const auto found = objects_.find(handle);
  if (found == objects_.end())
    return nullptr;
  return std::get_if<T>(&found->second);
}

host::BitmapHandle GdiObjects::AddBitmap(BitmapObject bitmap) {
  return static_cast<host::BitmapHandle>(Add(std::move(bitmap)));
}

BitmapObject* GdiObjects::Bitmap(host::BitmapHandle handle) {
  return Find<BitmapObject>(static_cast<std::uintptr_t>(handle));
}

bool GdiObjects::DeleteBitmap(host::BitmapHandle handle) {
  const BitmapObject* bitmap = Bitmap(handle);
  if (bitmap == nullptr)
    return false;
  if (bitmap->stock)
    return true;
  if (!host::IsNone(bitmap->selectedIn))
    return false;
  objects_.erase(static_cast<std::uintptr_t>(handle));
  return true;
}

host::PaletteHandle GdiObjects::AddPalette(PaletteObject palette) {
  return static_cast<host::PaletteHandle>(Add(std::move(palette)));
}

PaletteObject* GdiObjects::Palette(host::PaletteHandle handle) {
  return Find<PaletteObject>(static_cast<std::uintptr_t>(handle));
}

bool GdiObjects::DeletePalette(host::PaletteHandle handle) {
  const PaletteObject* palette = Palette(handle);
  if (palette == nullptr)
    return false;
  if (palette->stock)
    return true;
  for (const auto& [key, object] : objects_) {
    const auto* dc = std::get_if<DcObject>(&object);
    if (dc != nullptr && dc->palette == handle)
      return false;
  }
  objects_.erase(static_cast<std::uintptr_t>(handle));
  return true;
}

host::DeviceContext GdiObjects::AddDc(DcObject dc) {
  return static_cast<host::DeviceContext>(Add(std::move(dc)));
}

DcObject* GdiObjects::Dc(host::DeviceContext handle) {
  return Find<DcObject>(static_cast<std::uintptr_t>(handle));
}

bool GdiObjects::DeleteDc(host::DeviceContext handle) {
  const DcObject* dc = Dc(handle);
  if (dc == nullptr)
    return false;
  if (BitmapObject* bitmap = Bitmap(dc->bitmap); bitmap != nullptr && !bitmap->stock) {
    bitmap->selectedIn = host::DeviceContext::None;
  }
  objects_.erase(static_cast<std::uintptr_t>(handle));
  return true;
}

host::IconHandle GdiObjects::AddIcon(IconObject icon) {
  return static_cast<host::IconHandle>(Add(std::move(icon)));
}

const IconObject* GdiObjects::Icon(host::IconHandle handle) const {
  const auto found = objects_.find(static_cast<std::uintptr_t>(handle));
  if (found == objects_.end())
    return nullptr;
  return std::get_if<IconObject>(&found->second);
}

}  // namespace ostrel::posix

#include "posix/MemoryGdi.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "posix/GdiObjects.h"

namespace ostrel::posix {
namespace {

constexpr std::uint32_t kGdiError = 0xFFFFFFFF;

// BITMAPINFOHEADER, BITMAPV4HEADER, BITMAPV5HEADER: the later ones share the
// first 40 bytes. BITMAPCOREHEADER callers are not supported.
bool KnownInfoSize(std::uint32_t size) {
  return size == 40 || size == 108 || size == 124;
}

host::ColorRef Plain(host::ColorRef color) {
  return color & 0xFFFFFF;
}

}  // namespace

host::DeviceContext MemoryGdi::GetDC(host::WindowHandle /*window*/) {
  // Every window, and the screen for None, draws on the 32 bpp display.
  DcObject dc;
  dc.memory = false;
  dc.palette = objects_.DefaultPalette();
  return objects_.AddDc(dc);
}

int MemoryGdi::ReleaseDC(host::WindowHandle /*window*/, host::DeviceContext dc) {
  const DcObject* object = objects_.Dc(dc);
  if (object == nullptr || object->memory)
    return 0;
  return objects_.DeleteDc(dc) ? 1 : 0;
}

host::DeviceContext MemoryGdi::CreateCompatibleDC(host::DeviceContext dc) {
  if (!host::IsNone(dc) && objects_.Dc(dc) == nullptr)
    return host::DeviceContext::None;
  DcObject memory;
  memory.memory = true;
  memory.bitmap = objects_.StockBitmap();
  memory.palette = objects_.DefaultPalette();
  return objects_.AddDc(memory);
}

bool MemoryGdi::DeleteDC(host::DeviceContext dc) {
  const DcObject* object = objects_.Dc(dc);
  // A context from GetDC goes back through ReleaseDC, not DeleteDC.
  if (object == nullptr || !object->memory)
    return false;
  return objects_.DeleteDc(dc);
}

host::BitmapHandle MemoryGdi::CreateBitmap(int width, int height, std::uint32_t planes,
                                           std::uint32_t bitsPerPixel, const void* bits) {
  if (width < 0 || height < 0 || planes != 1)
    return host::BitmapHandle::None;
  // As documented for CreateBitmap: a zero size gives the 1x1 monochrome bitmap.
  if (width == 0 || height == 0)
    return objects_.StockBitmap();
  if (bitsPerPixel != 1 && bitsPerPixel != 32)
    return host::BitmapHandle::None;
  auto bitmap = MakeBitmap(width, height, static_cast<std::uint16_t>(bitsPerPixel));
  if (!bitmap)
    return host::BitmapHandle::None;
  if (bits != nullptr) {
    const auto* in = static_cast<const std::uint8_t*>(bits);
    // Device-dependent rows are padded to 16 bits, top row first.
    const std::size_t stride = (static_cast<std::size_t>(width) * bitsPerPixel + 15) / 16 * 2;
    for (int y = 0; y < height; ++y) {
      const std::uint8_t* row = in + static_cast<std::size_t>(y) * stride;
      for (int x = 0; x < width; ++x) {
        const auto ux = static_cast<std::size_t>(x);
        if (bitsPerPixel == 1) {
          bitmap->At(x, y) = (row[ux / 8] >> (7 - ux % 8)) & 1 ? kWhite : kBlack;
        } else {
          bitmap->At(x, y) = host::Rgb(row[ux * 4 + 2], row[ux * 4 + 1], row[ux * 4]);
        }
      }
    }
  }
  return objects_.AddBitmap(std::move(*bitmap));
}

host::BitmapHandle MemoryGdi::SelectBitmap(host::DeviceContext dc, host::BitmapHandle bitmap) {
  DcObject* context = objects_.Dc(dc);
  BitmapObject* object = objects_.Bitmap(bitmap);
  // Only memory contexts take bitmaps.
  if (context == nullptr || !context->memory || object == nullptr) {
    return host::BitmapHandle::None;
  }
  if (context->bitmap == bitmap)
    return bitmap;
  // A bitmap lives in one context at a time (the stock bitmap in any number).
  if (!object->stock && !host::IsNone(object->selectedIn))
    return host::BitmapHandle::None;

  const host::BitmapHandle previous = context->bitmap;
  if (BitmapObject* old = objects_.Bitmap(previous); old != nullptr && !old->stock) {
    old->selectedIn = host::DeviceContext::None;
  }
  if (!object->stock)
    object->selectedIn = dc;
  context->bitmap = bitmap;
  return previous;
}

bool MemoryGdi::DeleteBitmap(host::BitmapHandle bitmap) {
  return objects_.DeleteBitmap(bitmap);
}

bool MemoryGdi::GetBitmapRecord(host::BitmapHandle bitmap, host::BitmapRecord* record) {
  const BitmapObject* object = objects_.Bitmap(bitmap);
  if (object == nullptr || record == nullptr)
    return false;
  record->width = object->width;
  record->height = object->height;
  record->widthBytes = static_cast<std::int32_t>(
      (static_cast<std::int64_t>(object->width) * object->bitsPerPixel + 15) / 16 * 2);
  record->planes = 1;
  record->bitsPerPixel = object->bitsPerPixel;
  return true;
}

host::PaletteHandle MemoryGdi::SelectPalette(host::DeviceContext dc, host::PaletteHandle palette,
                                             bool /*forceBackground*/) {
  DcObject* context = objects_.Dc(dc);
  if (context == nullptr || objects_.Palette(palette) == nullptr) {
    return host::PaletteHandle::None;
  }
  const host::PaletteHandle previous = context->palette;
  context->palette = palette;
  return previous;
}

std::uint32_t MemoryGdi::RealizePalette(host::DeviceContext dc) {
  // A 32 bpp display has no hardware palette: nothing to map.
  return objects_.Dc(dc) == nullptr ? kGdiError : 0;
}

host::PaletteHandle MemoryGdi::CreateHalftonePalette(host::DeviceContext dc) {
  if (!host::IsNone(dc) && objects_.Dc(dc) == nullptr)
    return host::PaletteHandle::None;
  return objects_.AddPalette(HalftonePalette());
}

bool MemoryGdi::DeletePalette(host::PaletteHandle palette) {
  return objects_.DeletePalette(palette);
}

host::ColorRef MemoryGdi::SetBkColor(host::DeviceContext dc, host::ColorRef color) {
  DcObject* context = objects_.Dc(dc);
  if (context == nullptr)
    return kClrInvalid;
  return std::exchange(context->background, color);
}

host::ColorRef MemoryGdi::SetTextColor(host::DeviceContext dc, host::ColorRef color) {
  DcObject* context = objects_.Dc(dc);
  if (context == nullptr)
    return kClrInvalid;
  return std::exchange(context->text, color);
}

bool MemoryGdi::BitBlt(host::DeviceContext dest, int x, int y, int width, int height,
                       host::DeviceContext src, int srcX, int srcY, std::uint32_t rop) {
  if (rop != host::kSrcCopy)
    return false;
  const DcObject* target = objects_.Dc(dest);
  const DcObject* source = objects_.Dc(src);
  if (target == nullptr || source == nullptr || !target->memory || !source->memory)
    return false;
  BitmapObject* to = objects_.Bitmap(target->bitmap);
  const BitmapObject* from = objects_.Bitmap(source->bitmap);
  if (to == nullptr || from == nullptr)
    return false;
  if (width <= 0 || height <= 0)
    return true;

  // The rectangle clipped to both bitmaps, in offsets from (x, y) / (srcX, srcY).
  const std::int64_t left = std::max<std::int64_t>({0, -std::int64_t{x}, -std::int64_t{srcX}});
  const std::int64_t top = std::max<std::int64_t>({0, -std::int64_t{y}, -std::int64_t{srcY}});
  const std::int64_t right = std::min<std::int64_t>(
      {width, std::int64_t{to->width} - x, std::int64_t{from->width} - srcX});
  const std::int64_t bottom = std::min<std::int64_t>(
      {height, std::int64_t{to->height} - y, std::int64_t{from->height} - srcY});
  if (left >= right || top >= bottom)
    return true;

  // Copying within one bitmap reads from a snapshot so overlapping areas come out right.
  std::vector<host::ColorRef> snapshot;
  const std::vector<host::ColorRef>* pixels = &from->pixels;
  if (to == from) {
    snapshot = from->pixels;
    pixels = &snapshot;
  }
  const host::ColorRef transparent = Plain(source->background);
  for (std::int64_t j = top; j < bottom; ++j) {
    for (std::int64_t i = left; i < right; ++i) {
      const auto sx = static_cast<std::size_t>(srcX + i);
      const auto sy = static_cast<std::size_t>(srcY + j);
      host::ColorRef pixel = (*pixels)[sy * static_cast<std::size_t>(from->width) + sx];
      if (from->bitsPerPixel != 1 && to->bitsPerPixel == 1) {
        // Colour to monochrome: the source's background colour becomes white.
        pixel = Plain(pixel) == transparent ? kWhite : kBlack;
      } else if (from->bitsPerPixel == 1 && to->bitsPerPixel != 1) {
        // Monochrome to colour: white takes the target's background colour,
        // black its text colour.
        pixel = pixel == kWhite ? Plain(target->background) : Plain(target->text);
      }
      to->At(static_cast<std::int32_t>(x + i), static_cast<std::int32_t>(y + j)) = pixel;
    }
  }
  return true;
}

int MemoryGdi::GetDIBits(host::DeviceContext dc, host::BitmapHandle bitmap, std::uint32_t startScan,
                         std::uint32_t scanLines, void* bits, void* info, std::uint32_t usage) {
  if (objects_.Dc(dc) == nullptr || info == nullptr || usage != host::kDibRgbColors)
    return 0;
  const BitmapObject* object = objects_.Bitmap(bitmap);
  if (object == nullptr)
    return 0;
  host::BitmapInfoHeader header{};
  std::memcpy(&header, info, sizeof header);
  if (!KnownInfoSize(header.biSize))
    return 0;

  if (header.biBitCount == 0) {
    // Only the format is asked for: the bitmap's own.
    if (bits != nullptr)
      return 0;
    const std::uint32_t size = header.biSize;
    header = {};
    header.biSize = size;
    header.biWidth = object->width;
    header.biHeight = object->height;
    header.biPlanes = 1;
    header.biBitCount = object->bitsPerPixel;
    header.biCompression = host::kBiRgb;
    header.biSizeImage = static_cast<std::uint32_t>(DibStride(object->width, object->bitsPerPixel) *
                                                    static_cast<std::size_t>(object->height));
    std::memcpy(info, &header, sizeof header);
    return object->height;
  }

  const std::uint16_t bitCount = header.biBitCount;
  if ((bitCount != 1 && bitCount != 24 && bitCount != 32) || header.biCompression != host::kBiRgb) {
    return 0;
  }
  const bool topDown = header.biHeight < 0;
  if (bits != nullptr) {
    // The rows go into the caller's buffer in the layout its header describes;
    // the stand-in copies only into a layout of the bitmap's own size.
    const std::int64_t rows = topDown ? -std::int64_t{header.biHeight} : header.biHeight;
    if (header.biWidth != object->width || rows != object->height)
      return 0;
  }
  header.biWidth = object->width;
  header.biHeight = topDown ? -object->height : object->height;
  header.biPlanes = 1;
  header.biSizeImage = static_cast<std::uint32_t>(DibStride(object->width, bitCount) *
                                                  static_cast<std::size_t>(object->height));
  header.biClrUsed = 0;
  header.biClrImportant = 0;
  auto* out = static_cast<std::uint8_t*>(info);
  std::memcpy(out, &header, sizeof header);
  if (bitCount == 1) {
    // The two entries of a monochrome table: black, then white.
    const std::uint32_t table[2] = {0x00000000, 0x00FFFFFF};
    std::memcpy(out + header.biSize, table, sizeof table);
  }
  if (bits == nullptr)
    return object->height;

  const auto height = static_cast<std::uint32_t>(object->height);
  if (startScan >= height)
    return 0;
  const std::uint32_t lines = std::min(scanLines, height - startScan);
  WriteDibRows(*object, bitCount, topDown, startScan, lines, static_cast<std::uint8_t*>(bits));
  return static_cast<int>(lines);
}

}  // namespace ostrel::posix

// The GDI, OLE and window stand-ins: Win32's rules for handles, selection,
// BitBlt between depths and GetDIBits, beyond what the face-mask tests cover.
#include "posix/MemoryGdi.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "posix/GdiObjects.h"
#include "posix/MemoryOle.h"
#include "posix/RecordingWindows.h"
#include "support/Checked.h"

namespace ostrel::posix {
namespace {

using host::BitmapHandle;
using host::DeviceContext;
using host::PaletteHandle;

constexpr host::ColorRef kMagenta = host::Rgb(255, 0, 255);
constexpr host::ColorRef kTeal = host::Rgb(0, 128, 128);

class MemoryGdiTest : public ::testing::Test {
 protected:
  // A 32 bpp bitmap whose pixels come from `colour(x, y)`.
  template <typename F>
  BitmapHandle ColourBitmap(int width, int height, F colour) {
    const BitmapHandle bitmap = gdi_.CreateBitmap(width, height, 1, 32, nullptr);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        objects_.Bitmap(bitmap)->At(x, y) = colour(x, y);
      }
    }
    return bitmap;
  }
  DeviceContext DcWith(BitmapHandle bitmap,
                       ostrel::test::Where where = ostrel::test::Where::current()) {
    const ostrel::test::CalledFrom trace(where);
    const DeviceContext dc = gdi_.CreateCompatibleDC(DeviceContext::None);
    EXPECT_FALSE(host::IsNone(gdi_.SelectBitmap(dc, bitmap)));
    return dc;
  }
  host::ColorRef Pixel(BitmapHandle bitmap, int x, int y) {
    return objects_.Bitmap(bitmap)->At(x, y);
  }

  GdiObjects objects_;
  MemoryGdi gdi_{objects_};
};

TEST_F(MemoryGdiTest, ContextsGoBackTheWayTheyCameAndStartWithTheStockBitmap) {
  const DeviceContext screen = gdi_.GetDC(host::WindowHandle::None);
  ASSERT_FALSE(host::IsNone(screen));
  EXPECT_FALSE(gdi_.DeleteDC(screen));  // a GetDC context is released, not deleted
  const DeviceContext memory = gdi_.CreateCompatibleDC(screen);
  ASSERT_FALSE(host::IsNone(memory));
  EXPECT_EQ(gdi_.ReleaseDC(host::WindowHandle::None, memory), 0);
  EXPECT_EQ(gdi_.ReleaseDC(host::WindowHandle::None, screen), 1);
  EXPECT_EQ(gdi_.ReleaseDC(host::WindowHandle::None, screen), 0);
  EXPECT_TRUE(host::IsNone(gdi_.CreateCompatibleDC(screen)));  // released: invalid now
  EXPECT_TRUE(gdi_.DeleteDC(memory));
  EXPECT_FALSE(gdi_.DeleteDC(memory));
  EXPECT_EQ(objects_.LiveCount(), 0u);

  // A new memory context holds the stock 1x1 monochrome bitmap.
  const DeviceContext dc = gdi_.CreateCompatibleDC(DeviceContext::None);
  const BitmapHandle stock = gdi_.SelectBitmap(dc, gdi_.CreateBitmap(4, 4, 1, 32, nullptr));
  host::BitmapRecord record{};
  ASSERT_TRUE(gdi_.GetBitmapRecord(stock, &record));
  EXPECT_EQ(record.width * record.height * record.bitsPerPixel, 1);
  EXPECT_TRUE(gdi_.DeleteBitmap(stock));                     // harmless for a stock object
  EXPECT_EQ(gdi_.CreateBitmap(0, 5, 1, 1, nullptr), stock);  // no size: the stock bitmap
}

TEST_F(MemoryGdiTest, DeletedAndForeignHandlesFailAsWin32Does) {
  const DeviceContext dc = gdi_.CreateCompatibleDC(DeviceContext::None);
  const BitmapHandle bitmap = gdi_.CreateBitmap(2, 2, 1, 1, nullptr);
  const PaletteHandle palette = gdi_.CreateHalftonePalette(dc);
  ASSERT_TRUE(gdi_.DeleteBitmap(bitmap));
  ASSERT_TRUE(gdi_.DeletePalette(palette));
  ASSERT_TRUE(gdi_.DeleteDC(dc));
  // A handle of one kind used as another is as invalid as a deleted one.
  const auto paletteAsBitmap =
      static_cast<BitmapHandle>(gdi_.CreateHalftonePalette(DeviceContext::None));
  for (const BitmapHandle stale : {bitmap, paletteAsBitmap}) {
    host::BitmapRecord record{7, 7, 7, 7, 7};
    EXPECT_FALSE(gdi_.GetBitmapRecord(stale, &record));
    EXPECT_EQ(record.width, 7);
    EXPECT_FALSE(gdi_.DeleteBitmap(stale));
    const DeviceContext live = gdi_.CreateCompatibleDC(DeviceContext::None);
    EXPECT_TRUE(host::IsNone(gdi_.SelectBitmap(live, stale)));
    std::array<std::uint8_t, 64> info{};
    info[0] = 40;
    EXPECT_EQ(gdi_.GetDIBits(live, stale, 0, 1, nullptr, info.data(), host::kDibRgbColors), 0);
  }
  EXPECT_FALSE(gdi_.DeletePalette(palette));
  EXPECT_EQ(gdi_.SetBkColor(dc, kMagenta), kClrInvalid);
  EXPECT_EQ(gdi_.SetTextColor(dc, kMagenta), kClrInvalid);
  EXPECT_EQ(gdi_.RealizePalette(dc), 0xFFFFFFFFu);
  EXPECT_TRUE(host::IsNone(gdi_.SelectPalette(dc, objects_.DefaultPalette(), true)));
  EXPECT_TRUE(host::IsNone(gdi_.SelectBitmap(dc, gdi_.CreateBitmap(1, 1, 1, 1, nullptr))));
  EXPECT_FALSE(gdi_.BitBlt(dc, 0, 0, 1, 1, dc, 0, 0, host::kSrcCopy));
}

TEST_F(MemoryGdiTest, ABitmapLivesInOneContextAtATime) {
  const BitmapHandle bitmap = gdi_.CreateBitmap(3, 3, 1, 32, nullptr);
  const DeviceContext first = gdi_.CreateCompatibleDC(DeviceContext::None);
  const DeviceContext second = gdi_.CreateCompatibleDC(DeviceContext::None);
  const BitmapHandle firstStock = gdi_.SelectBitmap(first, bitmap);
  ASSERT_FALSE(host::IsNone(firstStock));
  EXPECT_EQ(gdi_.SelectBitmap(first, bitmap), bitmap);  // again into the same one: fine
  EXPECT_TRUE(host::IsNone(gdi_.SelectBitmap(second, bitmap)));
  EXPECT_FALSE(gdi_.DeleteBitmap(bitmap));  // still selected
  // Put back the stock bitmap in the first: the bitmap is free again.
  EXPECT_EQ(gdi_.SelectBitmap(first, firstStock), bitmap);
  EXPECT_FALSE(host::IsNone(gdi_.SelectBitmap(second, bitmap)));
  // Deleting the context that holds it frees it too.
  EXPECT_TRUE(gdi_.DeleteDC(second));
  EXPECT_TRUE(gdi_.DeleteBitmap(bitmap));
  // Window contexts take no bitmaps.
  const DeviceContext screen = gdi_.GetDC(host::WindowHandle::None);
  EXPECT_TRUE(host::IsNone(gdi_.SelectBitmap(screen, gdi_.CreateBitmap(1, 1, 1, 1, nullptr))));
}

TEST_F(MemoryGdiTest, CreateBitmapTakesWordAlignedRowsAndRefusesOtherFormats) {
  // 9 pixels wide: two bytes a row, top row first, 1 = white.
  const std::uint8_t rows[] = {0b10000000, 0b10000000, 0b01111111, 0b00000000};
  const BitmapHandle mono = gdi_.CreateBitmap(9, 2, 1, 1, rows);
  ASSERT_FALSE(host::IsNone(mono));
  EXPECT_EQ(Pixel(mono, 8, 0), kWhite);
  EXPECT_EQ(Pixel(mono, 1, 0), kBlack);
  EXPECT_EQ(Pixel(mono, 0, 1), kBlack);
  EXPECT_EQ(Pixel(mono, 7, 1), kWhite);
  host::BitmapRecord record{};
  ASSERT_TRUE(gdi_.GetBitmapRecord(mono, &record));
  EXPECT_EQ(record.widthBytes, 2);
  EXPECT_EQ(record.planes, 1);

  const std::uint8_t bgrx[] = {0x30, 0x20, 0x10, 0};
  const BitmapHandle colour = gdi_.CreateBitmap(1, 1, 1, 32, bgrx);
  EXPECT_EQ(Pixel(colour, 0, 0), host::Rgb(0x10, 0x20, 0x30));

  EXPECT_TRUE(host::IsNone(gdi_.CreateBitmap(-1, 2, 1, 1, nullptr)));
  EXPECT_TRUE(host::IsNone(gdi_.CreateBitmap(2, 2, 2, 1, nullptr)));
  EXPECT_TRUE(host::IsNone(gdi_.CreateBitmap(2, 2, 1, 8, nullptr)));
  EXPECT_TRUE(host::IsNone(gdi_.CreateBitmap(30000, 30000, 1, 1, nullptr)));
}

TEST_F(MemoryGdiTest, BitBltConvertsBetweenDepthsWithTheContextsColours) {
  const auto source = ColourBitmap(2, 1, [](int x, int) { return x == 0 ? kMagenta : kTeal; });
  const DeviceContext from = DcWith(source);

  // Colour to monochrome: the source's background colour becomes white.
  const BitmapHandle mask = gdi_.CreateBitmap(2, 1, 1, 1, nullptr);
  const DeviceContext maskDc = DcWith(mask);
  gdi_.SetBkColor(from, kMagenta);
  ASSERT_TRUE(gdi_.BitBlt(maskDc, 0, 0, 2, 1, from, 0, 0, host::kSrcCopy));
  EXPECT_EQ(Pixel(mask, 0, 0), kWhite);
  EXPECT_EQ(Pixel(mask, 1, 0), kBlack);

  // Monochrome to colour: white takes the target's background, black its text colour.
  const BitmapHandle painted = gdi_.CreateBitmap(2, 1, 1, 32, nullptr);
  const DeviceContext paintedDc = DcWith(painted);
  EXPECT_EQ(gdi_.SetBkColor(paintedDc, host::Rgb(1, 2, 3)), kWhite);
  EXPECT_EQ(gdi_.SetTextColor(paintedDc, host::Rgb(4, 5, 6)), kBlack);
  ASSERT_TRUE(gdi_.BitBlt(paintedDc, 0, 0, 2, 1, maskDc, 0, 0, host::kSrcCopy));
  EXPECT_EQ(Pixel(painted, 0, 0), host::Rgb(1, 2, 3));
  EXPECT_EQ(Pixel(painted, 1, 0), host::Rgb(4, 5, 6));

  // Same depths copy as they are, whatever the colours of the contexts.
  const BitmapHandle monoCopy = gdi_.CreateBitmap(2, 1, 1, 1, nullptr);
  ASSERT_TRUE(gdi_.BitBlt(DcWith(monoCopy), 0, 0, 2, 1, maskDc, 0, 0, host::kSrcCopy));
  EXPECT_EQ(Pixel(monoCopy, 0, 0), kWhite);
  const BitmapHandle colourCopy = gdi_.CreateBitmap(2, 1, 1, 32, nullptr);
  ASSERT_TRUE(gdi_.BitBlt(DcWith(colourCopy), 0, 0, 2, 1, from, 0, 0, host::kSrcCopy));
  EXPECT_EQ(Pixel(colourCopy, 0, 0), kMagenta);
  EXPECT_EQ(Pixel(colourCopy, 1, 0), kTeal);

  EXPECT_FALSE(gdi_.BitBlt(maskDc, 0, 0, 2, 1, from, 0, 0, 0x00EE0086));  // SRCPAINT
  EXPECT_FALSE(
      gdi_.BitBlt(gdi_.GetDC(host::WindowHandle::None), 0, 0, 2, 1, from, 0, 0, host::kSrcCopy));
}

struct ClipCase {
  const char* name;
  int x, y, width, height, srcX, srcY;
  // The target's 3x3 pixels afterwards: '.' untouched, else the source column copied there.
  const char* expected;
};

TEST_F(MemoryGdiTest, BitBltClipsToBothBitmaps) {
  // Source pixels carry their column number (a, b, c) so a misplaced copy shows.
  const std::vector<ClipCase> cases = {
      {"whole", 0, 0, 3, 3, 0, 0, "abcabcabc"},
      {"target off the top left", -1, -1, 3, 3, 0, 0, "bc.bc...."},
      {"source off the top left", 0, 0, 3, 3, -1, -2, ".......ab"},
      {"past both right edges", 2, 0, 5, 1, 1, 0, "..b......"},
      {"nothing overlaps", 5, 5, 3, 3, 0, 0, "........."},
      {"empty rectangle", 0, 0, 0, 3, 0, 0, "........."},
  };
  for (const ClipCase& c : cases) {
    SCOPED_TRACE(c.name);
    const auto source = ColourBitmap(3, 3, [](int x, int) { return host::Rgb(0, 0, 'a' + x); });
    const auto target = ColourBitmap(3, 3, [](int, int) { return host::Rgb(0, 0, '.'); });
    ASSERT_TRUE(gdi_.BitBlt(DcWith(target), c.x, c.y, c.width, c.height, DcWith(source), c.srcX,
                            c.srcY, host::kSrcCopy));
    std::string pixels;
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 3; ++x)
        pixels += static_cast<char>(Pixel(target, x, y) >> 16);
    }
    EXPECT_EQ(pixels, c.expected);
  }
}

TEST_F(MemoryGdiTest, BitBltWithinOneBitmapReadsTheOriginalPixels) {
  const auto bitmap = ColourBitmap(4, 1, [](int x, int) { return host::Rgb(0, 0, 'a' + x); });
  const DeviceContext dc = DcWith(bitmap);
  ASSERT_TRUE(gdi_.BitBlt(dc, 1, 0, 3, 1, dc, 0, 0, host::kSrcCopy));
  std::string pixels;
  for (int x = 0; x < 4; ++x)
    pixels += static_cast<char>(Pixel(bitmap, x, 0) >> 16);
  EXPECT_EQ(pixels, "aabc");
}

host::BitmapInfoHeader Header(const std::vector<std::uint8_t>& info) {
  host::BitmapInfoHeader header{};
  std::memcpy(&header, info.data(), sizeof header);
  return header;
}

std::vector<std::uint8_t> Request(std::uint16_t bitCount, std::int32_t width, std::int32_t height) {
  std::vector<std::uint8_t> info(48, 0xCC);
  host::BitmapInfoHeader header{};
  header.biSize = 40;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = bitCount;
  std::memcpy(info.data(), &header, sizeof header);
  return info;
}

TEST_F(MemoryGdiTest, GetDIBitsDescribesTheBitmapWhenAskedForNoBits) {
  const DeviceContext dc = gdi_.GetDC(host::WindowHandle::None);
  struct Case {
    BitmapHandle bitmap;
    std::uint16_t bitCount;
    std::uint32_t sizeImage;
  };
  // 13 pixels: 2 bytes a row padded to 4 at 1 bpp, 52 bytes at 32 bpp.
  for (const Case& c : {Case{gdi_.CreateBitmap(13, 3, 1, 1, nullptr), 1, 12},
                        Case{gdi_.CreateBitmap(13, 3, 1, 32, nullptr), 32, 156}}) {
    std::vector<std::uint8_t> info = Request(0, 0, 0);
    EXPECT_GT(gdi_.GetDIBits(dc, c.bitmap, 0, 0, nullptr, info.data(), host::kDibRgbColors), 0);
    const host::BitmapInfoHeader header = Header(info);
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 13);
    EXPECT_EQ(header.biHeight, 3);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, c.bitCount);
    EXPECT_EQ(header.biCompression, host::kBiRgb);
    EXPECT_EQ(header.biSizeImage, c.sizeImage);
    EXPECT_EQ(info[40], 0xCC);  // the colour table is left for the call with bits
  }
}

TEST_F(MemoryGdiTest, GetDIBitsWritesRowsBottomUpInTheAskedFormat) {
  const DeviceContext dc = gdi_.GetDC(host::WindowHandle::None);
  // Row 0 (top) white then red; row 1 black then dark grey.
  const auto bitmap = ColourBitmap(2, 2, [](int x, int y) {
    return y == 0 ? (x == 0 ? kWhite : host::Rgb(255, 0, 0))
                  : (x == 0 ? kBlack : host::Rgb(100, 100, 100));
  });

  std::vector<std::uint8_t> info = Request(24, 2, 2);
  std::vector<std::uint8_t> bits(16, 0xEE);
  ASSERT_EQ(gdi_.GetDIBits(dc, bitmap, 0, 2, bits.data(), info.data(), host::kDibRgbColors), 2);
  EXPECT_EQ(bits, (std::vector<std::uint8_t>{0, 0, 0, 100, 100, 100, 0, 0,  // bottom row, padded
                                             255, 255, 255, 0, 0, 255, 0, 0}));
  EXPECT_EQ(Header(info).biSizeImage, 16u);

  // 1 bpp with the black and white table; colours go to the nearer of the two.
  info = Request(1, 2, -2);  // top-down
  std::vector<std::uint8_t> mono(8, 0xEE);
  ASSERT_EQ(gdi_.GetDIBits(dc, bitmap, 0, 2, mono.data(), info.data(), host::kDibRgbColors), 2);
  EXPECT_EQ(mono, (std::vector<std::uint8_t>{0x80, 0, 0, 0, 0x00, 0, 0, 0}));
  EXPECT_EQ(std::vector<std::uint8_t>(info.begin() + 40, info.end()),
            (std::vector<std::uint8_t>{0, 0, 0, 0, 255, 255, 255, 0}));

  // Part of the scan lines: the bottom one is scan line 0.
  info = Request(32, 2, 2);
  std::vector<std::uint8_t> line(8, 0xEE);
  ASSERT_EQ(gdi_.GetDIBits(dc, bitmap, 1, 5, line.data(), info.data(), host::kDibRgbColors), 1);
  EXPECT_EQ(line, (std::vector<std::uint8_t>{255, 255, 255, 0, 0, 0, 255, 0}));
  EXPECT_EQ(gdi_.GetDIBits(dc, bitmap, 2, 1, line.data(), info.data(), host::kDibRgbColors), 0);

  // Formats and layouts the stand-in does not deliver: 0, buffer untouched.
  for (auto bad : {Request(8, 2, 2), Request(32, 3, 2), Request(32, 2, 1)}) {
    std::vector<std::uint8_t> untouched(16, 0xEE);
    EXPECT_EQ(gdi_.GetDIBits(dc, bitmap, 0, 2, untouched.data(), bad.data(), host::kDibRgbColors),
              0);
    EXPECT_EQ(untouched, std::vector<std::uint8_t>(16, 0xEE));
  }
  info = Request(32, 2, 2);
  EXPECT_EQ(gdi_.GetDIBits(dc, bitmap, 0, 2, line.data(), info.data(), 1 /*DIB_PAL_COLORS*/), 0);
  info[0] = 12;  // BITMAPCOREHEADER
  EXPECT_EQ(gdi_.GetDIBits(dc, bitmap, 0, 2, line.data(), info.data(), host::kDibRgbColors), 0);
}

TEST_F(MemoryGdiTest, PalettesSelectAndDeleteLikeOtherObjects) {
  const DeviceContext dc = gdi_.CreateCompatibleDC(DeviceContext::None);
  const PaletteHandle halftone = gdi_.CreateHalftonePalette(dc);
  ASSERT_FALSE(host::IsNone(halftone));
  EXPECT_EQ(objects_.Palette(halftone)->entries.size(), 256u);
  const PaletteHandle previous = gdi_.SelectPalette(dc, halftone, true);
  EXPECT_EQ(previous, objects_.DefaultPalette());
  EXPECT_EQ(gdi_.RealizePalette(dc), 0u);
  EXPECT_FALSE(gdi_.DeletePalette(halftone));  // selected
  EXPECT_EQ(gdi_.SelectPalette(dc, previous, true), halftone);
  EXPECT_TRUE(gdi_.DeletePalette(halftone));
  EXPECT_TRUE(gdi_.DeletePalette(objects_.DefaultPalette()));  // stock: stays
  EXPECT_EQ(gdi_.SelectPalette(dc, objects_.DefaultPalette(), true), objects_.DefaultPalette());
}

struct TranslateCase {
  std::uint32_t ole;
  long result;
  host::ColorRef colour;
};

TEST(MemoryOleTest, TranslatesRgbAndSystemColours) {
  GdiObjects objects;
  MemoryOle ole(objects);
  constexpr host::ColorRef kPoison = 0xDEADBEEF;
  const std::vector<TranslateCase> cases = {
      {0x00FF00FF, host::kOleOk, kMagenta},
      {0x00000000, host::kOleOk, 0},
      {0x80000000, host::kOleOk, host::Rgb(200, 200, 200)},  // COLOR_SCROLLBAR
      {0x8000000F, host::kOleOk, host::Rgb(240, 240, 240)},  // COLOR_3DFACE
      {0x80000010, host::kOleOk, host::Rgb(160, 160, 160)},  // COLOR_3DSHADOW
      {0x80000016, host::kOleOk, host::Rgb(227, 227, 227)},  // COLOR_3DLIGHT
      {0x8000001E, host::kOleOk, host::Rgb(240, 240, 240)},  // COLOR_MENUBAR
      {0x8000001F, kEInvalidArg, kPoison},
      {0x80010005, kEInvalidArg, kPoison},
      {0x01000003, kEInvalidArg, kPoison},
      {0x40FF00FF, kEInvalidArg, kPoison},
  };
  for (const TranslateCase& c : cases) {
    SCOPED_TRACE(c.ole);
    host::ColorRef out = kPoison;
    EXPECT_EQ(ole.TranslateColor(c.ole, PaletteHandle::None, &out), c.result);
    EXPECT_EQ(out, c.colour);
  }
  EXPECT_LT(kEInvalidArg, 0);  // FAILED() as on Windows
}

TEST(MemoryOleTest, AnOwningPictureDeletesItsBitmapWithItsLastReference) {
  GdiObjects objects;
  MemoryGdi gdi(objects);
  MemoryOle ole(objects);
  const BitmapHandle owned = gdi.CreateBitmap(2, 2, 1, 32, nullptr);
  const BitmapHandle borrowed = gdi.CreateBitmap(2, 2, 1, 32, nullptr);
  {
    host::PicturePtr picture = ole.CreateBitmapPicture(owned, PaletteHandle::None, true);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Type(), host::kPicTypeBitmap);
    EXPECT_EQ(picture->Handle(), owned);
    host::PicturePtr second = picture;
    picture.reset();
    EXPECT_NE(objects.Bitmap(owned), nullptr);
    ole.CreateBitmapPicture(borrowed, PaletteHandle::None, false);
  }
  EXPECT_EQ(objects.Bitmap(owned), nullptr);
  EXPECT_NE(objects.Bitmap(borrowed), nullptr);
  EXPECT_EQ(ole.CreateBitmapPicture(owned, PaletteHandle::None, true), nullptr);
}

TEST(MemoryOleTest, APictureMayOutliveItsPlatform) {
  host::PicturePtr picture;
  {
    GdiObjects objects;
    MemoryGdi gdi(objects);
    MemoryOle ole(objects);
    picture =
        ole.CreateBitmapPicture(gdi.CreateBitmap(1, 1, 1, 32, nullptr), PaletteHandle::None, true);
    ASSERT_NE(picture, nullptr);
  }
  // Must not reach into the table that is gone (a sanitizer build catches it).
  picture.reset();
}

TEST(RecordingWindowsTest, KeepsEachWindowsIconsAndRecordsEveryMessage) {
  RecordingWindows windows;
  const auto dialog = static_cast<host::WindowHandle>(0x100);
  const auto other = static_cast<host::WindowHandle>(0x200);
  EXPECT_EQ(windows.SendMessage(dialog, host::kWmSetIcon, host::kIconBig, 0x11), 0);
  EXPECT_EQ(windows.SendMessage(dialog, host::kWmSetIcon, kIconSmall, 0x22), 0);
  EXPECT_EQ(windows.SendMessage(dialog, host::kWmSetIcon, host::kIconBig, 0x33), 0x11);
  EXPECT_EQ(windows.SendMessage(other, 0x000C /*WM_SETTEXT*/, 0, 0x44), 0);
  EXPECT_EQ(windows.SendMessage(host::WindowHandle::None, host::kWmSetIcon, host::kIconBig, 0x55),
            0);
  EXPECT_EQ(windows.BigIcon(dialog), static_cast<host::IconHandle>(0x33));
  EXPECT_EQ(windows.SmallIcon(dialog), static_cast<host::IconHandle>(0x22));
  EXPECT_EQ(windows.BigIcon(other), host::IconHandle::None);
  ASSERT_EQ(windows.Messages().size(), 5u);
  EXPECT_EQ(windows.Messages()[3], (SentMessage{other, 0x000C, 0, 0x44}));
}

}  // namespace
}  // namespace ostrel::posix

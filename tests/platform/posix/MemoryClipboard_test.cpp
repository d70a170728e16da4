// The clipboard stand-in: Win32's open/close and format rules, and the packed
// DIB the clipboard object makes of a picture.
#include "posix/MemoryClipboard.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "host/HostError.h"
#include "posix/GdiObjects.h"
#include "posix/MemoryGdi.h"
#include "posix/MemoryOle.h"

namespace ostrel::posix {
namespace {

using Bytes = std::vector<std::uint8_t>;

class MemoryClipboardTest : public ::testing::Test {
 protected:
  GdiObjects objects_;
  MemoryGdi gdi_{objects_};
  MemoryOle ole_{objects_};
  MemoryClipboard clipboard_{objects_};
};

long ErrorNumber(const std::function<void()>& call) {
  try {
    call();
  } catch (const host::HostError& error) {
    return error.Number();
  }
  return 0;
}

TEST_F(MemoryClipboardTest, DataMovesOnlyWhileTheClipboardIsOpen) {
  EXPECT_FALSE(clipboard_.Close());
  EXPECT_FALSE(clipboard_.SetData(host::kCfDib, host::kGmemMoveableShare, {1, 2}));
  ASSERT_TRUE(clipboard_.Open(host::WindowHandle::None));
  EXPECT_FALSE(clipboard_.Open(host::WindowHandle::None));
  EXPECT_EQ(clipboard_.GetData(host::kCfDib), std::nullopt);
  EXPECT_TRUE(clipboard_.SetData(host::kCfDib, host::kGmemMoveableShare, {1, 2}));
  EXPECT_TRUE(clipboard_.SetData(host::kCfDib, host::kGmemMoveableShare, {3}));  // replaces
  EXPECT_FALSE(clipboard_.SetData(0, host::kGmemMoveableShare, {4}));
  EXPECT_EQ(clipboard_.GetData(host::kCfDib), Bytes{3});
  ASSERT_TRUE(clipboard_.Close());
  EXPECT_EQ(clipboard_.GetData(host::kCfDib), std::nullopt);  // closed: nothing read
  EXPECT_EQ(clipboard_.Contents(host::kCfDib), Bytes{3});     // but still held
  EXPECT_EQ(clipboard_.Formats(), std::vector<std::uint32_t>{host::kCfDib});
}

TEST_F(MemoryClipboardTest, RegisteredNamesKeepTheirIdWithoutRegardToCase) {
  const std::uint32_t face = clipboard_.RegisterFormat("Toolbar Button Face");
  const std::uint32_t mask = clipboard_.RegisterFormat("Toolbar Button Mask");
  EXPECT_GE(face, kFirstRegisteredFormat);
  EXPECT_GE(mask, kFirstRegisteredFormat);
  EXPECT_NE(face, mask);
  EXPECT_EQ(clipboard_.RegisterFormat("TOOLBAR BUTTON FACE"), face);
  EXPECT_EQ(clipboard_.RegisterFormat("toolbar button face"), face);
  EXPECT_EQ(clipboard_.FormatId("Toolbar Button Mask"), mask);
  EXPECT_EQ(clipboard_.FormatId("Never registered"), 0u);
  EXPECT_EQ(clipboard_.RegisterFormat(""), 0u);
}

TEST_F(MemoryClipboardTest, SetPictureStoresThePackedDibGetDIBitsDescribes) {
  for (const std::uint32_t depth : {1u, 32u}) {
    SCOPED_TRACE(depth);
    const host::BitmapHandle bitmap = gdi_.CreateBitmap(5, 3, 1, depth, nullptr);
    objects_.Bitmap(bitmap)->At(4, 0) = kWhite;
    objects_.Bitmap(bitmap)->At(0, 2) = depth == 1 ? kWhite : host::Rgb(1, 2, 3);
    const host::PicturePtr picture = ole_.CreateBitmapPicture(bitmap, {}, true);
    clipboard_.SetPicture(*picture, host::kCfDib);
    const auto dib = clipboard_.Contents(host::kCfDib);
    ASSERT_TRUE(dib.has_value());

    // What GetDIBits gives at the bitmap's own depth, header, table and rows.
    const host::DeviceContext dc = gdi_.GetDC(host::WindowHandle::None);
    Bytes info(48, 0);
    info[0] = 40;
    gdi_.GetDIBits(dc, bitmap, 0, 0, nullptr, info.data(), host::kDibRgbColors);
    host::BitmapInfoHeader header{};
    std::memcpy(&header, info.data(), sizeof header);
    EXPECT_EQ(header.biBitCount, depth);
    Bytes rows(header.biSizeImage);
    ASSERT_EQ(gdi_.GetDIBits(dc, bitmap, 0, 3, rows.data(), info.data(), host::kDibRgbColors), 3);
    Bytes expected(info.begin(), info.begin() + (depth == 1 ? 48 : 40));
    expected.insert(expected.end(), rows.begin(), rows.end());
    EXPECT_EQ(*dib, expected);
    gdi_.ReleaseDC(host::WindowHandle::None, dc);
  }
}

TEST_F(MemoryClipboardTest, TheClipboardObjectRaisesWhatItCannotDo) {
  const host::BitmapHandle bitmap = gdi_.CreateBitmap(2, 2, 1, 32, nullptr);
  host::PicturePtr picture = ole_.CreateBitmapPicture(bitmap, {}, false);
  // Held open by someone: neither clear nor set.
  ASSERT_TRUE(clipboard_.Open(host::WindowHandle::None));
  clipboard_.SetData(7, host::kGmemMoveableShare, {9});
  EXPECT_EQ(ErrorNumber([&] { clipboard_.Clear(); }), kErrorCannotOpenClipboard);
  EXPECT_EQ(ErrorNumber([&] { clipboard_.SetPicture(*picture, host::kCfDib); }),
            kErrorCannotOpenClipboard);
  EXPECT_EQ(clipboard_.Formats(), std::vector<std::uint32_t>{7});
  clipboard_.Close();

  EXPECT_EQ(ErrorNumber([&] { clipboard_.SetPicture(*picture, 2 /*CF_BITMAP*/); }),
            kErrorInvalidClipboardFormat);
  ASSERT_TRUE(gdi_.DeleteBitmap(bitmap));
  EXPECT_EQ(ErrorNumber([&] { clipboard_.SetPicture(*picture, host::kCfDib); }),
            kErrorInvalidPicture);
  EXPECT_EQ(clipboard_.Contents(host::kCfDib), std::nullopt);
  clipboard_.Clear();
  EXPECT_TRUE(clipboard_.Formats().empty());
}

}  // namespace
}  // namespace ostrel::posix

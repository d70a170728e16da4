#include "posix/MemoryOle.h"

#include <memory>

#include "posix/GdiObjects.h"

namespace ostrel::posix {
namespace {

class MemoryPicture final : public host::Picture {
 public:
  MemoryPicture(GdiObjects& objects, host::BitmapHandle bitmap, host::PaletteHandle palette,
                bool own)
      : objects_(objects),
        lifetime_(objects.Lifetime()),
        bitmap_(bitmap),
        palette_(palette),
        own_(own) {}
  MemoryPicture(const MemoryPicture&) = delete;
  MemoryPicture& operator=(const MemoryPicture&) = delete;

  ~MemoryPicture() override {
    // A picture kept past the end of its platform has nothing left to delete.
    if (own_ && !lifetime_.expired())
      objects_.DeleteBitmap(bitmap_);
  }

  short Type() const override { return host::kPicTypeBitmap; }
  host::BitmapHandle Handle() const override { return bitmap_; }
  host::PaletteHandle Palette() const override { return palette_; }

 private:
  GdiObjects& objects_;
  std::weak_ptr<void> lifetime_;
  host::BitmapHandle bitmap_;
  host::PaletteHandle palette_;
  bool own_;
};

constexpr std::uint32_t kSystemColorFlag = 0x80000000u;

}  // namespace

host::PicturePtr MemoryOle::CreateBitmapPicture(host::BitmapHandle bitmap,
                                                host::PaletteHandle palette, bool own) {
  if (objects_.Bitmap(bitmap) == nullptr)
    return nullptr;
  return std::make_shared<MemoryPicture>(objects_, bitmap, palette, own);
}

long MemoryOle::TranslateColor(std::uint32_t oleColor, host::PaletteHandle /*palette*/,
                               host::ColorRef* out) {
  std::optional<host::ColorRef> color;
  if ((oleColor & 0xFF000000u) == 0) {
    color = oleColor;
  } else if ((oleColor & 0xFF000000u) == kSystemColorFlag) {
    const std::uint32_t index = oleColor & 0x00FFFFFFu;
    if (index < kSystemColorCount)
      color = SystemColor(static_cast<int>(index));
  }
  if (!color)
    return kEInvalidArg;
  if (out != nullptr)
    *out = *color;
  return host::kOleOk;
}

}  // namespace ostrel::posix

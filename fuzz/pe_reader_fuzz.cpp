// Feeds arbitrary bytes to the PE resource reader and asks them for what the
// add-in asks a resource library for: strings, bitmaps and icons.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "posix/PeImage.h"

namespace {

using ostrel::posix::Dib;
using ostrel::posix::PeImage;
using ostrel::posix::ResourceKey;

constexpr std::size_t kMaxNamesAsked = 16;

// Reads the corners and the middle, through every accessor of a DIB.
void Touch(const Dib& dib) {
  const std::int32_t xs[] = {0, dib.width / 2, dib.width - 1};
  const std::int32_t ys[] = {0, dib.height / 2, dib.height - 1};
  for (std::int32_t y : ys) {
    for (std::int32_t x : xs) {
      dib.Color(x, y);
      dib.Index(x, y);
    }
  }
}

void AskBitmaps(const PeImage& image) {
  for (const ResourceKey& key : {ResourceKey::Id(2003), ResourceKey::Name(u"face")}) {
    if (const auto dib = image.Bitmap(key))
      Touch(dib.value());
  }
  const auto names = image.Names(ResourceKey::Id(ostrel::posix::kRtBitmap));
  if (!names)
    return;
  for (std::size_t i = 0; i < names->size() && i < kMaxNamesAsked; ++i) {
    if (const auto dib = image.Bitmap(names.value()[i]))
      Touch(dib.value());
  }
}

void AskIcons(const PeImage& image) {
  const auto names = image.Names(ResourceKey::Id(ostrel::posix::kRtGroupIcon));
  if (!names)
    return;
  for (std::size_t i = 0; i < names->size() && i < kMaxNamesAsked; ++i) {
    const auto group = image.IconGroup(names.value()[i]);
    if (!group)
      continue;
    for (std::size_t k = 0; k < group->size() && k < kMaxNamesAsked; ++k) {
      if (const auto icon = image.Icon(group.value()[k].id); icon && icon->dib)
        Touch(*icon->dib);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> bytes(data, data + size);
  // The DIB parser alone, as a bitmap and as an icon image.
  if (const auto dib = ostrel::posix::ParseDib(bytes))
    Touch(dib.value());
  if (const auto icon = ostrel::posix::ParseDib(bytes, true))
    Touch(icon.value());

  const auto image = PeImage::Parse(bytes);
  if (!image)
    return 0;
  image->ImageLoadProblem();
  for (const std::uint16_t id : {0, 1, 15, 16, 100, 101, 401, 1023, 65535}) {
    image->StringResource(id);
  }
  AskBitmaps(image.value());
  AskIcons(image.value());
  return 0;
}

#include "posix/PeResourceLoader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "posix/PosixFileSystem.h"

namespace ostrel::posix {
namespace {

constexpr int kIconSize = 32;  // SM_CXICON, SM_CYICON

bool IsGrey(const RgbQuad& c, std::uint8_t level) {
  return c.red == level && c.green == level && c.blue == level;
}

RgbQuad Quad(host::ColorRef color) {
  return {static_cast<std::uint8_t>((color >> 16) & 0xFF),
          static_cast<std::uint8_t>((color >> 8) & 0xFF), static_cast<std::uint8_t>(color & 0xFF),
          0};
}

bool IsBlackOrWhite(const RgbQuad& c) {
  return IsGrey(c, 0) || IsGrey(c, 255);
}

// How far an icon image is from the wanted size; a stored 0 means 256.
int SizeDistance(const IconDirEntry& entry) {
  const int width = entry.width == 0 ? 256 : entry.width;
  const int height = entry.height == 0 ? 256 : entry.height;
  return std::abs(width - kIconSize) + std::abs(height - kIconSize);
}

}  // namespace

struct PeResourceLoader::Module {
  std::filesystem::path path;
  int references = 1;
  PeImage image;
  std::map<std::uint16_t, host::IconHandle> icons;
};

std::optional<ResourceKey> ResourceKeyFromText(const String& text) {
  if (text.empty() || text[0] != u'#')
    return ResourceKey::Name(text);
  // As FindResource reads "#123": decimal digits making a number from 1 to 65535.
  if (text.size() < 2 || text.size() > 6)
    return std::nullopt;
  std::uint32_t value = 0;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] < u'0' || text[i] > u'9')
      return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(text[i] - u'0');
  }
  if (value == 0 || value > 0xFFFF)
    return std::nullopt;
  return ResourceKey::Id(static_cast<std::uint16_t>(value));
}

std::optional<BitmapObject> BitmapFromDib(Dib dib, bool map3DColors, bool dibSection) {
  if (map3DColors && dib.bitCount <= 8) {
    for (RgbQuad& color : dib.colors) {
      if (IsGrey(color, 128)) {
        color = Quad(*SystemColor(kColorBtnShadow));
      } else if (IsGrey(color, 192)) {
        color = Quad(*SystemColor(kColorBtnFace));
      } else if (IsGrey(color, 223)) {
        color = Quad(*SystemColor(kColor3DLight));
      }
    }
  }
  const bool monochrome = dib.bitCount == 1 && dib.colors.size() == 2 &&
                          IsBlackOrWhite(dib.colors[0]) && IsBlackOrWhite(dib.colors[1]) &&
                          !(dib.colors[0] == dib.colors[1]);
  auto bitmap = MakeBitmap(dib.width, dib.height, monochrome ? 1 : 32);
  if (!bitmap)
    return std::nullopt;
  for (std::int32_t y = 0; y < dib.height; ++y) {
    for (std::int32_t x = 0; x < dib.width; ++x) {
      const RgbQuad c = dib.Color(x, y);
      bitmap->At(x, y) = host::Rgb(c.red, c.green, c.blue);
    }
  }
  // LoadImage: "LR_CREATEDIBSECTION ... causes the function to return a DIB
  // section bitmap rather than a compatible bitmap"; a compatible bitmap has
  // no alpha.
  if (dibSection && dib.bitCount == 32) {
    bitmap->alpha.reserve(bitmap->pixels.size());
    for (std::int32_t y = 0; y < dib.height; ++y)
      for (std::int32_t x = 0; x < dib.width; ++x)
        bitmap->alpha.push_back(dib.Alpha(x, y));
  }
  return bitmap;
}

PeResourceLoader::PeResourceLoader(GdiObjects& objects) : objects_(objects) {}

PeResourceLoader::~PeResourceLoader() = default;

PeResourceLoader::Module* PeResourceLoader::Find(host::ModuleHandle module) {
  const auto found = modules_.find(static_cast<std::uintptr_t>(module));
  return found == modules_.end() ? nullptr : found->second.get();
}

host::ModuleHandle PeResourceLoader::LoadLibraryEx(const String& path, std::uint32_t flags) {
  std::error_code error;
  const std::filesystem::path file = std::filesystem::canonical(NativePath(path), error);
  if (error) {
    lastError_ = "cannot find " + NativePath(path) + ": " + error.message();
    return host::ModuleHandle::None;
  }
  for (auto& [handle, module] : modules_) {
    if (module->path == file) {
      ++module->references;
      lastError_.clear();
      return static_cast<host::ModuleHandle>(handle);
    }
  }

  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > kMaxModuleFileSize) {
    lastError_ = file.string() + ": not a readable file of a usable size";
    return host::ModuleHandle::None;
  }
  std::ifstream in(file, std::ios::binary);
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (!in.eof() && in.fail()) {
    lastError_ = file.string() + ": read failed";
    return host::ModuleHandle::None;
  }
  auto image = PeImage::Parse(std::move(bytes));
  if (!image) {
    lastError_ = file.string() + ": " + image.error();
    return host::ModuleHandle::None;
  }
  // Without a data-file flag the loader maps the file as an image (for
  // LOAD_LIBRARY_AS_IMAGE_RESOURCE too) and checks it first.
  if ((flags & (kLoadLibraryAsDatafile | kLoadLibraryAsDatafileExclusive)) == 0) {
    const std::string problem = image->ImageLoadProblem();
    if (!problem.empty()) {
      lastError_ = file.string() + ": " + problem;
      return host::ModuleHandle::None;
    }
  }
  auto module = std::make_unique<Module>(Module{file, 1, std::move(image).value(), {}});
  const std::uintptr_t handle = nextHandle_;
  // Handles are never reused, so a freed handle stays invalid.
  nextHandle_ += 0x10000;
  modules_.emplace(handle, std::move(module));
  lastError_.clear();
  return static_cast<host::ModuleHandle>(handle);
}

bool PeResourceLoader::FreeLibrary(host::ModuleHandle module) {
  Module* found = Find(module);
  if (found == nullptr)
    return false;
  // The module's shared icons stay valid, as user32 keeps shared icons.
  if (--found->references == 0)
    modules_.erase(static_cast<std::uintptr_t>(module));
  return true;
}

int PeResourceLoader::LoadString(host::ModuleHandle module, std::uint32_t id, char16_t* buffer,
                                 int capacity) {
  if (buffer == nullptr || capacity <= 0)
    return 0;
  buffer[0] = u'\0';
  const Module* found = Find(module);
  if (found == nullptr || id > 0xFFFF)
    return 0;
  const auto text = found->image.StringResource(static_cast<std::uint16_t>(id));
  if (!text)
    return 0;
  const std::size_t count = std::min(text->size(), static_cast<std::size_t>(capacity - 1));
  std::copy_n(text->data(), count, buffer);
  buffer[count] = u'\0';
  return static_cast<int>(count);
}

host::BitmapHandle PeResourceLoader::LoadBitmap(host::ModuleHandle module, const String& name,
                                                std::uint32_t flags) {
  const Module* found = Find(module);
  if (found == nullptr)
    return host::BitmapHandle::None;
  const auto key = ResourceKeyFromText(name);
  if (!key)
    return host::BitmapHandle::None;
  auto dib = found->image.Bitmap(*key);
  if (!dib)
    return host::BitmapHandle::None;
  auto bitmap = BitmapFromDib(std::move(dib).value(), (flags & host::kLrLoadMap3DColors) != 0,
                              (flags & host::kLrCreateDibSection) != 0);
  if (!bitmap)
    return host::BitmapHandle::None;
  return objects_.AddBitmap(std::move(*bitmap));
}

host::IconHandle PeResourceLoader::LoadIcon(host::ModuleHandle module, std::uint32_t id) {
  Module* found = Find(module);
  if (found == nullptr || id == 0 || id > 0xFFFF)
    return host::IconHandle::None;
  const auto key = static_cast<std::uint16_t>(id);
  if (const auto cached = found->icons.find(key); cached != found->icons.end()) {
    return cached->second;
  }
  const auto group = found->image.IconGroup(ResourceKey::Id(key));
  if (!group || group->empty())
    return host::IconHandle::None;
  const auto best = std::min_element(group->begin(), group->end(),
                                     [](const IconDirEntry& a, const IconDirEntry& b) {
                                       if (SizeDistance(a) != SizeDistance(b))
                                         return SizeDistance(a) < SizeDistance(b);
                                       return a.bitCount > b.bitCount;
                                     });
  auto image = found->image.Icon(best->id);
  if (!image)
    return host::IconHandle::None;
  IconObject icon;
  icon.width = image->width;
  icon.height = image->height;
  icon.bitsPerPixel = image->bitCount;
  icon.resourceId = key;
  icon.image = std::move(image).value().bytes;
  const host::IconHandle handle = objects_.AddIcon(std::move(icon));
  found->icons.emplace(key, handle);
  return handle;
}

}  // namespace ostrel::posix

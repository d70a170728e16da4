#include "posix/MemoryClipboard.h"

#include "host/HostError.h"
#include "posix/GdiObjects.h"

namespace ostrel::posix {
namespace {

// Format names compare as Windows' atom table compares them: without regard to
// the case of ASCII letters.
AnsiString FoldName(const AnsiString& name) {
  AnsiString folded = name;
  for (char& c : folded) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  }
  return folded;
}

}  // namespace

void MemoryClipboard::Clear() {
  if (open_)
    throw host::HostError(kErrorCannotOpenClipboard, "Can't open Clipboard");
  data_.clear();
}

void MemoryClipboard::SetPicture(const host::Picture& picture, std::uint32_t format) {
  if (open_)
    throw host::HostError(kErrorCannotOpenClipboard, "Can't open Clipboard");
  if (format != host::kCfDib) {
    throw host::HostError(kErrorInvalidClipboardFormat, "Invalid Clipboard format");
  }
  const BitmapObject* bitmap =
      picture.Type() == host::kPicTypeBitmap ? objects_.Bitmap(picture.Handle()) : nullptr;
  if (bitmap == nullptr)
    throw host::HostError(kErrorInvalidPicture, "Invalid picture");
  data_[host::kCfDib] = PackedDib(*bitmap);
}

bool MemoryClipboard::Open(host::WindowHandle /*owner*/) {
  if (open_)
    return false;
  open_ = true;
  return true;
}

bool MemoryClipboard::Close() {
  if (!open_)
    return false;
  open_ = false;
  return true;
}

std::uint32_t MemoryClipboard::RegisterFormat(const AnsiString& name) {
  if (name.empty())
    return 0;
  const AnsiString key = FoldName(name);
  const auto found = registered_.find(key);
  if (found != registered_.end())
    return found->second;
  // Registered formats are atoms from 0xC000 to 0xFFFF; there are no more.
  if (registered_.size() >= 0x10000 - kFirstRegisteredFormat)
    return 0;
  const auto id = static_cast<std::uint32_t>(kFirstRegisteredFormat + registered_.size());
  registered_.emplace(key, id);
  return id;
}

std::optional<std::vector<std::uint8_t>> MemoryClipboard::GetData(std::uint32_t format) {
  if (!open_)
    return std::nullopt;
  return Contents(format);
}

std::vector<std::uint32_t> MemoryClipboard::EnumFormats() {
  std::vector<std::uint32_t> formats;
  if (!open_)
    return formats;
  for (const auto& [format, block] : data_)
    formats.push_back(format);
  return formats;
}

bool MemoryClipboard::SetData(std::uint32_t format, std::uint32_t /*allocFlags*/,
                              const std::vector<std::uint8_t>& block) {
  if (!open_ || format == 0)
    return false;
  data_[format] = block;
  return true;
}

std::vector<std::uint32_t> MemoryClipboard::Formats() const {
  std::vector<std::uint32_t> formats;
  for (const auto& [format, bytes] : data_)
    formats.push_back(format);
  return formats;
}

std::optional<std::vector<std::uint8_t>> MemoryClipboard::Contents(std::uint32_t format) const {
  const auto found = data_.find(format);
  if (found == data_.end())
    return std::nullopt;
  return found->second;
}

std::uint32_t MemoryClipboard::FormatId(const AnsiString& name) const {
  const auto found = registered_.find(FoldName(name));
  return found == registered_.end() ? 0 : found->second;
}

}  // namespace ostrel::posix

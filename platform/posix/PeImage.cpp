#include "posix/PeImage.h"

#include <algorithm>
#include <bit>

namespace ostrel::posix {
namespace {

using Bytes = std::span<const std::uint8_t>;

// Little-endian reads; the caller has checked that the bytes are there.
std::uint16_t U16(Bytes data, std::size_t at) {
  return static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
}
std::uint32_t U32(Bytes data, std::size_t at) {
  return static_cast<std::uint32_t>(data[at]) | (static_cast<std::uint32_t>(data[at + 1]) << 8) |
         (static_cast<std::uint32_t>(data[at + 2]) << 16) |
         (static_cast<std::uint32_t>(data[at + 3]) << 24);
}
std::uint32_t U32BigEndian(Bytes data, std::size_t at) {
  return (static_cast<std::uint32_t>(data[at]) << 24) |
         (static_cast<std::uint32_t>(data[at + 1]) << 16) |
         (static_cast<std::uint32_t>(data[at + 2]) << 8) | static_cast<std::uint32_t>(data[at + 3]);
}

// True when [offset, offset + length) lies inside a buffer of `size` bytes;
// 64-bit sums so that nothing wraps.
bool Fits(std::uint64_t size, std::uint64_t offset, std::uint64_t length) {
  return offset <= size && length <= size - offset;
}

// The loader reads files in sectors of this size.
constexpr std::size_t kSectorSize = 512;
constexpr std::uint16_t kDosMagic = 0x5A4D;     // "MZ"
constexpr std::uint32_t kPeMagic = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kOptionalMagic32 = 0x10B;
constexpr std::uint16_t kOptionalMagic64 = 0x20B;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kResourceDirectoryIndex = 2;
constexpr std::size_t kDirectoryHeaderSize = 16;
constexpr std::size_t kDirectoryEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitFields = 3;

std::size_t DibStride(std::uint64_t width, std::uint32_t bitCount) {
  return static_cast<std::size_t>(((width * bitCount + 31) / 32) * 4);
}

// One colour component from a pixel by its mask, scaled to 8 bits.
std::uint8_t Component(std::uint32_t pixel, std::uint32_t mask) {
  if (mask == 0)
    return 0;
  const int shift = std::countr_zero(mask);
  const std::uint32_t field = mask >> shift;
  const int width = std::min(std::countr_one(field), 32);
  // Only the lowest run of ones counts when a mask is not contiguous.
  const std::uint32_t run = width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1;
  const std::uint32_t value = (pixel >> shift) & run;
  if (width >= 8)
    return static_cast<std::uint8_t>(value >> (width - 8));
  return static_cast<std::uint8_t>(value * 255u / run);
}

Char UpperUnit(Char c) {
  if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7))
    return static_cast<Char>(c - 0x20);
  if (c == 0xFF)
    return 0x178;  // ÿ to Ÿ
  return c;
}

// Names() gives up past this many UTF-16 units of names in one directory.
constexpr std::size_t kMaxNameUnitsListed = std::size_t{1} << 20;

bool IsPng(Bytes data) {
  static constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  return data.size() >= sizeof kSignature && std::equal(kSignature, kSignature + 8, data.begin());
}

}  // namespace

std::string Hex(std::uint64_t value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[value & 0xF]);
    value >>= 4;
  } while (value != 0);
  return "0x" + text;
}

ResourceKey ResourceKey::Id(std::uint16_t id) {
  ResourceKey key;
  key.isId = true;
  key.id = id;
  return key;
}

ResourceKey ResourceKey::Name(std::u16string_view name) {
  ResourceKey key;
  key.isId = false;
  key.name = UpperResourceName(name);
  return key;
}

String UpperResourceName(std::u16string_view name) {
  String upper(name);
  for (Char& c : upper)
    c = UpperUnit(c);
  return upper;
}

std::uint32_t Dib::Index(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width || y >= height || bitCount > 8)
    return 0;
  const std::size_t row = static_cast<std::size_t>(topDown ? y : height - 1 - y);
  const std::uint8_t* line = bits.data() + row * stride;
  const auto ux = static_cast<std::size_t>(x);
  switch (bitCount) {
    case 1:
      return (line[ux / 8] >> (7 - ux % 8)) & 1u;
    case 4:
      return (ux % 2 == 0) ? line[ux / 2] >> 4 : line[ux / 2] & 0x0Fu;
    default:
      return line[ux];
  }
}

std::uint8_t Dib::Alpha(std::int32_t x, std::int32_t y) const {
  if (bitCount != 32 || x < 0 || y < 0 || x >= width || y >= height)
    return 0;
  const std::size_t row = static_cast<std::size_t>(topDown ? y : height - 1 - y);
  return bits[row * stride + static_cast<std::size_t>(x) * 4 + 3];
}

RgbQuad Dib::Color(std::int32_t x, std::int32_t y) const {
  if (x < 0 || y < 0 || x >= width || y >= height)
    return {};
  if (bitCount <= 8) {
    const std::uint32_t index = Index(x, y);
    return index < colors.size() ? colors[index] : RgbQuad{};
  }
  const std::size_t row = static_cast<std::size_t>(topDown ? y : height - 1 - y);
  const Bytes line(bits.data() + row * stride, stride);
  const auto ux = static_cast<std::size_t>(x);
  switch (bitCount) {
    case 16: {
      const std::uint32_t pixel = U16(line, ux * 2);
      return {Component(pixel, masks[2]), Component(pixel, masks[1]), Component(pixel, masks[0]),
              0};
    }
    case 24:
      return {line[ux * 3], line[ux * 3 + 1], line[ux * 3 + 2], 0};
    default: {
      const std::uint32_t pixel = U32(line, ux * 4);
      return {Component(pixel, masks[2]), Component(pixel, masks[1]), Component(pixel, masks[0]),
              0};
    }
  }
}

PeResult<Dib> ParseDib(Bytes data, bool iconImage) {
  if (data.size() < 4)
    return PeResult<Dib>::Fail("bitmap shorter than its header size field");
  const std::uint32_t headerSize = U32(data, 0);
  Dib dib;
  std::int64_t height = 0;
  std::uint32_t compression = kBiRgb;
  std::uint64_t colorCount = 0;
  std::size_t colorEntrySize = 4;
  std::uint64_t offset = headerSize;

  if (headerSize == 12) {
    // BITMAPCOREHEADER: 16-bit sizes, RGBTRIPLE colour entries.
    if (data.size() < 12)
      return PeResult<Dib>::Fail("bitmap header truncated");
    dib.width = U16(data, 4);
    height = U16(data, 6);
    if (U16(data, 8) != 1)
      return PeResult<Dib>::Fail("bitmap has more than one plane");
    dib.bitCount = U16(data, 10);
    if (dib.bitCount != 1 && dib.bitCount != 4 && dib.bitCount != 8 && dib.bitCount != 24) {
      return PeResult<Dib>::Fail("unsupported bit depth " + std::to_string(dib.bitCount));
    }
    colorCount = dib.bitCount <= 8 ? (1u << dib.bitCount) : 0;
    colorEntrySize = 3;
  } else if (headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
             headerSize == 124) {
    if (data.size() < headerSize)
      return PeResult<Dib>::Fail("bitmap header truncated");
    dib.width = static_cast<std::int32_t>(U32(data, 4));
    height = static_cast<std::int32_t>(U32(data, 8));
    if (U16(data, 12) != 1)
      return PeResult<Dib>::Fail("bitmap has more than one plane");
    dib.bitCount = U16(data, 14);
    compression = U32(data, 16);
    const std::uint32_t clrUsed = U32(data, 32);
    switch (dib.bitCount) {
      case 1:
      case 4:
      case 8:
        if (clrUsed > (1u << dib.bitCount)) {
          return PeResult<Dib>::Fail("colour table larger than the bit depth allows");
        }
        colorCount = clrUsed != 0 ? clrUsed : (1u << dib.bitCount);
        break;
      case 16:
      case 24:
      case 32:
        colorCount = clrUsed;  // an optional table ahead of the bits, unused here
        break;
      default:
        return PeResult<Dib>::Fail("unsupported bit depth " + std::to_string(dib.bitCount));
    }
    if (compression == kBiBitFields) {
      if (dib.bitCount != 16 && dib.bitCount != 32) {
        return PeResult<Dib>::Fail("bit-field masks on a bitmap that is not 16 or 32 bpp");
      }
      // The masks follow a 40-byte header; later headers carry them inside.
      if (headerSize == 40) {
        if (!Fits(data.size(), 40, 12))
          return PeResult<Dib>::Fail("bit-field masks truncated");
        offset += 12;
      }
      dib.masks = {U32(data, 40), U32(data, 44), U32(data, 48)};
    } else if (compression != kBiRgb) {
      return PeResult<Dib>::Fail("compressed bitmap (compression " + std::to_string(compression) +
                                 ") is not supported");
    }
  } else {
    return PeResult<Dib>::Fail("unknown bitmap header size " + std::to_string(headerSize));
  }

  if (compression == kBiRgb) {
    if (dib.bitCount == 16)
      dib.masks = {0x7C00, 0x03E0, 0x001F};
    if (dib.bitCount == 32)
      dib.masks = {0xFF0000, 0x00FF00, 0x0000FF};
  }
  if (dib.width <= 0)
    return PeResult<Dib>::Fail("bitmap width is not positive");
  if (height == 0)
    return PeResult<Dib>::Fail("bitmap height is zero");
  dib.topDown = height < 0;
  std::uint64_t rows = static_cast<std::uint64_t>(height < 0 ? -height : height);
  if (iconImage) {
    if (dib.topDown || rows % 2 != 0) {
      return PeResult<Dib>::Fail("icon image height is not twice the icon's height");
    }
    rows /= 2;
  }
  dib.height = static_cast<std::int32_t>(rows);

  const std::uint64_t colorBytes = colorCount * colorEntrySize;
  if (!Fits(data.size(), offset, colorBytes))
    return PeResult<Dib>::Fail("colour table truncated");
  if (dib.bitCount <= 8) {
    dib.colors.resize(static_cast<std::size_t>(colorCount));
    for (std::size_t i = 0; i < dib.colors.size(); ++i) {
      const std::size_t at = static_cast<std::size_t>(offset) + i * colorEntrySize;
      dib.colors[i] = {data[at], data[at + 1], data[at + 2], 0};
    }
  }
  offset += colorBytes;

  const std::uint64_t stride = DibStride(static_cast<std::uint64_t>(dib.width), dib.bitCount);
  const std::uint64_t bitsSize = stride * rows;  // both below 2^36: no overflow
  if (!Fits(data.size(), offset, bitsSize)) {
    return PeResult<Dib>::Fail(
        "bitmap bits run past the end of the resource (" + std::to_string(bitsSize) +
        " bytes needed, " +
        std::to_string(data.size() - std::min<std::uint64_t>(offset, data.size())) + " present)");
  }
  dib.stride = static_cast<std::size_t>(stride);
  const auto begin = data.begin() + static_cast<std::ptrdiff_t>(offset);
  dib.bits.assign(begin, begin + static_cast<std::ptrdiff_t>(bitsSize));
  offset += bitsSize;

  if (iconImage) {
    const std::uint64_t maskSize = DibStride(static_cast<std::uint64_t>(dib.width), 1) * rows;
    if (!Fits(data.size(), offset, maskSize)) {
      return PeResult<Dib>::Fail("icon mask runs past the end of the resource");
    }
    const auto maskBegin = data.begin() + static_cast<std::ptrdiff_t>(offset);
    dib.andMask.assign(maskBegin, maskBegin + static_cast<std::ptrdiff_t>(maskSize));
  }
  return PeResult<Dib>::Ok(std::move(dib));
}

PeResult<PeImage> PeImage::Parse(std::vector<std::uint8_t> bytes) {
  using Result = PeResult<PeImage>;
  PeImage image;
  image.fileSize_ = bytes.size();
  image.bytes_ = std::move(bytes);
  image.bytes_.resize((image.fileSize_ + kSectorSize - 1) / kSectorSize * kSectorSize, 0);
  const Bytes data(image.bytes_);
  if (image.fileSize_ < 0x40)
    return Result::Fail("file too small for a DOS header");
  if (U16(data, 0) != kDosMagic)
    return Result::Fail("no MZ signature");
  const std::uint32_t ntOffset = U32(data, 0x3C);
  if (!Fits(data.size(), ntOffset, 4 + kFileHeaderSize)) {
    return Result::Fail("NT headers offset " + Hex(ntOffset) + " outside the file");
  }
  if (U32(data, ntOffset) != kPeMagic)
    return Result::Fail("no PE signature");

  const std::size_t fileHeader = ntOffset + 4;
  image.machine_ = U16(data, fileHeader);
  const std::uint16_t sectionCount = U16(data, fileHeader + 2);
  const std::uint16_t optionalSize = U16(data, fileHeader + 16);
  const std::size_t optional = fileHeader + kFileHeaderSize;
  if (!Fits(data.size(), optional, optionalSize) || optionalSize < 2) {
    return Result::Fail("optional header truncated");
  }

  const std::uint16_t magic = U16(data, optional);
  std::size_t directories = 0;  // offset of the data directories within the optional header
  if (magic == kOptionalMagic32) {
    directories = 96;
  } else if (magic == kOptionalMagic64) {
    directories = 112;
    image.is64_ = true;
  } else {
    return Result::Fail("unknown optional header magic " + Hex(magic));
  }
  if (optionalSize < directories)
    return Result::Fail("optional header truncated");
  image.sectionAlignment_ = U32(data, optional + 32);
  image.fileAlignment_ = U32(data, optional + 36);
  image.sizeOfImage_ = U32(data, optional + 56);
  const std::uint32_t directoryCount = U32(data, optional + directories - 4);
  std::uint32_t resourceRva = 0;
  std::uint32_t resourceSize = 0;
  const std::size_t resourceEntry = directories + kResourceDirectoryIndex * 8;
  if (directoryCount > kResourceDirectoryIndex && resourceEntry + 8 <= optionalSize) {
    resourceRva = U32(data, optional + resourceEntry);
    resourceSize = U32(data, optional + resourceEntry + 4);
  }

  const std::size_t sectionTable = optional + optionalSize;
  if (!Fits(data.size(), sectionTable, std::uint64_t{sectionCount} * kSectionHeaderSize)) {
    return Result::Fail("section table (" + std::to_string(sectionCount) +
                        " sections) runs past the end of the file");
  }
  image.sections_.reserve(sectionCount);
  for (std::size_t i = 0; i < sectionCount; ++i) {
    const std::size_t at = sectionTable + i * kSectionHeaderSize;
    Section section;
    section.virtualSize = U32(data, at + 8);
    section.virtualAddress = U32(data, at + 12);
    const std::uint32_t rawSize = U32(data, at + 16);
    const std::uint32_t rawOffset = U32(data, at + 20);
    section.rawOffset = rawOffset;
    section.rawSize = rawSize;
    // A truncated file keeps what is left of its sections.
    section.fileOffset = std::min<std::size_t>(rawOffset, data.size());
    section.fileSize = std::min<std::size_t>(rawSize, data.size() - section.fileOffset);
    image.sections_.push_back(section);
  }

  if (resourceRva != 0 && resourceSize != 0) {
    // The directory's own offsets may reach anywhere in its section, so the
    // readable extent runs to the end of the section rather than the stated size.
    // Offset and extent both come from the one section MapRva would choose, so
    // that overlapping sections cannot pair one's offset with another's size.
    // The loader maps such a file all the same; only its resources are not
    // found.
    const Section* section = image.SectionOf(resourceRva);
    const std::size_t within = section == nullptr ? 0 : resourceRva - section->virtualAddress;
    if (section == nullptr) {
      image.resourceProblem_ = "resource directory: RVA " + Hex(resourceRva) + " is in no section";
    } else if (within >= section->fileSize) {
      image.resourceProblem_ = "resource directory: RVA " + Hex(resourceRva) +
                               " lies past its section's data in the file";
    } else {
      image.resourceOffset_ = section->fileOffset + within;
      image.resourceSize_ = section->fileSize - within;
      image.hasResources_ = true;
    }
  }
  return Result::Ok(std::move(image));
}

PeResult<std::span<const std::uint8_t>> PeImage::MapRva(std::uint32_t rva,
                                                        std::uint32_t size) const {
  using Result = PeResult<std::span<const std::uint8_t>>;
  const Section* section = SectionOf(rva);
  if (section == nullptr)
    return Result::Fail("RVA " + Hex(rva) + " is in no section");
  const std::uint64_t within = rva - section->virtualAddress;
  if (!Fits(section->fileSize, within, size)) {
    return Result::Fail("RVA " + Hex(rva) + " + " + std::to_string(size) +
                        " bytes runs past its section's data in the file");
  }
  return Result::Ok(std::span<const std::uint8_t>(
      bytes_.data() + section->fileOffset + static_cast<std::size_t>(within), size));
}

const PeImage::Section* PeImage::SectionOf(std::uint32_t rva) const {
  // The first section whose memory image holds the address, as the loader maps them.
  for (const Section& section : sections_) {
    const std::uint64_t start = section.virtualAddress;
    const std::uint64_t extent = std::max<std::uint64_t>(section.virtualSize, section.fileSize);
    if (rva >= start && rva - start < extent)
      return &section;
  }
  return nullptr;
}

PeResult<std::vector<PeImage::Entry>> PeImage::Directory(std::uint32_t offset) const {
  using Result = PeResult<std::vector<Entry>>;
  if (!Fits(resourceSize_, offset, kDirectoryHeaderSize)) {
    return Result::Fail("resource directory at " + Hex(offset) + " is outside the section");
  }
  const Bytes data(bytes_.data() + resourceOffset_, resourceSize_);
  const std::uint64_t count = std::uint64_t{U16(data, offset + 12)} + U16(data, offset + 14);
  const std::uint64_t first = std::uint64_t{offset} + kDirectoryHeaderSize;
  // The count is bounded by the section's size: entries that are not there in
  // full make the directory unusable rather than partly read.
  if (!Fits(resourceSize_, first, count * kDirectoryEntrySize)) {
    return Result::Fail("resource directory at " + Hex(offset) + " claims " +
                        std::to_string(count) + " entries, more than the section holds");
  }
  std::vector<Entry> entries(static_cast<std::size_t>(count));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t at = static_cast<std::size_t>(first) + i * kDirectoryEntrySize;
    entries[i] = {U32(data, at), U32(data, at + 4)};
  }
  return Result::Ok(std::move(entries));
}

PeResult<ResourceKey> PeImage::EntryKey(const Entry& entry) const {
  using Result = PeResult<ResourceKey>;
  if ((entry.name & kHighBit) == 0) {
    if (entry.name > 0xFFFF)
      return Result::Fail("resource id " + Hex(entry.name) + " too large");
    return Result::Ok(ResourceKey::Id(static_cast<std::uint16_t>(entry.name)));
  }
  // IMAGE_RESOURCE_DIR_STRING_U: a 16-bit length and that many UTF-16 units.
  const std::uint32_t offset = entry.name & ~kHighBit;
  if (!Fits(resourceSize_, offset, 2))
    return Result::Fail("resource name outside the section");
  const Bytes data(bytes_.data() + resourceOffset_, resourceSize_);
  const std::uint16_t length = U16(data, offset);
  if (!Fits(resourceSize_, std::uint64_t{offset} + 2, std::uint64_t{length} * 2)) {
    return Result::Fail("resource name runs past the end of the section");
  }
  String name(length, u'\0');
  for (std::size_t i = 0; i < length; ++i)
    name[i] = U16(data, offset + 2 + i * 2);
  return Result::Ok(ResourceKey::Name(name));
}

bool PeImage::EntryMatches(const Entry& entry, const ResourceKey& key) const {
  const bool named = (entry.name & kHighBit) != 0;
  if (named == key.isId)
    return false;
  if (!named)
    return entry.name == key.id;
  // Only as much of a stored name is read as the key is long, so that a
  // directory of many long names costs no more than one of short ones. A name
  // that cannot be read cannot be the one asked for.
  const std::uint32_t offset = entry.name & ~kHighBit;
  if (!Fits(resourceSize_, offset, 2))
    return false;
  const Bytes data(bytes_.data() + resourceOffset_, resourceSize_);
  if (U16(data, offset) != key.name.size() ||
      !Fits(resourceSize_, std::uint64_t{offset} + 2, key.name.size() * 2)) {
    return false;
  }
  for (std::size_t i = 0; i < key.name.size(); ++i) {
    if (UpperUnit(U16(data, offset + 2 + i * 2)) != key.name[i])
      return false;
  }
  return true;
}

PeResult<std::uint32_t> PeImage::Subdirectory(std::uint32_t offset, const ResourceKey& key,
                                              const char* level) const {
  using Result = PeResult<std::uint32_t>;
  auto entries = Directory(offset);
  if (!entries)
    return Result::Fail(entries.error());
  for (const Entry& entry : entries.value()) {
    if (!EntryMatches(entry, key))
      continue;
    if ((entry.target & kHighBit) == 0) {
      return Result::Fail(std::string(level) + " entry is data where a directory belongs");
    }
    return Result::Ok(entry.target & ~kHighBit);
  }
  return Result::Fail(std::string(level) + " not found");
}

PeResult<std::span<const std::uint8_t>> PeImage::Find(const ResourceKey& type,
                                                      const ResourceKey& name) const {
  using Result = PeResult<std::span<const std::uint8_t>>;
  if (!hasResources_)
    return Result::Fail(resourceProblem_.empty() ? "the file has no resources" : resourceProblem_);
  // Three fixed levels (type, name, language): the walk cannot loop however
  // the offsets point, since every level is read exactly once.
  const auto names = Subdirectory(0, type, "resource type");
  if (!names)
    return Result::Fail(names.error());
  const auto languages = Subdirectory(names.value(), name, "resource");
  if (!languages)
    return Result::Fail(languages.error());
  const auto entries = Directory(languages.value());
  if (!entries)
    return Result::Fail(entries.error());
  if (entries->empty())
    return Result::Fail("resource has no language entry");
  // These libraries hold one language each; the first is the one.
  const Entry& language = entries->front();
  if ((language.target & kHighBit) != 0) {
    return Result::Fail("language entry is a directory where data belongs");
  }
  const std::uint32_t dataEntry = language.target;
  if (!Fits(resourceSize_, dataEntry, kDataEntrySize)) {
    return Result::Fail("resource data entry outside the section");
  }
  const Bytes data(bytes_.data() + resourceOffset_, resourceSize_);
  return MapRva(U32(data, dataEntry), U32(data, dataEntry + 4));
}

PeResult<std::vector<ResourceKey>> PeImage::Names(const ResourceKey& type) const {
  using Result = PeResult<std::vector<ResourceKey>>;
  if (!hasResources_)
    return Result::Ok({});
  const auto names = Subdirectory(0, type, "resource type");
  if (!names)
    return Result::Ok({});
  auto entries = Directory(names.value());
  if (!entries)
    return Result::Fail(entries.error());
  std::vector<ResourceKey> keys;
  keys.reserve(entries->size());
  std::size_t nameUnits = 0;
  for (const Entry& entry : entries.value()) {
    auto key = EntryKey(entry);
    if (!key)
      continue;
    // Entries may share one long name; listing them all could take unbounded work.
    nameUnits += key->name.size();
    if (nameUnits > kMaxNameUnitsListed)
      return Result::Fail("resource names too long to list");
    keys.push_back(std::move(key).value());
  }
  return Result::Ok(std::move(keys));
}

PeResult<String> PeImage::StringResource(std::uint16_t id) const {
  using Result = PeResult<String>;
  const auto block =
      Find(ResourceKey::Id(kRtString), ResourceKey::Id(static_cast<std::uint16_t>((id >> 4) + 1)));
  if (!block)
    return Result::Fail(block.error());
  const Bytes data = block.value();
  std::size_t at = 0;
  for (unsigned index = 0; index <= (id & 0xFu); ++index) {
    if (!Fits(data.size(), at, 2)) {
      return Result::Fail("string block ends before string " + std::to_string(id));
    }
    const std::size_t length = U16(data, at);
    at += 2;
    if (!Fits(data.size(), at, length * 2)) {
      return Result::Fail("string of the block runs past the end of its resource");
    }
    if (index == (id & 0xFu)) {
      String text(length, u'\0');
      for (std::size_t i = 0; i < length; ++i)
        text[i] = U16(data, at + i * 2);
      return Result::Ok(std::move(text));
    }
    at += length * 2;
  }
  return Result::Fail("string not found");
}

PeResult<Dib> PeImage::Bitmap(const ResourceKey& name) const {
  const auto data = Find(ResourceKey::Id(kRtBitmap), name);
  if (!data)
    return PeResult<Dib>::Fail(data.error());
  return ParseDib(data.value());
}

PeResult<std::vector<IconDirEntry>> PeImage::IconGroup(const ResourceKey& name) const {
  using Result = PeResult<std::vector<IconDirEntry>>;
  const auto found = Find(ResourceKey::Id(kRtGroupIcon), name);
  if (!found)
    return Result::Fail(found.error());
  const Bytes data = found.value();
  constexpr std::size_t kHeader = 6;
  constexpr std::size_t kEntry = 14;
  if (data.size() < kHeader)
    return Result::Fail("icon group header truncated");
  if (U16(data, 2) != 1)
    return Result::Fail("icon group is not of icons");
  const std::size_t count = U16(data, 4);
  if (!Fits(data.size(), kHeader, std::uint64_t{count} * kEntry)) {
    return Result::Fail("icon group entries run past the end of the resource");
  }
  std::vector<IconDirEntry> entries(count);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t at = kHeader + i * kEntry;
    IconDirEntry& entry = entries[i];
    entry.width = data[at];
    entry.height = data[at + 1];
    entry.colorCount = data[at + 2];
    entry.planes = U16(data, at + 4);
    entry.bitCount = U16(data, at + 6);
    entry.bytesInRes = U32(data, at + 8);
    entry.id = U16(data, at + 12);
  }
  return Result::Ok(std::move(entries));
}

PeResult<IconImage> PeImage::Icon(std::uint16_t id) const {
  using Result = PeResult<IconImage>;
  const auto found = Find(ResourceKey::Id(kRtIcon), ResourceKey::Id(id));
  if (!found)
    return Result::Fail(found.error());
  const Bytes data = found.value();
  IconImage image;
  image.bytes.assign(data.begin(), data.end());
  if (IsPng(data)) {
    // The IHDR chunk comes first: length, "IHDR", width, height, depth, colour type.
    if (data.size() < 26 || U32BigEndian(data, 12) != 0x49484452u) {
      return Result::Fail("PNG icon without an IHDR chunk");
    }
    const std::uint32_t width = U32BigEndian(data, 16);
    const std::uint32_t height = U32BigEndian(data, 20);
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) {
      return Result::Fail("PNG icon has an invalid size");
    }
    image.png = true;
    image.width = static_cast<std::int32_t>(width);
    image.height = static_cast<std::int32_t>(height);
    image.bitCount = 32;
    return Result::Ok(std::move(image));
  }
  auto dib = ParseDib(data, true);
  if (!dib)
    return Result::Fail("icon image: " + dib.error());
  image.width = dib->width;
  image.height = dib->height;
  image.bitCount = dib->bitCount;
  image.dib = std::move(dib).value();
  return Result::Ok(std::move(image));
}

}  // namespace ostrel::posix

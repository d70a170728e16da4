// A reader of the resource section of a PE file (PE32 and PE32+), the format of
// the satellite resource libraries. Pure: it works on bytes already in memory,
// does no I/O and trusts nothing in them. Every offset, size and count is checked
// before use; a damaged file gives an error message, never a crash.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "host/String.h"

namespace ostrel::posix {

// A number as the loader's messages show it: "0x1F4".
std::string Hex(std::uint64_t value);

// Resource types (RT_*) the reader understands.
inline constexpr std::uint16_t kRtBitmap = 2;
inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtString = 6;
inline constexpr std::uint16_t kRtGroupIcon = 14;

// A value, or why there is none.
template <typename T>
class PeResult {
 public:
  static PeResult Ok(T value) {
    PeResult result;
    result.value_ = std::move(value);
    return result;
  }
  static PeResult Fail(std::string message) {
    PeResult result;
    result.error_ = std::move(message);
    return result;
  }

  bool ok() const { return value_.has_value(); }
  explicit operator bool() const { return ok(); }
  // Asking a failed result for its value throws std::bad_optional_access.
  const T& value() const& { return value_.value(); }
  T& value() & { return value_.value(); }
  T&& value() && { return std::move(value_.value()); }
  const T* operator->() const { return &value_.value(); }
  const std::string& error() const { return error_; }

 private:
  std::optional<T> value_;
  std::string error_;
};

// A resource's numeric id or its name. Names are kept upper-cased, as the
// resource compiler stores them and as FindResource compares them.
struct ResourceKey {
  static ResourceKey Id(std::uint16_t id);
  static ResourceKey Name(std::u16string_view name);

  bool isId = true;
  std::uint16_t id = 0;
  String name;

  bool operator==(const ResourceKey&) const = default;
};

// Upper-cases the way resource names are compared: ASCII and Latin-1 letters.
String UpperResourceName(std::u16string_view name);

struct RgbQuad {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
  std::uint8_t reserved = 0;
  bool operator==(const RgbQuad&) const = default;
};

// A device-independent bitmap taken apart: header fields, colour table and the
// rows as stored (bottom-up unless topDown).
struct Dib {
  std::int32_t width = 0;
  std::int32_t height = 0;  // number of rows, always positive
  std::uint16_t bitCount = 0;
  bool topDown = false;
  std::vector<RgbQuad> colors;           // the colour table (up to 8 bpp)
  std::array<std::uint32_t, 3> masks{};  // red, green, blue (16 and 32 bpp)
  std::size_t stride = 0;                // bytes per row, a multiple of 4
  std::vector<std::uint8_t> bits;        // height rows of stride bytes
  std::vector<std::uint8_t> andMask;     // icons only: the 1 bpp transparency rows

  // The colour-table index of a pixel (up to 8 bpp); y counts from the top.
  std::uint32_t Index(std::int32_t x, std::int32_t y) const;
  // The colour of a pixel at any depth; an index past the table gives black.
  RgbQuad Color(std::int32_t x, std::int32_t y) const;
  // The fourth byte of a 32 bpp pixel without bit-field masks (its alpha,
  // where the bitmap carries one); 0 at every other depth.
  std::uint8_t Alpha(std::int32_t x, std::int32_t y) const;
};

// Takes a packed DIB apart (BITMAPINFOHEADER or a later version, or
// BITMAPCOREHEADER; uncompressed or with bit-field masks). An icon image holds
// twice the height: the colour rows, then a 1 bpp AND mask.
PeResult<Dib> ParseDib(std::span<const std::uint8_t> data, bool iconImage = false);

// One entry of an icon group (GRPICONDIRENTRY).
struct IconDirEntry {
  std::uint8_t width = 0;  // 0 means 256
  std::uint8_t height = 0;
  std::uint8_t colorCount = 0;
  std::uint16_t planes = 0;
  std::uint16_t bitCount = 0;
  std::uint32_t bytesInRes = 0;
  std::uint16_t id = 0;  // the RT_ICON resource holding the image
};

// One icon image (RT_ICON): a DIB or, in newer files, a PNG stream.
struct IconImage {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint16_t bitCount = 0;
  bool png = false;
  std::optional<Dib> dib;           // when not png
  std::vector<std::uint8_t> bytes;  // the resource as stored
};

class PeImage {
 public:
  // Checks the headers and locates the resource directory. A file without a
  // resource directory, or whose directory lies in no section's data, parses
  // and has no resources (a lookup says why). A file cut within its last
  // 512-byte sector reads as zeros to the sector's end, as the loader reads
  // whole sectors.
  static PeResult<PeImage> Parse(std::vector<std::uint8_t> bytes);

  bool is64() const { return is64_; }

  // What the Windows loader refuses when it maps the file as an image
  // (LoadLibraryEx without LOAD_LIBRARY_AS_DATAFILE), as measured with Wine 8's
  // loader: a file not for the process's machine (the stand-in stands for
  // 64-bit Windows: x64, PE32+), no SizeOfImage, a section outside SizeOfImage
  // or not on a page boundary, sections that do not sit at their file offsets
  // when SectionAlignment is below a page, and a section whose raw data starts
  // at or runs past the end of the file (a truncated file). Empty when the
  // loader would map it.
  std::string ImageLoadProblem() const;

  // The raw bytes of a resource: the first language of type/name.
  PeResult<std::span<const std::uint8_t>> Find(const ResourceKey& type,
                                               const ResourceKey& name) const;
  // The names and ids present for a type, in directory order (a failure when
  // their names add up to more than a million characters).
  PeResult<std::vector<ResourceKey>> Names(const ResourceKey& type) const;

  // String `id` of the string table (blocks of 16, block (id >> 4) + 1).
  PeResult<String> StringResource(std::uint16_t id) const;
  PeResult<Dib> Bitmap(const ResourceKey& name) const;
  PeResult<std::vector<IconDirEntry>> IconGroup(const ResourceKey& name) const;
  PeResult<IconImage> Icon(std::uint16_t id) const;

 private:
  struct Section {
    std::uint32_t virtualAddress = 0;
    std::uint32_t virtualSize = 0;
    std::size_t fileOffset = 0;
    std::size_t fileSize = 0;  // raw bytes actually present in the file
    // PointerToRawData and SizeOfRawData as stored.
    std::uint32_t rawOffset = 0;
    std::uint32_t rawSize = 0;
  };
  struct Entry {
    std::uint32_t name = 0;
    std::uint32_t target = 0;
  };

  PeImage() = default;
  const Section* SectionOf(std::uint32_t rva) const;
  PeResult<std::span<const std::uint8_t>> MapRva(std::uint32_t rva, std::uint32_t size) const;
  PeResult<std::vector<Entry>> Directory(std::uint32_t offset) const;
  PeResult<ResourceKey> EntryKey(const Entry& entry) const;
  bool EntryMatches(const Entry& entry, const ResourceKey& key) const;
  PeResult<std::uint32_t> Subdirectory(std::uint32_t offset, const ResourceKey& key,
                                       const char* level) const;

  std::vector<std::uint8_t> bytes_;
  std::vector<Section> sections_;
  bool is64_ = false;
  std::uint16_t machine_ = 0;
  std::uint32_t sectionAlignment_ = 0;
  std::uint32_t fileAlignment_ = 0;
  std::uint32_t sizeOfImage_ = 0;
  std::size_t fileSize_ = 0;  // as read, before the last sector is filled up
  // Why there are no resources when the directory lies in no section's data.
  std::string resourceProblem_;
  // The resource directory's bytes, from its start to the end of its section.
  std::size_t resourceOffset_ = 0;
  std::size_t resourceSize_ = 0;
  bool hasResources_ = false;
};

}  // namespace ostrel::posix

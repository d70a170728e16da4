// Builds small PE files with a resource section in memory, and the resources
// that go into them, so that tests can damage exactly the structure they mean to.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "posix/PeImage.h"

namespace ostrel::posix::testing {

using Bytes = std::vector<std::uint8_t>;

struct TestResource {
  ResourceKey type;
  ResourceKey name;
  Bytes data;
  std::uint16_t language = 0x0409;
};

// Where the parts of a built file lie, for targeted damage.
struct BuiltPe {
  Bytes bytes;
  std::size_t ntHeaders = 0;  // "PE\0\0"
  std::size_t optionalHeader = 0;
  std::size_t sectionTable = 0;
  std::size_t resourceOffset = 0;  // file offset of the resource directory
  std::uint32_t resourceRva = 0;
  // File offsets of each resource's IMAGE_RESOURCE_DATA_ENTRY, its data, and its
  // name-level and language-level directories, in the order given.
  std::vector<std::size_t> dataEntries;
  std::vector<std::size_t> dataOffsets;
  std::vector<std::size_t> nameDirectories;  // the directory listing the names of its type
  std::vector<std::size_t> languageDirectories;
};

BuiltPe BuildPe(const std::vector<TestResource>& resources, bool pe64 = true);

// An RT_STRING block: 16 strings, missing ones empty.
Bytes StringBlock(const std::vector<std::u16string>& strings);

// A packed DIB with a BITMAPINFOHEADER. `value(x, y)` gives each pixel as it is
// stored (an index up to 8 bpp, else the 16/24/32-bit value); y counts from the
// top. Rows are written bottom-up unless topDown.
Bytes MakeDib(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
              const std::vector<RgbQuad>& colors,
              const std::function<std::uint32_t(int, int)>& value, bool topDown = false,
              std::uint32_t compression = 0, const std::vector<std::uint32_t>& masks = {});

// An RT_GROUP_ICON directory naming icon images by id.
Bytes IconGroup(const std::vector<IconDirEntry>& entries);

void PutU16(Bytes& bytes, std::size_t at, std::uint16_t value);
void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value);
std::uint32_t GetU32(const Bytes& bytes, std::size_t at);

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);

}  // namespace ostrel::posix::testing

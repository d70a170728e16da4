#include "platform/posix/PeBuilder.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace ostrel::posix::testing {
namespace {

constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::size_t kFileAlignment = 0x200;

std::size_t Align(std::size_t value, std::size_t to) {
  return (value + to - 1) / to * to;
}

struct NameGroup {
  ResourceKey name;
  std::vector<std::size_t> resources;  // indexes into the input
};
struct TypeGroup {
  ResourceKey type;
  std::vector<NameGroup> names;
};

template <typename T, typename Key>
T& GroupFor(std::vector<T>& groups, const Key& key, Key T::*field) {
  for (T& group : groups) {
    if (group.*field == key)
      return group;
  }
  groups.push_back(T{key, {}});
  return groups.back();
}

}  // namespace

void PutU16(Bytes& bytes, std::size_t at, std::uint16_t value) {
  bytes.at(at) = static_cast<std::uint8_t>(value);
  bytes.at(at + 1) = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  PutU16(bytes, at, static_cast<std::uint16_t>(value));
  PutU16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t GetU32(const Bytes& bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes.at(at)) |
         (static_cast<std::uint32_t>(bytes.at(at + 1)) << 8) |
         (static_cast<std::uint32_t>(bytes.at(at + 2)) << 16) |
         (static_cast<std::uint32_t>(bytes.at(at + 3)) << 24);
}

BuiltPe BuildPe(const std::vector<TestResource>& resources, bool pe64) {
  std::vector<TypeGroup> types;
  for (std::size_t i = 0; i < resources.size(); ++i) {
    TypeGroup& type = GroupFor(types, resources[i].type, &TypeGroup::type);
    NameGroup& name = GroupFor(type.names, resources[i].name, &NameGroup::name);
    name.resources.push_back(i);
  }

  // The resource section: directories, then names, then data entries, then data.
  Bytes section;
  const auto grow = [&section](std::size_t size) {
    const std::size_t at = section.size();
    section.resize(at + size, 0);
    return at;
  };
  std::vector<std::pair<std::size_t, const ResourceKey*>> namedEntries;  // entry offset, key
  std::vector<std::size_t> dataEntryFixups(resources.size());
  std::vector<std::size_t> nameDirectoryOf(resources.size());
  std::vector<std::size_t> languageDirectoryOf(resources.size());

  const auto directory = [&](std::size_t entries) {
    const std::size_t at = grow(16 + 8 * entries);
    PutU16(section, at + 14, static_cast<std::uint16_t>(entries));
    return at;
  };
  const auto setKey = [&](std::size_t entry, const ResourceKey& key) {
    if (key.isId) {
      PutU32(section, entry, key.id);
    } else {
      namedEntries.emplace_back(entry, &key);
    }
  };

  const std::size_t root = directory(types.size());
  for (std::size_t t = 0; t < types.size(); ++t) {
    const std::size_t typeEntry = root + 16 + 8 * t;
    setKey(typeEntry, types[t].type);
    const std::size_t nameDir = directory(types[t].names.size());
    PutU32(section, typeEntry + 4, 0x80000000u | static_cast<std::uint32_t>(nameDir));
    for (std::size_t n = 0; n < types[t].names.size(); ++n) {
      const NameGroup& name = types[t].names[n];
      const std::size_t nameEntry = nameDir + 16 + 8 * n;
      setKey(nameEntry, name.name);
      const std::size_t languageDir = directory(name.resources.size());
      PutU32(section, nameEntry + 4, 0x80000000u | static_cast<std::uint32_t>(languageDir));
      for (std::size_t l = 0; l < name.resources.size(); ++l) {
        const std::size_t index = name.resources[l];
        const std::size_t languageEntry = languageDir + 16 + 8 * l;
        PutU32(section, languageEntry, resources[index].language);
        dataEntryFixups[index] = languageEntry + 4;
        nameDirectoryOf[index] = nameDir;
        languageDirectoryOf[index] = languageDir;
      }
    }
  }
  for (const auto& [entry, key] : namedEntries) {
    const std::size_t at = grow(2 + 2 * key->name.size());
    PutU16(section, at, static_cast<std::uint16_t>(key->name.size()));
    for (std::size_t i = 0; i < key->name.size(); ++i)
      PutU16(section, at + 2 + 2 * i, key->name[i]);
    PutU32(section, entry, 0x80000000u | static_cast<std::uint32_t>(at));
  }
  section.resize(Align(section.size(), 4));
  std::vector<std::size_t> dataEntries(resources.size());
  for (std::size_t i = 0; i < resources.size(); ++i) {
    dataEntries[i] = grow(16);
    PutU32(section, dataEntryFixups[i], static_cast<std::uint32_t>(dataEntries[i]));
  }
  std::vector<std::size_t> dataOffsets(resources.size());
  for (std::size_t i = 0; i < resources.size(); ++i) {
    section.resize(Align(section.size(), 8));
    dataOffsets[i] = grow(resources[i].data.size());
    std::copy(resources[i].data.begin(), resources[i].data.end(),
              section.begin() + static_cast<std::ptrdiff_t>(dataOffsets[i]));
    PutU32(section, dataEntries[i], kSectionRva + static_cast<std::uint32_t>(dataOffsets[i]));
    PutU32(section, dataEntries[i] + 4, static_cast<std::uint32_t>(resources[i].data.size()));
  }

  // Headers: DOS header, NT headers, one section.
  BuiltPe built;
  const std::size_t directoriesAt = pe64 ? 112 : 96;
  const std::size_t optionalSize = directoriesAt + 16 * 8;
  built.ntHeaders = 0x40;
  built.optionalHeader = built.ntHeaders + 4 + 20;
  built.sectionTable = built.optionalHeader + optionalSize;
  built.resourceOffset = Align(built.sectionTable + 40, kFileAlignment);
  built.resourceRva = kSectionRva;
  const std::size_t rawSize = Align(section.size(), kFileAlignment);
  Bytes& out = built.bytes;
  out.assign(built.resourceOffset + rawSize, 0);
  out[0] = 'M';
  out[1] = 'Z';
  PutU32(out, 0x3C, static_cast<std::uint32_t>(built.ntHeaders));
  PutU32(out, built.ntHeaders, 0x00004550);
  PutU16(out, built.ntHeaders + 4, pe64 ? 0x8664 : 0x014C);
  PutU16(out, built.ntHeaders + 6, 1);
  PutU16(out, built.ntHeaders + 20, static_cast<std::uint16_t>(optionalSize));
  PutU16(out, built.ntHeaders + 22, 0x2102);  // executable, DLL
  PutU16(out, built.optionalHeader, pe64 ? 0x20B : 0x10B);
  PutU32(out, built.optionalHeader + 32, 0x1000);  // section alignment
  PutU32(out, built.optionalHeader + 36, static_cast<std::uint32_t>(kFileAlignment));
  PutU32(out, built.optionalHeader + 56,  // size of image
         kSectionRva + static_cast<std::uint32_t>(Align(section.size(), 0x1000)));
  PutU32(out, built.optionalHeader + 60, static_cast<std::uint32_t>(built.resourceOffset));
  PutU32(out, built.optionalHeader + directoriesAt - 4, 16);
  PutU32(out, built.optionalHeader + directoriesAt + 16, kSectionRva);
  PutU32(out, built.optionalHeader + directoriesAt + 20,
         static_cast<std::uint32_t>(section.size()));
  const std::size_t header = built.sectionTable;
  std::copy_n(".rsrc", 5, out.begin() + static_cast<std::ptrdiff_t>(header));
  PutU32(out, header + 8, static_cast<std::uint32_t>(section.size()));
  PutU32(out, header + 12, kSectionRva);
  PutU32(out, header + 16, static_cast<std::uint32_t>(rawSize));
  PutU32(out, header + 20, static_cast<std::uint32_t>(built.resourceOffset));
  PutU32(out, header + 36, 0x40000040);  // initialised data, readable
  std::copy(section.begin(), section.end(),
            out.begin() + static_cast<std::ptrdiff_t>(built.resourceOffset));

  for (std::size_t i = 0; i < resources.size(); ++i) {
    built.dataEntries.push_back(built.resourceOffset + dataEntries[i]);
    built.dataOffsets.push_back(built.resourceOffset + dataOffsets[i]);
    built.nameDirectories.push_back(built.resourceOffset + nameDirectoryOf[i]);
    built.languageDirectories.push_back(built.resourceOffset + languageDirectoryOf[i]);
  }
  return built;
}

Bytes StringBlock(const std::vector<std::u16string>& strings) {
  Bytes block;
  for (std::size_t i = 0; i < 16; ++i) {
    const std::u16string text = i < strings.size() ? strings[i] : std::u16string();
    const std::size_t at = block.size();
    block.resize(at + 2 + 2 * text.size());
    PutU16(block, at, static_cast<std::uint16_t>(text.size()));
    for (std::size_t k = 0; k < text.size(); ++k)
      PutU16(block, at + 2 + 2 * k, text[k]);
  }
  return block;
}

Bytes MakeDib(std::int32_t width, std::int32_t height, std::uint16_t bitCount,
              const std::vector<RgbQuad>& colors,
              const std::function<std::uint32_t(int, int)>& value, bool topDown,
              std::uint32_t compression, const std::vector<std::uint32_t>& masks) {
  const std::size_t stride = (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
  const std::size_t tableSize = masks.size() * 4 + colors.size() * 4;
  Bytes dib(40 + tableSize + stride * static_cast<std::size_t>(height), 0);
  PutU32(dib, 0, 40);
  PutU32(dib, 4, static_cast<std::uint32_t>(width));
  PutU32(dib, 8, static_cast<std::uint32_t>(topDown ? -height : height));
  PutU16(dib, 12, 1);
  PutU16(dib, 14, bitCount);
  PutU32(dib, 16, compression);
  PutU32(dib, 32, static_cast<std::uint32_t>(colors.size()));
  std::size_t at = 40;
  for (std::uint32_t mask : masks) {
    PutU32(dib, at, mask);
    at += 4;
  }
  for (const RgbQuad& c : colors) {
    dib[at] = c.blue;
    dib[at + 1] = c.green;
    dib[at + 2] = c.red;
    at += 4;
  }
  for (int y = 0; y < height; ++y) {
    const std::size_t row = at + stride * static_cast<std::size_t>(topDown ? y : height - 1 - y);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = value(x, y);
      const auto ux = static_cast<std::size_t>(x);
      switch (bitCount) {
        case 1:
          dib[row + ux / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - ux % 8));
          break;
        case 4:
          dib[row + ux / 2] |= static_cast<std::uint8_t>((v & 0xF) << (ux % 2 == 0 ? 4 : 0));
          break;
        case 8:
          dib[row + ux] = static_cast<std::uint8_t>(v);
          break;
        case 16:
          PutU16(dib, row + ux * 2, static_cast<std::uint16_t>(v));
          break;
        case 24:
          dib[row + ux * 3] = static_cast<std::uint8_t>(v);
          dib[row + ux * 3 + 1] = static_cast<std::uint8_t>(v >> 8);
          dib[row + ux * 3 + 2] = static_cast<std::uint8_t>(v >> 16);
          break;
        default:
          PutU32(dib, row + ux * 4, v);
          break;
      }
    }
  }
  return dib;
}

Bytes IconGroup(const std::vector<IconDirEntry>& entries) {
  Bytes group(6 + 14 * entries.size(), 0);
  PutU16(group, 2, 1);
  PutU16(group, 4, static_cast<std::uint16_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::size_t at = 6 + 14 * i;
    group[at] = entries[i].width;
    group[at + 1] = entries[i].height;
    group[at + 2] = entries[i].colorCount;
    PutU16(group, at + 4, entries[i].planes);
    PutU16(group, at + 6, entries[i].bitCount);
    PutU32(group, at + 8, entries[i].bytesInRes);
    PutU16(group, at + 12, entries[i].id);
  }
  return group;
}

Bytes ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    throw std::runtime_error("cannot read " + path);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out)
    throw std::runtime_error("cannot write " + path);
}

}  // namespace ostrel::posix::testing

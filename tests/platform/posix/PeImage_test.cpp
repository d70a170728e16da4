// The PE resource reader: answers from well-formed files, and clear failures
// (never a crash, never a wrong answer) from damaged ones.
#include "posix/PeImage.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

#include "common/Text.h"
#include "platform/posix/PeBuilder.h"
#include "support/Checked.h"

namespace ostrel::posix {
namespace {

using testing::BuildPe;
using testing::BuiltPe;
using testing::Bytes;
using testing::MakeDib;
using testing::PutU16;
using testing::PutU32;
using testing::StringBlock;
using testing::TestResource;

const std::string kAddinDir = OSTREL_TEST_ADDIN_DIR;

ResourceKey Id(std::uint16_t id) {
  return ResourceKey::Id(id);
}

RgbQuad Rgb(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return {b, g, r, 0};
}

// A small library: strings in two blocks, bitmaps by number and by name, an icon.
std::vector<TestResource> SampleResources() {
  const auto checker = [](int x, int y) { return static_cast<std::uint32_t>((x + y) % 2); };
  return {
      {Id(kRtString), Id(7), StringBlock({u"first", u"", u"Caf\u00E9 \u20AC"})},  // ids 96..98
      {Id(kRtString), Id(26),
       StringBlock({u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"", u"",
                    u"last of block"})},  // id 415
      {Id(kRtBitmap), Id(2003), MakeDib(3, 2, 8, {Rgb(255, 0, 255), Rgb(10, 20, 30)}, checker)},
      {Id(kRtBitmap), ResourceKey::Name(u"Face"), MakeDib(2, 2, 24, {}, checker)},
      {Id(kRtIcon), Id(1), MakeDib(16, 32, 32, {}, checker)},
      {Id(kRtGroupIcon), Id(4001), testing::IconGroup({{16, 16, 0, 1, 32, 0, 1}})},
  };
}

// The string, or the reader's error in a form that cannot equal a string.
String Text(const PeImage& image, std::uint16_t id) {
  const auto text = image.StringResource(id);
  return text.ok() ? text.value() : u"<error: " + FromAscii(text.error()) + u">";
}

PeImage ParseOk(Bytes bytes, ostrel::test::Where where = ostrel::test::Where::current()) {
  const ostrel::test::CalledFrom trace(where);
  auto image = PeImage::Parse(std::move(bytes));
  EXPECT_TRUE(image.ok()) << image.error();
  return std::move(image).value();
}

TEST(PeImageTest, ReadsStringsOfEveryPositionInTheirBlocks) {
  for (const bool pe64 : {true, false}) {
    SCOPED_TRACE(pe64 ? "PE32+" : "PE32");
    const PeImage image = ParseOk(BuildPe(SampleResources(), pe64).bytes);
    EXPECT_EQ(image.is64(), pe64);
    EXPECT_EQ(Text(image, 96), u"first");
    EXPECT_EQ(Text(image, 97), u"");
    EXPECT_EQ(Text(image, 98), u"Caf\u00E9 \u20AC");
    EXPECT_EQ(Text(image, 415), u"last of block");
    // Absent from an existing block: empty; in an absent block: no answer.
    EXPECT_EQ(Text(image, 99), u"");
    const auto missing = image.StringResource(500);
    EXPECT_FALSE(missing.ok());
    EXPECT_NE(missing.error().find("not found"), std::string::npos) << missing.error();
  }
}

TEST(PeImageTest, FindsNamedResourcesWithoutRegardToCase) {
  const PeImage image = ParseOk(BuildPe(SampleResources()).bytes);
  for (const char16_t* name : {u"Face", u"FACE", u"face"}) {
    const auto dib = image.Bitmap(ResourceKey::Name(name));
    ASSERT_TRUE(dib.ok()) << dib.error();
    EXPECT_EQ(dib->width, 2);
  }
  EXPECT_FALSE(image.Bitmap(ResourceKey::Name(u"Fac")).ok());
  const auto names = image.Names(Id(kRtBitmap));
  ASSERT_TRUE(names.ok());
  EXPECT_EQ(names.value(), (std::vector<ResourceKey>{Id(2003), ResourceKey::Name(u"FACE")}));
}

TEST(PeImageTest, ListsNamesOnlyUpToAMillionCharactersButStillFindsThem) {
  std::vector<TestResource> resources;
  const Bytes pixel = MakeDib(1, 1, 24, {}, [](int, int) { return 0u; });
  for (char16_t i = 0; i < 17; ++i) {
    resources.push_back({Id(kRtBitmap), ResourceKey::Name(std::u16string(62000, u'A' + i)), pixel});
  }
  const PeImage image = ParseOk(BuildPe(resources).bytes);
  const auto names = image.Names(Id(kRtBitmap));
  ASSERT_FALSE(names.ok());
  EXPECT_NE(names.error().find("too long"), std::string::npos) << names.error();
  EXPECT_TRUE(image.Bitmap(ResourceKey::Name(std::u16string(62000, u'q'))).ok());
  EXPECT_FALSE(image.Bitmap(ResourceKey::Name(std::u16string(61999, u'Q'))).ok());
}

TEST(PeImageTest, ReadsTheIconGroupAndItsImage) {
  const PeImage image = ParseOk(BuildPe(SampleResources()).bytes);
  const auto group = image.IconGroup(Id(4001));
  ASSERT_TRUE(group.ok()) << group.error();
  ASSERT_EQ(group->size(), 1u);
  EXPECT_EQ(group->front().id, 1);
  const auto icon = image.Icon(1);
  ASSERT_TRUE(icon.ok()) << icon.error();
  EXPECT_EQ(icon->width, 16);
  EXPECT_EQ(icon->height, 16);  // the stored height covers the colour rows and the mask
  EXPECT_EQ(icon->bitCount, 32);
  EXPECT_FALSE(image.IconGroup(Id(4002)).ok());
}

TEST(PeImageTest, ReadsPngIconImages) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0,  0, 0, 13, 'I', 'H', 'D',
               'R',  0,   0,   1,   0,    0,    0,    0,    48, 8, 6, 0,  0,   0};
  const PeImage image = ParseOk(BuildPe({{Id(kRtIcon), Id(5), png}}).bytes);
  const auto icon = image.Icon(5);
  ASSERT_TRUE(icon.ok()) << icon.error();
  EXPECT_TRUE(icon->png);
  EXPECT_EQ(icon->width, 256);
  EXPECT_EQ(icon->height, 48);
  png[13] = 'X';  // no IHDR
  EXPECT_FALSE(ParseOk(BuildPe({{Id(kRtIcon), Id(5), png}}).bytes).Icon(5).ok());
}

struct DibCase {
  const char* name;
  Bytes dib;
  // Expected colours at (0, 0), (1, 0) and (0, 1).
  RgbQuad at00, at10, at01;
};

TEST(PeImageTest, DecodesEveryDepthAndLayout) {
  const std::vector<RgbQuad> grey = {Rgb(0, 0, 0), Rgb(128, 128, 128), Rgb(192, 192, 192),
                                     Rgb(255, 255, 255)};
  std::vector<RgbQuad> sixteen(16);
  for (int i = 0; i < 16; ++i)
    sixteen[i] = Rgb(static_cast<std::uint8_t>(i * 16), 0, 1);
  const auto index = [](int x, int y) { return static_cast<std::uint32_t>(x + 2 * y); };
  const auto rgb24 = [](int x, int y) {
    return x == 0 && y == 0 ? 0x0000FFu : 0x00FF00u * (x + y);
  };
  const std::vector<DibCase> cases = {
      {"1 bpp",
       MakeDib(9, 2, 1, {Rgb(0, 0, 0), Rgb(255, 255, 255)},
               [](int x, int y) { return x == 1 || y == 1 ? 1u : 0u; }),
       Rgb(0, 0, 0), Rgb(255, 255, 255), Rgb(255, 255, 255)},
      {"4 bpp", MakeDib(3, 2, 4, sixteen, index), sixteen[0], sixteen[1], sixteen[2]},
      {"8 bpp", MakeDib(2, 2, 8, grey, index), grey[0], grey[1], grey[2]},
      {"8 bpp top-down", MakeDib(2, 2, 8, grey, index, true), grey[0], grey[1], grey[2]},
      {"index past the table", MakeDib(2, 2, 8, {Rgb(1, 2, 3)}, index), Rgb(1, 2, 3), {}, {}},
      {"16 bpp 5-5-5",
       MakeDib(2, 2, 16, {}, [](int x, int y) { return x   ? 0x7C00u
                                                       : y ? 0x1Fu
                                                           : 0u; }),
       Rgb(0, 0, 0), Rgb(255, 0, 0), Rgb(0, 0, 255)},
      {"16 bpp 5-6-5 bit fields",
       MakeDib(2, 2, 16, {}, [](int x, int y) { return x   ? 0x07E0u
                                                       : y ? 0xF800u
                                                           : 0u; }, false, 3,
               {0xF800, 0x07E0, 0x001F}),
       Rgb(0, 0, 0), Rgb(0, 255, 0), Rgb(255, 0, 0)},
      {"24 bpp", MakeDib(3, 2, 24, {}, rgb24), Rgb(0, 0, 255), Rgb(0, 255, 0), Rgb(0, 255, 0)},
      {"32 bpp", MakeDib(2, 2, 32, {}, [](int x, int y) { return 0x00123456u + x + 0x100u * y; }),
       Rgb(0x12, 0x34, 0x56), Rgb(0x12, 0x34, 0x57), Rgb(0x12, 0x35, 0x56)},
  };
  for (const DibCase& c : cases) {
    SCOPED_TRACE(c.name);
    const PeImage image = ParseOk(BuildPe({{Id(kRtBitmap), Id(1), c.dib}}).bytes);
    const auto dib = image.Bitmap(Id(1));
    ASSERT_TRUE(dib.ok()) << dib.error();
    EXPECT_EQ(dib->Color(0, 0), c.at00);
    EXPECT_EQ(dib->Color(1, 0), c.at10);
    EXPECT_EQ(dib->Color(0, 1), c.at01);
  }
}

TEST(PeImageTest, ReadsCoreHeaderBitmaps) {
  // BITMAPCOREHEADER, 2x1 at 8 bpp, three-byte colour entries.
  Bytes core = {12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 8, 0};
  for (int i = 0; i < 256; ++i) {
    core.insert(core.end(), {static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i)});
  }
  core.insert(core.end(), {3, 200, 0, 0});
  const auto dib = ParseDib(core);
  ASSERT_TRUE(dib.ok()) << dib.error();
  EXPECT_EQ(dib->Color(0, 0), Rgb(252, 0, 3));
  EXPECT_EQ(dib->Color(1, 0), Rgb(55, 0, 200));
}

struct BadDibCase {
  const char* name;
  std::function<void(Bytes&)> damage;
  const char* message;
};

TEST(PeImageTest, RefusesBitmapsItCannotDecode) {
  const Bytes good = MakeDib(4, 4, 8, {Rgb(1, 1, 1), Rgb(2, 2, 2)}, [](int, int) { return 1u; });
  const std::vector<BadDibCase> cases = {
      {"unknown header size", [](Bytes& d) { PutU32(d, 0, 41); }, "header size"},
      {"odd depth", [](Bytes& d) { PutU16(d, 14, 7); }, "bit depth"},
      {"two planes", [](Bytes& d) { PutU16(d, 12, 2); }, "plane"},
      {"run-length encoded", [](Bytes& d) { PutU32(d, 16, 1); }, "not supported"},
      {"bit fields on 8 bpp", [](Bytes& d) { PutU32(d, 16, 3); }, "bit-field"},
      {"colour table too big", [](Bytes& d) { PutU32(d, 32, 257); }, "colour table"},
      {"negative width", [](Bytes& d) { PutU32(d, 4, 0xFFFFFFFC); }, "width"},
      {"zero height", [](Bytes& d) { PutU32(d, 8, 0); }, "height"},
      {"most negative height", [](Bytes& d) { PutU32(d, 8, 0x80000000); }, "run past"},
      {"huge width", [](Bytes& d) { PutU32(d, 4, 0x7FFFFFFF); }, "run past"},
      {"bits cut short", [](Bytes& d) { d.pop_back(); }, "run past"},
      {"header cut short", [](Bytes& d) { d.resize(30); }, "truncated"},
  };
  ASSERT_TRUE(ParseDib(good).ok());
  for (const BadDibCase& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes dib = good;
    c.damage(dib);
    const auto result = ParseDib(dib);
    ASSERT_FALSE(result.ok());
    EXPECT_NE(result.error().find(c.message), std::string::npos) << result.error();
  }
}

struct DamageCase {
  const char* name;
  std::function<void(BuiltPe&)> damage;
  const char* message;  // expected in the failure of Parse, or else of the string lookup
};

TEST(PeImageTest, DamagedStructuresFailWithAClearMessage) {
  // Resource 0 is the string block of ids 96..111, resource 1 a bitmap.
  const std::vector<DamageCase> cases = {
      {"no MZ", [](BuiltPe& pe) { pe.bytes[0] = 'X'; }, "MZ"},
      {"e_lfanew past the end", [](BuiltPe& pe) { PutU32(pe.bytes, 0x3C, 0xFFFFFFF0); },
       "NT headers offset"},
      {"no PE signature", [](BuiltPe& pe) { pe.bytes[pe.ntHeaders] = 'Q'; }, "PE signature"},
      {"unknown optional magic", [](BuiltPe& pe) { PutU16(pe.bytes, pe.optionalHeader, 0x107); },
       "magic"},
      {"optional header past the end",
       [](BuiltPe& pe) { PutU16(pe.bytes, pe.ntHeaders + 20, 0xFFFF); }, "optional header"},
      {"section table past the end",
       [](BuiltPe& pe) { PutU16(pe.bytes, pe.ntHeaders + 6, 0xFFFF); }, "section table"},
      {"resource RVA in no section",
       [](BuiltPe& pe) { PutU32(pe.bytes, pe.optionalHeader + 112 + 16, 0x900000); },
       "in no section"},
      {"resource directory past its section's data",
       [](BuiltPe& pe) { PutU32(pe.bytes, pe.sectionTable + 16, 0); }, "past its section"},
      {"root claims 65535 entries",
       [](BuiltPe& pe) { PutU16(pe.bytes, pe.resourceOffset + 14, 0xFFFF); }, "claims"},
      {"name directory claims more than the section",
       [](BuiltPe& pe) { PutU16(pe.bytes, pe.nameDirectories[0] + 12, 0xFFFF); }, "claims"},
      {"subdirectory offset outside the section",
       [](BuiltPe& pe) { PutU32(pe.bytes, pe.resourceOffset + 20, 0x8FFFFFF0); }, "outside"},
      {"data RVA outside every section",
       [](BuiltPe& pe) { PutU32(pe.bytes, pe.dataEntries[0], 0x7FFFFFFF); }, "in no section"},
      {"data size past the section",
       [](BuiltPe& pe) { PutU32(pe.bytes, pe.dataEntries[0] + 4, 0xFFFFFFFF); }, "runs past"},
      {"data entry offset outside the section",
       [](BuiltPe& pe) { PutU32(pe.bytes, pe.languageDirectories[0] + 20, 0x7FFFFFF0); },
       "data entry outside"},
      {"language level points back at the root (a loop)",
       [](BuiltPe& pe) { PutU32(pe.bytes, pe.languageDirectories[0] + 20, 0x80000000); },
       "is a directory"},
      {"name level points back at the root (a loop)",
       [](BuiltPe& pe) { PutU32(pe.bytes, pe.nameDirectories[0] + 20, 0x80000000); },
       "language entry"},
      {"type entry is data, not a directory",
       [](BuiltPe& pe) { PutU32(pe.bytes, pe.resourceOffset + 20, 0x00000010); },
       "where a directory belongs"},
      {"string length runs past the block",
       [](BuiltPe& pe) { PutU16(pe.bytes, pe.dataOffsets[0], 0x7FFF); }, "runs past the end"},
      {"string block cut short", [](BuiltPe& pe) { PutU32(pe.bytes, pe.dataEntries[0] + 4, 4); },
       "ends before"},
  };
  for (const DamageCase& c : cases) {
    SCOPED_TRACE(c.name);
    BuiltPe pe =
        BuildPe({{Id(kRtString), Id(7), StringBlock({u"a", u"b", u"c"})},
                 {Id(kRtBitmap), Id(1), MakeDib(1, 1, 24, {}, [](int, int) { return 0u; })}});
    c.damage(pe);
    auto image = PeImage::Parse(pe.bytes);
    std::string message = image.error();
    if (image.ok()) {
      const auto text = image->StringResource(98);
      ASSERT_FALSE(text.ok()) << "gave \"" << Utf16ToUtf8(text.value()) << "\"";
      message = text.error();
    }
    EXPECT_NE(message.find(c.message), std::string::npos) << message;
  }
}

// Asks a file everything the add-in asks; each answer is a failure with a
// message, or a value.
struct Answers {
  std::vector<std::optional<String>> strings;
  std::vector<std::optional<std::vector<std::uint8_t>>> bitmaps;
  std::optional<std::size_t> iconEntries;
  std::optional<std::int32_t> iconWidth;
  bool operator==(const Answers&) const = default;
};

const std::vector<std::uint16_t> kStringIds = {100, 101, 401, 501, 901, 1001, 2011};
const std::vector<std::uint16_t> kBitmapIds = {2003, 3001, 3002, 3003};

Answers Ask(const PeImage& image, ostrel::test::Where where = ostrel::test::Where::current()) {
  const ostrel::test::CalledFrom trace(where);
  Answers answers;
  for (std::uint16_t id : kStringIds) {
    const auto text = image.StringResource(id);
    EXPECT_TRUE(text.ok() || !text.error().empty());
    answers.strings.push_back(text.ok() ? std::optional<String>(text.value()) : std::nullopt);
  }
  for (std::uint16_t id : kBitmapIds) {
    const auto dib = image.Bitmap(ResourceKey::Id(id));
    EXPECT_TRUE(dib.ok() || !dib.error().empty());
    answers.bitmaps.push_back(dib.ok() ? std::optional(dib->bits) : std::nullopt);
  }
  const auto group = image.IconGroup(ResourceKey::Id(4001));
  if (group.ok()) {
    answers.iconEntries = group->size();
    if (!group->empty()) {
      const auto icon = image.Icon(group->front().id);
      if (icon.ok())
        answers.iconWidth = icon->width;
    }
  }
  return answers;
}

class BuiltLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    bytes_ = testing::ReadFileBytes(kAddinDir + "/RES_ENU.DLL");
    auto image = PeImage::Parse(bytes_);
    ASSERT_TRUE(image.ok()) << image.error();
    whole_ = Ask(image.value());
  }
  Bytes bytes_;
  Answers whole_;
};

TEST_F(BuiltLibraryTest, GivesTheStringsBitmapsAndIconTheAddInUses) {
  for (std::size_t i = 0; i < kStringIds.size(); ++i) {
    ASSERT_TRUE(whole_.strings[i].has_value()) << "string " << kStringIds[i];
    EXPECT_FALSE(whole_.strings[i]->empty()) << "string " << kStringIds[i];
  }
  for (std::size_t i = 0; i < kBitmapIds.size(); ++i) {
    EXPECT_TRUE(whole_.bitmaps[i].has_value()) << "bitmap " << kBitmapIds[i];
  }
  ASSERT_TRUE(whole_.iconEntries.has_value());
  EXPECT_GE(*whole_.iconEntries, 1u);
  EXPECT_TRUE(whole_.iconWidth.has_value());
}

// The loader reads a file in 512-byte sectors and refuses an image whose
// sections run past its end (LoadLibraryExA: error 193 under Wine at every
// such cut), so that a truncated library fails to load and the language
// fall-back takes over. A cut within the last sector is taken, the rest of
// the sector read as zeros.
TEST_F(BuiltLibraryTest, TruncatedCopiesAreRefusedAsTheLoaderRefusesThem) {
  ASSERT_EQ(bytes_.size() % 512, 0u) << "the library ends with its last section's data";
  auto whole = PeImage::Parse(bytes_);
  ASSERT_TRUE(whole.ok());
  EXPECT_EQ(whole->ImageLoadProblem(), "");
  // Every length through the headers, then a stride, then every length around
  // the last sector's start.
  std::vector<std::size_t> lengths;
  for (std::size_t length = 0; length < bytes_.size(); length += length < 4096 ? 1 : 97)
    lengths.push_back(length);
  for (std::size_t length = bytes_.size() - 520; length < bytes_.size(); ++length)
    lengths.push_back(length);
  for (const std::size_t length : lengths) {
    SCOPED_TRACE("length " + std::to_string(length));
    auto image = PeImage::Parse(Bytes(bytes_.begin(), bytes_.begin() + static_cast<long>(length)));
    const std::string problem = image.ok() ? image->ImageLoadProblem() : image.error();
    if (length + 512 <= bytes_.size()) {
      EXPECT_FALSE(problem.empty()) << "a cut copy was taken";
    } else {
      // What was cut off reads as zeros, as the loader's last sector does.
      ASSERT_EQ(problem, "");
      Bytes zeroed = bytes_;
      std::fill(zeroed.begin() + static_cast<long>(length), zeroed.end(), 0);
      EXPECT_TRUE(Ask(image.value()) == Ask(PeImage::Parse(zeroed).value()));
    }
    if (::testing::Test::HasFailure())
      break;
  }
}

TEST_F(BuiltLibraryTest, CorruptedCopiesNeverCrash) {
  std::mt19937 random(20240611);
  int parsed = 0;
  for (int round = 0; round < 3000; ++round) {
    Bytes damaged = bytes_;
    const int changes = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < changes; ++i) {
      // Mostly the headers and the directory, where damage changes the walk.
      const std::size_t span =
          random() % 4 == 0 ? damaged.size() : std::min<std::size_t>(damaged.size(), 4096);
      damaged[random() % span] = static_cast<std::uint8_t>(random());
    }
    auto image = PeImage::Parse(std::move(damaged));
    if (!image.ok()) {
      EXPECT_FALSE(image.error().empty());
      continue;
    }
    ++parsed;
    Ask(image.value());
  }
  // Most single-byte damage leaves the headers intact; the walk itself was exercised.
  EXPECT_GT(parsed, 1000);
}

}  // namespace
}  // namespace ostrel::posix

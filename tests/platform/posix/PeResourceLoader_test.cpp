// The resource loader: modules from disk, LoadStringA's buffer rules, resource
// names, the 3-D colour mapping and shared icons.
#include "posix/PeResourceLoader.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "common/Text.h"
#include "platform/posix/PeBuilder.h"
#include "posix/Cp1252.h"
#include "posix/RecordingWindows.h"

namespace ostrel::posix {
namespace {

using testing::BuildPe;
using testing::MakeDib;
using testing::StringBlock;

const std::string kTestDataDir = OSTREL_TEST_DATA_DIR;

RgbQuad Quad(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return {b, g, r, 0};
}

// Four pixels: the three greys the mapping knows, then magenta.
std::vector<RgbQuad> GreyTable() {
  return {Quad(128, 128, 128), Quad(192, 192, 192), Quad(223, 223, 223), Quad(255, 0, 255)};
}
std::uint32_t Column(int x, int) {
  return static_cast<std::uint32_t>(x);
}
std::uint32_t GreyColumn24(int x, int) {
  const std::uint32_t colours[] = {0x808080, 0xC0C0C0, 0xDFDFDF, 0xFF00FF};
  return colours[x];
}

class PeResourceLoaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(::testing::TempDir()) /
              (std::string("pe-loader-") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    const std::u16string longText(1500, u'x');
    std::vector<std::u16string> block(16);
    block[4] = u"Caf\u00E9 \u20AC \u0100";  // id 100: é and € are in Windows-1252, Ā is not
    block[5] = longText;                    // id 101
    block[6] = u"abc";                      // id 102
    testing::WriteFileBytes(
        Path("RES.DLL"),
        BuildPe({
                    {ResourceKey::Id(kRtString), ResourceKey::Id(7), StringBlock(block)},
                    {ResourceKey::Id(kRtBitmap), ResourceKey::Id(2003),
                     MakeDib(4, 1, 8, GreyTable(), Column)},
                    {ResourceKey::Id(kRtBitmap), ResourceKey::Id(2004),
                     MakeDib(4, 1, 24, {}, GreyColumn24)},
                    {ResourceKey::Id(kRtBitmap), ResourceKey::Name(u"Mono"),
                     MakeDib(2, 1, 1, {Quad(255, 255, 255), Quad(0, 0, 0)}, Column)},
                    {ResourceKey::Id(kRtBitmap), ResourceKey::Name(u"TwoColours"),
                     MakeDib(2, 1, 1, {Quad(255, 0, 0), Quad(0, 0, 255)}, Column)},
                    {ResourceKey::Id(kRtIcon), ResourceKey::Id(1), MakeDib(16, 32, 32, {}, Column)},
                    {ResourceKey::Id(kRtIcon), ResourceKey::Id(2),
                     MakeDib(32, 64, 8, std::vector<RgbQuad>(256), Column)},
                    {ResourceKey::Id(kRtIcon), ResourceKey::Id(3), MakeDib(32, 64, 32, {}, Column)},
                    {ResourceKey::Id(kRtIcon), ResourceKey::Id(4), MakeDib(48, 96, 32, {}, Column)},
                    {ResourceKey::Id(kRtGroupIcon), ResourceKey::Id(4001),
                     testing::IconGroup({{16, 16, 0, 1, 32, 0, 1},
                                         {32, 32, 0, 1, 8, 0, 2},
                                         {32, 32, 0, 1, 32, 0, 3},
                                         {48, 48, 0, 1, 32, 0, 4}})},
                })
            .bytes);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::string Path(const std::string& name) const { return (folder_ / name).string(); }
  host::ModuleHandle Load(const std::string& name) {
    return loader_.LoadLibraryEx(Utf8ToUtf16(Path(name)), 0);
  }
  host::ColorRef Pixel(host::BitmapHandle bitmap, int x, int y) {
    return objects_.Bitmap(bitmap)->At(x, y);
  }

  std::filesystem::path folder_;
  GdiObjects objects_;
  PeResourceLoader loader_{objects_};
};

TEST_F(PeResourceLoaderTest, ModulesAreCountedAndFreedHandlesStayInvalid) {
  const host::ModuleHandle module = Load("RES.DLL");
  ASSERT_FALSE(host::IsNone(module)) << loader_.LastError();
  // The same file by a Windows-style path: the same module, one more reference.
  String windowsPath = Utf8ToUtf16(Path("RES.DLL"));
  for (Char& c : windowsPath) {
    if (c == u'/')
      c = u'\\';
  }
  EXPECT_EQ(loader_.LoadLibraryEx(windowsPath, 0), module);
  std::array<char16_t, 8> buffer{};
  EXPECT_TRUE(loader_.FreeLibrary(module));
  EXPECT_EQ(loader_.LoadString(module, 102, buffer.data(), 8), 3);
  EXPECT_TRUE(loader_.FreeLibrary(module));
  EXPECT_FALSE(loader_.FreeLibrary(module));
  EXPECT_EQ(loader_.LoadString(module, 102, buffer.data(), 8), 0);
  EXPECT_TRUE(host::IsNone(loader_.LoadBitmap(module, u"#2003", 0)));
  EXPECT_TRUE(host::IsNone(loader_.LoadIcon(module, 4001)));
  // Loaded again, it is a new module with a new handle.
  const host::ModuleHandle again = Load("RES.DLL");
  EXPECT_NE(again, module);
  EXPECT_FALSE(loader_.FreeLibrary(host::ModuleHandle::None));
}

TEST_F(PeResourceLoaderTest, FilesThatAreNotLibrariesDoNotLoad) {
  testing::WriteFileBytes(Path("TEXT.DLL"), {'h', 'e', 'l', 'l', 'o'});
  testing::Bytes truncated = testing::ReadFileBytes(Path("RES.DLL"));
  truncated.resize(0x90);
  testing::WriteFileBytes(Path("CUT.DLL"), truncated);
  std::filesystem::create_directory(folder_ / "FOLDER.DLL");
  for (const char* name : {"MISSING.DLL", "TEXT.DLL", "CUT.DLL", "FOLDER.DLL"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(host::IsNone(Load(name)));
    EXPECT_FALSE(loader_.LastError().empty());
  }
}

// What the loader refuses when it maps a library as an image, each measured
// with LoadLibraryExA under Wine 8 (error 193), and what a load as an image
// resource or a data file takes all the same.
TEST_F(PeResourceLoaderTest, ImageLoadsRefuseWhatTheLoaderRefuses) {
  using testing::PutU32;
  const auto build = [](bool pe64) {
    std::vector<std::u16string> block(16);
    block[4] = u"text";  // id 100
    return BuildPe({{ResourceKey::Id(kRtString), ResourceKey::Id(7), StringBlock(block)}}, pe64);
  };
  struct Case {
    const char* name;
    std::function<void(testing::BuiltPe&)> damage;
    bool pe64;
    bool image, imageResource, dataFile;  // whether each kind of load takes it
  };
  const Case cases[] = {
      {"whole", [](testing::BuiltPe&) {}, true, true, true, true},
      {"cut by a sector", [](testing::BuiltPe& pe) { pe.bytes.resize(pe.bytes.size() - 512); },
       true, false, false, true},
      {"cut within the last sector",
       [](testing::BuiltPe& pe) { pe.bytes.resize(pe.bytes.size() - 511); }, true, true, true,
       true},
      {"for 32-bit x86", [](testing::BuiltPe&) {}, false, false, false, true},
      {"no SizeOfImage", [](testing::BuiltPe& pe) { PutU32(pe.bytes, pe.optionalHeader + 56, 0); },
       true, false, false, true},
      {"a section past SizeOfImage",
       [](testing::BuiltPe& pe) { PutU32(pe.bytes, pe.optionalHeader + 56, 0x1000); }, true, false,
       false, true},
      {"a section off its page",
       [](testing::BuiltPe& pe) { PutU32(pe.bytes, pe.sectionTable + 12, 0x1100); }, true, false,
       false, true},
      {"section data starting past the end",
       [](testing::BuiltPe& pe) {
         PutU32(pe.bytes, pe.sectionTable + 20, static_cast<std::uint32_t>(pe.bytes.size()));
       },
       true, false, false, true},
      {"sections off their file offsets in a flat image",
       [](testing::BuiltPe& pe) { PutU32(pe.bytes, pe.optionalHeader + 32, 0x200); }, true, false,
       false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testing::BuiltPe pe = build(c.pe64);
    c.damage(pe);
    testing::WriteFileBytes(Path(std::string(c.name) + ".DLL"), pe.bytes);
    const std::pair<std::uint32_t, bool> loads[] = {{0, c.image},
                                                    {kLoadLibraryAsImageResource, c.imageResource},
                                                    {kLoadLibraryAsDatafile, c.dataFile}};
    for (const auto& [flags, taken] : loads) {
      const host::ModuleHandle module =
          loader_.LoadLibraryEx(Utf8ToUtf16(Path(std::string(c.name) + ".DLL")), flags);
      EXPECT_EQ(!host::IsNone(module), taken) << "flags " << flags << ": " << loader_.LastError();
      if (!host::IsNone(module))
        loader_.FreeLibrary(module);
    }
  }
}

TEST_F(PeResourceLoaderTest, LoadStringCutsToTheBufferAndKeepsEveryCharacter) {
  const host::ModuleHandle module = Load("RES.DLL");
  std::array<char16_t, 1100> buffer;
  struct Case {
    std::uint32_t id;
    int capacity;
    int count;
    String text;
  };
  const std::vector<Case> cases = {
      {100, 64, 8, u"Caf\u00E9 \u20AC \u0100"},
      {102, 4, 3, u"abc"},
      {102, 3, 2, u"ab"},
      {102, 1, 0, u""},
      {101, 1024, 1023, String(1023, u'x')},  // as measured on Wine: 1023 and a null
      {103, 64, 0, u""},                      // empty in its block
      {9999, 64, 0, u""},                     // no such block
      {0x10066, 64, 0, u""},                  // beyond 16 bits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    buffer.fill(u'#');
    EXPECT_EQ(loader_.LoadString(module, c.id, buffer.data(), c.capacity), c.count);
    EXPECT_EQ(String(buffer.data()), c.text);
    EXPECT_EQ(buffer[static_cast<std::size_t>(c.capacity)], u'#');  // nothing past the buffer
  }
  EXPECT_EQ(loader_.LoadString(module, 102, buffer.data(), 0), 0);
  EXPECT_EQ(loader_.LoadString(module, 102, nullptr, 8), 0);
}

TEST_F(PeResourceLoaderTest, BitmapNamesFollowFindResource) {
  const host::ModuleHandle module = Load("RES.DLL");
  struct Case {
    const char* name;
    bool found;
  };
  for (const Case& c :
       {Case{"#2003", true}, Case{"#02004", true}, Case{"Mono", true}, Case{"mONO", true},
        Case{"2003", false}, Case{"#", false}, Case{"#0", false}, Case{"#20a3", false},
        Case{"#67539", false}, Case{"#-2003", false}, Case{"", false}, Case{"#9999", false}}) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(!host::IsNone(loader_.LoadBitmap(module, Utf8ToUtf16(c.name), 0)), c.found);
  }
}

TEST_F(PeResourceLoaderTest, MapsTheGreysOfPalettedBitmapsOnly) {
  const host::ModuleHandle module = Load("RES.DLL");
  const host::BitmapHandle plain = loader_.LoadBitmap(module, u"#2003", 0);
  const host::BitmapHandle mapped = loader_.LoadBitmap(module, u"#2003", host::kLrLoadMap3DColors);
  const host::BitmapHandle deep = loader_.LoadBitmap(module, u"#2004", host::kLrLoadMap3DColors);
  const std::array<host::ColorRef, 4> original = {host::Rgb(128, 128, 128),
                                                  host::Rgb(192, 192, 192),
                                                  host::Rgb(223, 223, 223), host::Rgb(255, 0, 255)};
  const std::array<host::ColorRef, 4> system = {host::Rgb(160, 160, 160), host::Rgb(240, 240, 240),
                                                host::Rgb(227, 227, 227), host::Rgb(255, 0, 255)};
  for (int x = 0; x < 4; ++x) {
    SCOPED_TRACE(x);
    EXPECT_EQ(Pixel(plain, x, 0), original[x]);
    EXPECT_EQ(Pixel(mapped, x, 0), system[x]);
    EXPECT_EQ(Pixel(deep, x, 0), original[x]);  // 24 bpp: no colour table, no mapping
  }
  EXPECT_EQ(objects_.Bitmap(mapped)->bitsPerPixel, 32);
}

TEST_F(PeResourceLoaderTest, OnlyBlackAndWhiteDibsBecomeMonochromeBitmaps) {
  const host::ModuleHandle module = Load("RES.DLL");
  const BitmapObject* mono = objects_.Bitmap(loader_.LoadBitmap(module, u"Mono", 0));
  ASSERT_NE(mono, nullptr);
  EXPECT_EQ(mono->bitsPerPixel, 1);
  EXPECT_EQ(mono->At(0, 0), kWhite);  // index 0 is white in this table
  EXPECT_EQ(mono->At(1, 0), kBlack);
  const BitmapObject* colours = objects_.Bitmap(loader_.LoadBitmap(module, u"TwoColours", 0));
  ASSERT_NE(colours, nullptr);
  EXPECT_EQ(colours->bitsPerPixel, 32);
  EXPECT_EQ(colours->At(0, 0), host::Rgb(255, 0, 0));
}

TEST_F(PeResourceLoaderTest, IconsAreSharedAndTheThirtyTwoPixelImageIsChosen) {
  const host::ModuleHandle module = Load("RES.DLL");
  const host::IconHandle icon = loader_.LoadIcon(module, 4001);
  const IconObject* object = objects_.Icon(icon);
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->width, 32);
  EXPECT_EQ(object->bitsPerPixel, 32);  // the deepest of the two 32x32 images
  EXPECT_EQ(loader_.LoadIcon(module, 4001), icon);
  EXPECT_TRUE(host::IsNone(loader_.LoadIcon(module, 4002)));
  EXPECT_TRUE(host::IsNone(loader_.LoadIcon(module, 0)));
  // A freed module's shared icon stays usable by the window that shows it.
  RecordingWindows windows;
  const auto dialog = static_cast<host::WindowHandle>(0x42);
  windows.SendMessage(dialog, host::kWmSetIcon, host::kIconBig, static_cast<std::intptr_t>(icon));
  loader_.FreeLibrary(module);
  EXPECT_EQ(windows.BigIcon(dialog), icon);
  EXPECT_NE(objects_.Icon(icon), nullptr);
}

// The test library's two renderings of one picture: 9101 at 8 bpp holding the
// three greys, 9102 the same at 24 bpp.
TEST(ResTestLibraryTest, MapsTheGreysOfThe8BppBitmapAndNotOfThe24BppOne) {
  GdiObjects objects;
  PeResourceLoader loader(objects);
  const host::ModuleHandle module =
      loader.LoadLibraryEx(Utf8ToUtf16(kTestDataDir + "/RES_TEST.DLL"), 0);
  ASSERT_FALSE(host::IsNone(module)) << loader.LastError();
  const auto load = [&](const char* name, std::uint32_t flags) {
    const BitmapObject* bitmap =
        objects.Bitmap(loader.LoadBitmap(module, Utf8ToUtf16(name), flags));
    EXPECT_NE(bitmap, nullptr) << name;
    return bitmap == nullptr ? BitmapObject{} : *bitmap;
  };
  const BitmapObject paletted = load("#9101", 0);
  const BitmapObject mapped = load("#9101", host::kLrLoadMap3DColors);
  const BitmapObject deep = load("#9102", 0);
  const BitmapObject deepMapped = load("#9102", host::kLrLoadMap3DColors);
  ASSERT_EQ(paletted.pixels, deep.pixels) << "9101 and 9102 are not the same picture";
  EXPECT_EQ(deepMapped.pixels, deep.pixels);

  const std::map<host::ColorRef, host::ColorRef> greys = {
      {host::Rgb(128, 128, 128), host::Rgb(160, 160, 160)},
      {host::Rgb(192, 192, 192), host::Rgb(240, 240, 240)},
      {host::Rgb(223, 223, 223), host::Rgb(227, 227, 227)}};
  std::set<host::ColorRef> seen;
  ASSERT_EQ(mapped.pixels.size(), paletted.pixels.size());
  for (std::size_t i = 0; i < paletted.pixels.size(); ++i) {
    const auto grey = greys.find(paletted.pixels[i]);
    const host::ColorRef expected = grey == greys.end() ? paletted.pixels[i] : grey->second;
    if (grey != greys.end())
      seen.insert(grey->first);
    ASSERT_EQ(mapped.pixels[i], expected) << "pixel " << i;
  }
  EXPECT_EQ(seen.size(), 3u) << "9101 should hold all three greys";
}

}  // namespace
}  // namespace ostrel::posix

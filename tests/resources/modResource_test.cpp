// The resource library as the add-in uses it, against the real Win32 functions
// under Wine and against the stand-ins natively.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "addin/AddInState.h"
#include "common/Text.h"
#include "host/HostError.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "support/Checked.h"
#include "support/FakeUi.h"
#include "support/TestPlatform.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

// A platform whose user language is the fake locale's.
struct Fixture {
  explicit Fixture(std::string abbreviation, String folder = test::AddinFolder())
      : platform(test::MakeTestPlatform()),
        locale(test::FixedLocale::Language(abbreviation)),
        services(WithLocale(platform->services(), locale)),
        state(services, std::move(folder)) {}
  ~Fixture() {
    if (!host::IsNone(state.hResourceLibrary))
      CloseResourceLibrary(state);
  }
  static host::Platform WithLocale(host::Platform& p, host::Locale& l) {
    return test::With(p, {.locale = &l});
  }
  std::unique_ptr<test::TestPlatform> platform;
  test::FixedLocale locale;
  host::Platform services;
  AddInState state;
};

fs::path NativeFolder(const String& folder) {
#ifdef _WIN32
  return fs::path(folder);
#else
  return fs::path(Utf16ToUtf8(folder));
#endif
}

// Copies the built libraries into a folder under the names a case needs.
String FolderWith(const test::TestPlatform& platform, const char* sub,
                  const std::vector<std::pair<const char*, const char*>>& copies) {
  const fs::path dir = platform.TempDir() / sub;
  fs::create_directories(dir);
  for (const auto& [from, to] : copies) {
    fs::copy_file(NativeFolder(test::AddinFolder()) / from, dir / to);
  }
  return platform.SystemPath(dir);
}

// The tests' own library of odd resources, loaded as the add-in's library.
bool OpenTestLibrary(Fixture& f) {
  f.state.hResourceLibrary =
      f.services.resources.LoadLibraryEx(test::TestDataFolder() + u"\\RES_TEST.DLL", 0);
  return !host::IsNone(f.state.hResourceLibrary);
}

// English and German tell themselves apart by the application title's neighbour:
// the "bn" value names its country.
String LoadedBn(Fixture& f) {
  return ResString(f.state, res::kButtonSourceString);
}

TEST(ResourceLibrary, ChoosesTheUsersLanguageThenTwoLettersThenEnglish) {
  struct Case {
    const char* abbreviation;
    std::vector<std::pair<const char*, const char*>> files;
    bool loads;
    const char16_t* bn;
  };
  const Case cases[] = {
      {"DEU", {{"RES_DEU.DLL", "RES_DEU.DLL"}, {"RES_ENU.DLL", "RES_ENU.DLL"}}, true, u"_DE"},
      {"DEU", {{"RES_DEU.DLL", "RES_DE.DLL"}, {"RES_ENU.DLL", "RES_ENU.DLL"}}, true, u"_DE"},
      {"DEU", {{"RES_ENU.DLL", "RES_ENU.DLL"}}, true, u"_US"},
      {"FRA", {{"RES_DEU.DLL", "RES_DEU.DLL"}, {"RES_ENU.DLL", "RES_ENU.DLL"}}, true, u"_US"},
      {"", {{"RES_ENU.DLL", "RES_ENU.DLL"}}, true, u"_US"},
      {"DEU", {}, false, u""},
      {"FRA", {{"RES_DEU.DLL", "RES_DEU.DLL"}}, false, u""},
  };
  int n = 0;
  for (const Case& c : cases) {
    auto probe = test::MakeTestPlatform();
    const String folder = FolderWith(*probe, ("case" + std::to_string(n++)).c_str(), c.files);
    Fixture f(c.abbreviation, folder);
    SCOPED_TRACE(std::string(c.abbreviation) + " case " + std::to_string(n - 1));
    EXPECT_EQ(OpenResourceLibrary(f.state), c.loads);
    EXPECT_EQ(!host::IsNone(f.state.hResourceLibrary), c.loads);
    const String bn = LoadedBn(f);
    if (c.loads) {
      EXPECT_NE(bn.find(c.bn), String::npos) << Utf16ToUtf8(bn);
    } else {
      EXPECT_EQ(bn, u"");
    }
  }
}

// A damaged library of the user's language is refused as the loader refuses
// it, and the language fall-back goes on to the intact English one. The loader
// reads whole 512-byte sectors: a cut within the last sector is taken.
TEST(ResourceLibrary, ATruncatedLanguageLibraryFallsBackToEnglish) {
  auto probe = test::MakeTestPlatform();
  std::ifstream in(NativeFolder(test::AddinFolder()) / "RES_DEU.DLL", std::ios::binary);
  const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(whole.size() % 512, 0u);
  struct Case {
    const char* name;
    std::size_t length;
    const char16_t* bn;
  };
  const Case cases[] = {
      {"whole", whole.size(), u"_DE"},
      {"cut by one sector", whole.size() - 512, u"_US"},
      {"cut in half", whole.size() / 2, u"_US"},
      {"cut after 4 KB", 4096, u"_US"},
      {"cut after the headers", 1024, u"_US"},
      {"cut within the last sector", whole.size() - 1, u"_DE"},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const String folder =
        FolderWith(*probe, ("cut" + std::to_string(n++)).c_str(), {{"RES_ENU.DLL", "RES_ENU.DLL"}});
    std::ofstream(NativeFolder(folder) / "RES_DEU.DLL", std::ios::binary)
        << whole.substr(0, c.length);
    Fixture f("DEU", folder);
    ASSERT_TRUE(OpenResourceLibrary(f.state));
    EXPECT_NE(LoadedBn(f).find(c.bn), String::npos) << Utf16ToUtf8(LoadedBn(f));
  }
}

TEST(ResourceLibrary, TheBuiltFolderSpeaksGermanToEveryGermanSpeakingRegion) {
  const struct {
    const char* abbreviation;
    const char16_t* bn;
  } cases[] = {
      {"DEU", u"_DE"}, {"DEA", u"_DE"}, {"DES", u"_DE"}, {"DEL", u"_DE"},
      {"ENU", u"_US"}, {"ENG", u"_US"}, {"FRA", u"_US"},
  };
  for (const auto& c : cases) {
    Fixture f(c.abbreviation);
    ASSERT_TRUE(OpenResourceLibrary(f.state)) << c.abbreviation;
    const String bn = LoadedBn(f);
    EXPECT_NE(bn.find(c.bn), String::npos) << c.abbreviation << ": " << Utf16ToUtf8(bn);
  }
}

TEST(ResourceLibrary, StringsAreCutAt1023CharactersAndKeepEveryCharacter) {
  Fixture f("ENU");
  ASSERT_TRUE(OpenTestLibrary(f));
  const String exact = ResString(f.state, 9001);
  EXPECT_EQ(exact.size(), 1023u);
  EXPECT_EQ(exact.substr(1014), u"ABCDEFGHI");
  const String longer = ResString(f.state, 9002);
  EXPECT_EQ(longer, exact) << "a 1500-character string comes back cut to its first 1023";

  EXPECT_EQ(ResString(f.state, 9003), u"Gr\u00fc\u00dfe, caf\u00e9, na\u00efve \u2014 5 \u20ac");
  EXPECT_EQ(ResString(f.state, 9004), u"\u00c4rger \u4e2d ok")
      << "a character the code page lacks is kept too";
}

TEST(ResourceLibrary, MissingResourcesGiveEmptyResults) {
  Fixture f("ENU");
  ASSERT_TRUE(OpenResourceLibrary(f.state));
  EXPECT_EQ(ResString(f.state, 4242), u"");
  EXPECT_EQ(ResString(f.state, -1), u"");
  EXPECT_EQ(ResBitmap(f.state, u"4242"), host::BitmapHandle::None);
  EXPECT_EQ(ResBitmap(f.state, u"FACE"), host::BitmapHandle::None) << "\"#FACE\" is no name";

  ui::Dialog dialog(u"frmTest");
  SetFormIcon(f.state, dialog, 4242);  // nothing to do, nothing to fail
  EXPECT_EQ(dialog.icon, host::IconHandle::None);
  EXPECT_FALSE(ResString(f.state, res::kAppTitle).empty());
}

// Records the names the add-in asks the loader for, then asks the real one.
class RecordingLoader final : public host::ResourceLoader {
 public:
  explicit RecordingLoader(host::ResourceLoader& real) : real_(real) {}
  host::ModuleHandle LoadLibraryEx(const String& path, std::uint32_t flags) override {
    return real_.LoadLibraryEx(path, flags);
  }
  bool FreeLibrary(host::ModuleHandle module) override { return real_.FreeLibrary(module); }
  int LoadString(host::ModuleHandle module, std::uint32_t id, char16_t* buffer,
                 int capacity) override {
    return real_.LoadString(module, id, buffer, capacity);
  }
  host::BitmapHandle LoadBitmap(host::ModuleHandle module, const String& name,
                                std::uint32_t flags) override {
    names.push_back(name);
    lastFlags = flags;
    return real_.LoadBitmap(module, name, flags);
  }
  host::IconHandle LoadIcon(host::ModuleHandle module, std::uint32_t id) override {
    return real_.LoadIcon(module, id);
  }
  std::vector<String> names;
  std::uint32_t lastFlags = 0;

 private:
  host::ResourceLoader& real_;
};

TEST(ResourceLibrary, BitmapsAreAskedForByHashAndNumberWithThe3DColourMapping) {
  Fixture f("ENU");
  RecordingLoader loader(f.services.resources);
  host::Platform recording = test::With(f.services, {.resources = &loader});
  AddInState state(recording, test::AddinFolder());
  ASSERT_TRUE(OpenResourceLibrary(state));
  const host::BitmapHandle face = ResBitmap(state, u"2003");
  ASSERT_NE(face, host::BitmapHandle::None);
  EXPECT_EQ(loader.names, std::vector<String>{u"#2003"});
  EXPECT_EQ(loader.lastFlags, host::kLrLoadMap3DColors);
  host::BitmapRecord record{};
  ASSERT_TRUE(recording.gdi.GetBitmapRecord(face, &record));
  EXPECT_EQ(record.width, 16);
  EXPECT_EQ(record.height, 16);
  recording.gdi.DeleteBitmap(face);
  CloseResourceLibrary(state);
}

TEST(ResourceLibrary, NothingIsReadAfterTheLibraryIsClosed) {
  Fixture f("ENU");
  ASSERT_TRUE(OpenResourceLibrary(f.state));
  ASSERT_FALSE(ResString(f.state, res::kAppTitle).empty());
  EXPECT_TRUE(CloseResourceLibrary(f.state));
  EXPECT_EQ(f.state.hResourceLibrary, host::ModuleHandle::None);
  EXPECT_EQ(ResString(f.state, res::kAppTitle), u"");
  EXPECT_EQ(ResBitmap(f.state, u"2003"), host::BitmapHandle::None);
  EXPECT_FALSE(CloseResourceLibrary(f.state)) << "nothing left to free";
}

TEST(ResourceLibrary, DamagedLibraryFilesAreRefusedCleanly) {
  auto probe = test::MakeTestPlatform();
  const fs::path dir = probe->TempDir() / "damaged";
  fs::create_directories(dir);
  std::ifstream in(NativeFolder(test::AddinFolder()) / "RES_ENU.DLL", std::ios::binary);
  const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GT(whole.size(), 512u);

  struct Case {
    const char* name;
    std::string bytes;
  };
  std::string noSignature = whole;
  noSignature[0] = 'X';
  const Case cases[] = {
      {"empty", std::string()},
      {"text", std::string("this is not a library\r\n")},
      {"header only", whole.substr(0, 64)},
      {"truncated", whole.substr(0, 300)},
      {"no MZ", noSignature},
  };
  for (const Case& c : cases) {
    std::ofstream(dir / "RES_ENU.DLL", std::ios::binary | std::ios::trunc) << c.bytes;
    Fixture f("ENU", probe->SystemPath(dir));
    EXPECT_FALSE(OpenResourceLibrary(f.state)) << c.name;
    EXPECT_EQ(ResString(f.state, res::kAppTitle), u"") << c.name;
  }
}

// Reads a bitmap's pixels as 0x00RRGGBB, top row first.
std::vector<std::uint32_t> Pixels(host::Platform& p, host::BitmapHandle bitmap, int w, int h,
                                  test::Where where = test::Where::current()) {
  const test::CalledFrom trace(where);
  std::vector<std::uint8_t> info(sizeof(host::BitmapInfoHeader) + 1024, 0);
  host::BitmapInfoHeader header{};
  header.biSize = sizeof header;
  header.biWidth = w;
  header.biHeight = -h;  // top-down
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = host::kBiRgb;
  std::memcpy(info.data(), &header, sizeof header);
  std::vector<std::uint32_t> bits(static_cast<std::size_t>(w * h), 0xDEADBEEF);
  const host::DeviceContext screen = p.gdi.GetDC(host::WindowHandle::None);
  EXPECT_EQ(p.gdi.GetDIBits(screen, bitmap, 0, static_cast<std::uint32_t>(h), bits.data(),
                            info.data(), host::kDibRgbColors),
            h);
  p.gdi.ReleaseDC(host::WindowHandle::None, screen);
  for (auto& px : bits)
    px &= 0xFFFFFF;
  return bits;
}

TEST(FaceMask, IsWhiteExactlyWhereTheTransparentColourIs) {
  Fixture f("ENU");
  ASSERT_TRUE(OpenTestLibrary(f));
  const host::BitmapHandle face = ResBitmap(f.state, u"9103");
  ASSERT_NE(face, host::BitmapHandle::None);
  const std::vector<std::uint32_t> colours = Pixels(f.services, face, 16, 16);

  const host::DeviceContext screen = f.services.gdi.GetDC(host::WindowHandle::None);
  const host::PaletteHandle palette = f.services.gdi.CreateHalftonePalette(screen);
  const host::BitmapHandle mask =
      MakeFaceMask(f.services, face, host::Rgb(255, 0, 255), screen, palette);
  ASSERT_NE(mask, host::BitmapHandle::None);
  const std::vector<std::uint32_t> maskPixels = Pixels(f.services, mask, 16, 16);
  int white = 0;
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const std::size_t i = static_cast<std::size_t>(y * 16 + x);
      const bool magenta = colours[i] == 0xFF00FF;
      EXPECT_EQ(maskPixels[i], magenta ? 0xFFFFFFu : 0u) << "at " << x << "," << y;
      white += magenta;
    }
  }
  EXPECT_EQ(white, 4 + 16 - 2 + 1) << "corners, the diagonal (two corners on it) and (12,3)";
  f.services.gdi.DeleteBitmap(mask);
  f.services.gdi.DeletePalette(palette);
  f.services.gdi.ReleaseDC(host::WindowHandle::None, screen);
  f.services.gdi.DeleteBitmap(face);
}

TEST(FaceMask, IsRefusedForABitmapTooWideAndForNoBitmap) {
  Fixture f("ENU");
  ASSERT_TRUE(OpenTestLibrary(f));
  const host::BitmapHandle wide = ResBitmap(f.state, u"9104");
  ASSERT_NE(wide, host::BitmapHandle::None);
  const host::DeviceContext screen = f.services.gdi.GetDC(host::WindowHandle::None);
  EXPECT_EQ(MakeFaceMask(f.services, wide, 0, screen, host::PaletteHandle::None),
            host::BitmapHandle::None);
  EXPECT_EQ(
      MakeFaceMask(f.services, host::BitmapHandle::None, 0, screen, host::PaletteHandle::None),
      host::BitmapHandle::None);
  f.services.gdi.ReleaseDC(host::WindowHandle::None, screen);
  f.services.gdi.DeleteBitmap(wide);
}

TEST(FaceOnClipboard, HoldsTheDibItsCopyAndTheMask) {
  Fixture f("ENU");
  ASSERT_TRUE(OpenTestLibrary(f));
  host::PicturePtr picture = BitmapToPicture(f.services, ResBitmap(f.state, u"9103"));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->Type(), host::kPicTypeBitmap);

  host::Clipboard& clipboard = f.services.clipboard;
  clipboard.Clear();
  CopyFaceToClipboard(f.services, picture.get(), 0xFF00FF);

  ASSERT_TRUE(clipboard.Open(host::WindowHandle::None));
  const auto dib = clipboard.GetData(host::kCfDib);
  const auto face = clipboard.GetData(clipboard.RegisterFormat("Toolbar Button Face"));
  const auto mask = clipboard.GetData(clipboard.RegisterFormat("Toolbar Button Mask"));
  clipboard.Close();
  ASSERT_TRUE(dib && face && mask);
  ASSERT_GE(face->size(), dib->size());
  EXPECT_TRUE(std::equal(dib->begin(), dib->end(), face->begin())) << "a byte copy of CF_DIB";

  host::BitmapInfoHeader header{};
  ASSERT_GE(mask->size(), sizeof header);
  std::memcpy(&header, mask->data(), sizeof header);
  EXPECT_EQ(header.biSize, 40u);
  EXPECT_EQ(header.biWidth, 16);
  EXPECT_EQ(header.biHeight, 16);
  EXPECT_EQ(header.biBitCount, 1);
  EXPECT_EQ(header.biSizeImage, 64u) << "16 rows of 4 bytes";
  EXPECT_GE(mask->size(), header.biSizeImage + 50) << "allocated 50 bytes beyond the rows";
  // Colour entries black and white, then bottom-up rows: the bottom row has
  // magenta at both corners and on the diagonal at x = 15.
  const std::uint8_t* colours = mask->data() + 40;
  EXPECT_EQ(colours[0] | colours[1] | colours[2], 0);
  EXPECT_EQ(colours[4] & colours[5] & colours[6], 0xFF);
  const std::uint8_t* bottom = mask->data() + 48;
  EXPECT_EQ(bottom[0], 0x80);
  EXPECT_EQ(bottom[1], 0x01);
  clipboard.Clear();
}

TEST(FaceOnClipboard, AnUnusablePictureRaisesError481) {
  Fixture f("ENU");
  try {
    CopyFaceToClipboard(f.services, nullptr, 0xFF00FF);
    ADD_FAILURE() << "no error raised";
  } catch (const host::HostError& error) {
    EXPECT_EQ(error.Number(), kErrorInvalidPicture);
  }
}

}  // namespace
}  // namespace ostrel

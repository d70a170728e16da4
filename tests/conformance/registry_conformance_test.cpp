// How the settings store behaves, checked the same way against the Linux hive
// store and, under Wine, against the Windows registry: both must agree.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "settings/modRegistry.h"
#include "support/Checked.h"
#include "support/TestPlatform.h"

namespace ostrel {
namespace {

using host::RegKey;
using host::RegRoot;

constexpr RegRoot kUser = RegRoot::CurrentUser;

class RegistryConformance : public testing::Test {
 protected:
  void SetUp() override { platform_ = test::MakeTestPlatform(); }

  host::Platform& services() { return platform_->services(); }
  host::Registry& registry() { return services().registry; }
  String Scratch(const char* sub = "") const {
    String path = services_ansi().FromAnsi(platform_->ScratchKey());
    if (*sub != '\0')
      path += u"\\" + services_ansi().FromAnsi(sub);
    return path;
  }
  const host::AnsiCodePage& services_ansi() const { return platform_->services().ansi; }

  // Stores raw bytes under the scratch key, as another tool would.
  void StoreRaw(const char* name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
    RegKey key = RegKey::None;
    ASSERT_EQ(registry().CreateKey(kUser, platform_->ScratchKey(), &key), host::kErrorSuccess);
    ASSERT_EQ(
        registry().SetValue(key, name, type, data.data(), static_cast<std::uint32_t>(data.size())),
        host::kErrorSuccess);
    registry().CloseKey(key);
  }

  // The stored type and bytes, read through the narrow interface.
  struct Raw {
    long status = -99;
    std::uint32_t type = 0xDEAD;
    std::vector<std::uint8_t> data;
  };
  Raw ReadRaw(const char* name) {
    Raw raw;
    RegKey key = RegKey::None;
    raw.status = registry().OpenKey(kUser, platform_->ScratchKey(), &key);
    if (raw.status != host::kErrorSuccess)
      return raw;
    std::uint32_t size = 0;
    raw.status = registry().QueryValue(key, name, &raw.type, nullptr, &size);
    if (raw.status == host::kErrorSuccess) {
      raw.data.assign(size + 8, 0xCC);  // poisoned beyond what the value may fill
      std::uint32_t read = static_cast<std::uint32_t>(raw.data.size());
      raw.status = registry().QueryValue(key, name, &raw.type, raw.data.data(), &read);
      raw.data.resize(read);
    }
    registry().CloseKey(key);
    return raw;
  }

  bool KeyExists(const String& path, test::Where where = test::Where::current()) {
    const test::CalledFrom trace(where);
    RegKey key = static_cast<RegKey>(0x1234);  // poisoned: must come back as None on failure
    const long status = registry().OpenKey(kUser, services_ansi().ToAnsi(path), &key);
    if (status == host::kErrorSuccess) {
      registry().CloseKey(key);
      return true;
    }
    EXPECT_EQ(key, RegKey::None) << "a failed open must leave no handle";
    return false;
  }

  RegValue Read(const char* name) { return ReadRegValue(services(), kUser, Scratch(), Text(name)); }
  bool Write(const char* name, const RegValue& value, std::uint32_t type) {
    return WriteRegValue(services(), kUser, Scratch(), Text(name), value, type);
  }
  static String Text(const char* ascii) {
    return String(ascii, ascii + std::char_traits<char>::length(ascii));
  }

  std::unique_ptr<test::TestPlatform> platform_;
};

std::vector<std::uint8_t> Bytes(const std::string& text) {
  return std::vector<std::uint8_t>(text.begin(), text.end());
}

// A text's bytes as stored: with the terminating NUL REG_SZ data must have.
std::vector<std::uint8_t> Stored(const std::string& text) {
  std::vector<std::uint8_t> bytes = Bytes(text);
  bytes.push_back(0);
  return bytes;
}

TEST_F(RegistryConformance, TextIsStoredAsItsBytesWithATerminatingNul) {
  ASSERT_TRUE(Write("Subject", RegValue::Text(u"abc"), host::kRegSz));
  const Raw raw = ReadRaw("Subject");
  ASSERT_EQ(raw.status, host::kErrorSuccess);
  EXPECT_EQ(raw.type, host::kRegSz);
  EXPECT_EQ(raw.data, Stored("abc")) << "an export or backup keeps the last character";
  EXPECT_EQ(Read("Subject"), RegValue::Text(u"abc"));
}

TEST_F(RegistryConformance, OneTrailingNulIsDroppedOnReading) {
  struct Case {
    const char* name;
    std::string stored;
    String expected;
  };
  const Case cases[] = {
      {"NoNul", std::string("abc"), u"abc"},
      {"OneNul", std::string("abc\0", 4), u"abc"},
      {"TwoNuls", std::string("abc\0\0", 5), String(u"abc\0", 4)},
      {"OnlyNul", std::string("\0", 1), u""},
  };
  for (const Case& c : cases) {
    CHECKED(StoreRaw(c.name, host::kRegSz, Bytes(c.stored)));
    EXPECT_EQ(Read(c.name), RegValue::Text(c.expected)) << c.name;
  }
}

TEST_F(RegistryConformance, EmptyTextReadsAsEmptyTextNotNone) {
  ASSERT_TRUE(Write("Empty", RegValue::Text(u""), host::kRegSz));
  EXPECT_EQ(ReadRaw("Empty").data, Stored(""));
  const RegValue value = Read("Empty");
  EXPECT_TRUE(value.IsText());
  EXPECT_EQ(value.AsText(), u"");
}

TEST_F(RegistryConformance, NumbersRoundTripAsLittleEndianDwords) {
  struct Case {
    std::int32_t number;
    std::vector<std::uint8_t> bytes;
    String text;
  };
  const Case cases[] = {
      {1, {1, 0, 0, 0}, u"1"},
      {-1, {0xFF, 0xFF, 0xFF, 0xFF}, u"-1"},
      {0x01020304, {4, 3, 2, 1}, u"16909060"},
      {INT32_MIN, {0, 0, 0, 0x80}, u"-2147483648"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(Write("Button", RegValue::Number(c.number), host::kRegDword));
    const Raw raw = ReadRaw("Button");
    EXPECT_EQ(raw.type, host::kRegDword);
    EXPECT_EQ(raw.data, c.bytes);
    const RegValue value = Read("Button");
    EXPECT_EQ(value, RegValue::Number(c.number));
    EXPECT_EQ(value.AsText(), c.text);
  }
}

TEST_F(RegistryConformance, ADwordAskedForTextStoresTheNumberOrNothing) {
  ASSERT_TRUE(Write("Currency", RegValue::Text(u" 12 "), host::kRegDword));
  EXPECT_EQ(Read("Currency"), RegValue::Number(12));
  EXPECT_FALSE(Write("Currency", RegValue::Text(u"twelve"), host::kRegDword));
  EXPECT_EQ(Read("Currency"), RegValue::Number(12)) << "a refused write keeps the old value";
}

TEST_F(RegistryConformance, OtherValueTypesReadAsNone) {
  const std::vector<std::uint8_t> wideAbc = {'a', 0, 'b', 0, 'c', 0, 0, 0};
  CHECKED(StoreRaw("Expand", host::kRegExpandSz, Bytes(std::string("%TEMP%\0", 7))));
  CHECKED(StoreRaw("Binary", host::kRegBinary, {1, 2, 3}));
  CHECKED(StoreRaw("Multi", host::kRegMultiSz, Bytes(std::string("a\0b\0\0", 5))));
  CHECKED(StoreRaw("Qword", host::kRegQword, {1, 0, 0, 0, 0, 0, 0, 0}));
  for (const char* name : {"Expand", "Binary", "Multi", "Qword"}) {
    EXPECT_TRUE(Read(name).IsNone()) << name;
  }
  // The lower read reports -1 and leaves the caller's value as it was.
  RegKey key = RegKey::None;
  ASSERT_EQ(registry().OpenKey(kUser, platform_->ScratchKey(), &key), host::kErrorSuccess);
  RegValue untouched = RegValue::Text(u"keep");
  EXPECT_EQ(QueryRegValue(services(), key, u"Binary", untouched), -1);
  EXPECT_EQ(untouched, RegValue::Text(u"keep"));
  registry().CloseKey(key);
}

TEST_F(RegistryConformance, ReadingAMissingKeyGivesNoneAndCreatesNothing) {
  const String missing = Scratch("Missing\\Deeper");
  EXPECT_TRUE(ReadRegValue(services(), kUser, missing, u"Anything").IsNone());
  EXPECT_FALSE(KeyExists(missing));
  EXPECT_FALSE(KeyExists(Scratch("Missing")));
  EXPECT_FALSE(KeyExists(Scratch()));

  ASSERT_TRUE(Write("Present", RegValue::Text(u"x"), host::kRegSz));
  EXPECT_TRUE(Read("Absent").IsNone()) << "a missing value in an existing key";
}

TEST_F(RegistryConformance, WritingCreatesEveryMissingKeyOnThePath) {
  const String deep = Scratch("Product\\Buttons\\5");
  ASSERT_TRUE(WriteRegValue(services(), kUser, deep, u"Src", RegValue::Text(u"s"), host::kRegSz));
  EXPECT_TRUE(KeyExists(Scratch("Product")));
  EXPECT_TRUE(KeyExists(Scratch("Product\\Buttons")));
  EXPECT_EQ(ReadRegValue(services(), kUser, deep, u"Src"), RegValue::Text(u"s"));
}

TEST_F(RegistryConformance, OneLeadingBackslashIsDroppedOnWritingOnly) {
  ASSERT_TRUE(WriteRegValue(services(), kUser, u"\\" + Scratch(), u"QuarroID",
                            RegValue::Text(u"x@y.z"), host::kRegSz));
  EXPECT_EQ(Read("QuarroID"), RegValue::Text(u"x@y.z"));
  // Reading does not drop it, and the registry refuses such a path.
  EXPECT_TRUE(ReadRegValue(services(), kUser, u"\\" + Scratch(), u"QuarroID").IsNone());
}

TEST_F(RegistryConformance, AnEmptyPathWritesNothing) {
  EXPECT_FALSE(WriteRegValue(services(), kUser, u"", u"OstrelConformanceProbe",
                             RegValue::Text(u"x"), host::kRegSz));
  EXPECT_TRUE(ReadRegValue(services(), kUser, u"", u"OstrelConformanceProbe").IsNone());
}

TEST_F(RegistryConformance, KeyAndValueNamesIgnoreCase) {
  ASSERT_TRUE(Write("SkipWelcome", RegValue::Number(1), host::kRegDword));
  String upper = Scratch();
  for (Char& c : upper) {
    if (c >= u'a' && c <= u'z')
      c = static_cast<Char>(c - u'a' + u'A');
  }
  EXPECT_EQ(ReadRegValue(services(), kUser, upper, u"SKIPWELCOME"), RegValue::Number(1));
  ASSERT_TRUE(WriteRegValue(services(), kUser, upper, u"skipwelcome", RegValue::Number(0),
                            host::kRegDword));
  EXPECT_EQ(Read("SkipWelcome"), RegValue::Number(0)) << "the same value, overwritten";
}

TEST_F(RegistryConformance, AWriteReplacesTheValueAndItsType) {
  ASSERT_TRUE(Write("Amount", RegValue::Text(u"25.00"), host::kRegSz));
  ASSERT_TRUE(Write("Amount", RegValue::Number(25), host::kRegDword));
  EXPECT_EQ(Read("Amount"), RegValue::Number(25));
  ASSERT_TRUE(Write("Amount", RegValue::Number(7), host::kRegSz));
  EXPECT_EQ(Read("Amount"), RegValue::Text(u"7")) << "a number written as text";
}

TEST_F(RegistryConformance, TextPassesThroughTheAnsiCodePage) {
  ASSERT_TRUE(Write("Latin", RegValue::Text(u"Gr\u00fc\u00dfe \u20ac5"), host::kRegSz));
  EXPECT_EQ(ReadRaw("Latin").data, Stored("Gr\xFC\xDF"
                                          "e \x80"
                                          "5"));
  EXPECT_EQ(Read("Latin"), RegValue::Text(u"Gr\u00fc\u00dfe \u20ac5"));

  ASSERT_TRUE(Write("Foreign", RegValue::Text(u"\u4e2d"), host::kRegSz));
  EXPECT_EQ(Read("Foreign"), RegValue::Text(u"?")) << "a character the code page lacks";
}

TEST_F(RegistryConformance, LongTextRoundTrips) {
  String text;
  for (int i = 0; i < 5000; ++i)
    text.push_back(static_cast<Char>(u'a' + i % 26));
  ASSERT_TRUE(Write("Description", RegValue::Text(text), host::kRegSz));
  EXPECT_EQ(Read("Description"), RegValue::Text(text));
}

TEST_F(RegistryConformance, OtherTypesAreNotWrittenButReportSuccess) {
  EXPECT_TRUE(Write("Odd", RegValue::Text(u"x"), host::kRegBinary));
  EXPECT_EQ(ReadRaw("Odd").status, host::kErrorFileNotFound);
}

TEST_F(RegistryConformance, LowerReadReportsSizesLikeRegQueryValueExA) {
  CHECKED(StoreRaw("Sized", host::kRegSz, Bytes("hello")));
  RegKey key = RegKey::None;
  ASSERT_EQ(registry().OpenKey(kUser, platform_->ScratchKey(), &key), host::kErrorSuccess);

  std::uint32_t type = 0xDEAD;
  std::uint8_t small[2] = {0xCC, 0xCC};
  std::uint32_t size = sizeof small;
  EXPECT_EQ(registry().QueryValue(key, "Sized", &type, small, &size), host::kErrorMoreData);
  EXPECT_EQ(size, 5u);
  EXPECT_EQ(type, host::kRegSz);

  size = 0;
  EXPECT_EQ(registry().QueryValue(key, "Missing", nullptr, nullptr, &size),
            host::kErrorFileNotFound);
  registry().CloseKey(key);

  size = 0;
  EXPECT_EQ(registry().QueryValue(RegKey::None, "Sized", nullptr, nullptr, &size),
            host::kErrorInvalidHandle);
}

TEST_F(RegistryConformance, DeletingAValueRemovesThatValueAlone) {
  ASSERT_TRUE(Write("Subject", RegValue::Text(u"s"), host::kRegSz));
  ASSERT_TRUE(Write("Button", RegValue::Number(2), host::kRegDword));
  ASSERT_TRUE(Write("", RegValue::Text(u"default"), host::kRegSz));
  ASSERT_TRUE(WriteRegValue(services(), kUser, Scratch("Sibling"), u"Subject",
                            RegValue::Text(u"kept"), host::kRegSz));

  const char* const names[] = {"Subject", "Button", ""};
  struct Step {
    const char* remove;
    long status;
    std::vector<bool> present;  // of names, after the step
  };
  const Step steps[] = {
      {"Absent", host::kErrorFileNotFound, {true, true, true}},
      {"sUBJECT", host::kErrorSuccess, {false, true, true}},
      {"Subject", host::kErrorFileNotFound, {false, true, true}},
      {"", host::kErrorSuccess, {false, true, false}},
      {"", host::kErrorFileNotFound, {false, true, false}},
      {"BUTTON", host::kErrorSuccess, {false, false, false}},
  };
  RegKey key = RegKey::None;
  ASSERT_EQ(registry().OpenKey(kUser, platform_->ScratchKey(), &key), host::kErrorSuccess);
  for (const Step& step : steps) {
    SCOPED_TRACE(std::string("deleting \"") + step.remove + "\"");
    EXPECT_EQ(registry().DeleteValue(key, step.remove), step.status);
    for (std::size_t i = 0; i < std::size(names); ++i) {
      EXPECT_EQ(ReadRaw(names[i]).status == host::kErrorSuccess, step.present[i]) << names[i];
    }
  }
  registry().CloseKey(key);
  EXPECT_TRUE(KeyExists(Scratch())) << "the key outlives its last value";
  EXPECT_EQ(ReadRegValue(services(), kUser, Scratch("Sibling"), u"Subject"),
            RegValue::Text(u"kept"));
  EXPECT_EQ(registry().DeleteValue(RegKey::None, "Subject"), host::kErrorInvalidHandle);
}

TEST_F(RegistryConformance, DeletingATreeRemovesTheKeyItsValuesAndEveryKeyBelow) {
  struct Stored {
    const char* key;
    bool gone;  // after deleting "Tree"
  };
  const Stored stored[] = {
      {"Tree", true},     {"Tree\\A", true},      {"Tree\\A\\B", true}, {"Tree\\C", true},
      {"Treetop", false}, {"Other\\Tree", false}, {"", false},
  };
  for (const Stored& s : stored) {
    ASSERT_TRUE(
        WriteRegValue(services(), kUser, Scratch(s.key), u"", RegValue::Text(u"d"), host::kRegSz));
    ASSERT_TRUE(WriteRegValue(services(), kUser, Scratch(s.key), u"Name", RegValue::Number(1),
                              host::kRegDword));
  }
  RegKey inside = RegKey::None;
  ASSERT_EQ(registry().OpenKey(kUser, services_ansi().ToAnsi(Scratch("Tree\\A")), &inside),
            host::kErrorSuccess);

  String upper = Scratch("TREE");  // names ignore case here too
  EXPECT_EQ(registry().DeleteTree(kUser, services_ansi().ToAnsi(upper)), host::kErrorSuccess);
  for (const Stored& s : stored) {
    EXPECT_EQ(KeyExists(Scratch(s.key)), !s.gone) << s.key;
    if (!s.gone) {
      EXPECT_EQ(ReadRegValue(services(), kUser, Scratch(s.key), u"Name"), RegValue::Number(1))
          << s.key;
    }
  }

  // A handle opened inside the tree now refers to a deleted key, and writing
  // through it does not bring the key back.
  std::uint32_t size = 0;
  EXPECT_EQ(registry().QueryValue(inside, "Name", nullptr, nullptr, &size), host::kErrorKeyDeleted);
  const std::uint8_t byte = 'x';
  EXPECT_EQ(registry().SetValue(inside, "Name", host::kRegSz, &byte, 1), host::kErrorKeyDeleted);
  EXPECT_EQ(registry().DeleteValue(inside, "Name"), host::kErrorKeyDeleted);
  registry().CloseKey(inside);
  EXPECT_FALSE(KeyExists(Scratch("Tree\\A")));

  // Created again, the key starts empty.
  ASSERT_TRUE(WriteRegValue(services(), kUser, Scratch("Tree"), u"New", RegValue::Number(2),
                            host::kRegDword));
  EXPECT_TRUE(ReadRegValue(services(), kUser, Scratch("Tree"), u"Name").IsNone());
  EXPECT_FALSE(KeyExists(Scratch("Tree\\A")));
}

TEST_F(RegistryConformance, DeletingATreeThatIsNotThereChangesNothing) {
  ASSERT_TRUE(Write("Kept", RegValue::Number(7), host::kRegDword));
  struct Case {
    const char* label;
    AnsiString path;
    long status;
  };
  const AnsiString scratch = platform_->ScratchKey();
  const Case cases[] = {
      {"missing key", scratch + "\\Missing", host::kErrorFileNotFound},
      {"missing parent", scratch + "\\Missing\\Deeper", host::kErrorFileNotFound},
      // Given no subkey, RegDeleteTreeA would empty the whole root.
      {"empty path", "", host::kErrorInvalidParameter},
      {"empty C string", std::string("\0", 1) + scratch, host::kErrorInvalidParameter},
      {"leading backslash", "\\" + scratch, host::kErrorBadPathname},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(registry().DeleteTree(kUser, c.path), c.status) << c.label;
    EXPECT_EQ(Read("Kept"), RegValue::Number(7)) << c.label;
    EXPECT_FALSE(KeyExists(Scratch("Missing"))) << c.label;
  }
}

TEST_F(RegistryConformance, EnumeratingKeysGivesEachSubkeyInTheRegistrysOrder) {
  // Made out of order and in mixed case; values and deeper keys are no subkeys.
  for (const char* key :
       {"Lists\\beta", "Lists\\Alpha\\Deeper", "Lists\\C10", "Lists\\c2", "Lists\\Gr\xfc\xdf"}) {
    ASSERT_TRUE(WriteRegValue(services(), kUser, Scratch(key), u"Name", RegValue::Number(1),
                              host::kRegDword));
  }
  ASSERT_TRUE(WriteRegValue(services(), kUser, Scratch("Lists"), u"NotAKey", RegValue::Number(1),
                            host::kRegDword));
  RegKey lists = RegKey::None;
  ASSERT_EQ(registry().OpenKey(kUser, platform_->ScratchKey() + "\\LISTS", &lists),
            host::kErrorSuccess);
  std::vector<AnsiString> names;
  AnsiString name = "poison";
  long status = host::kErrorSuccess;
  for (std::uint32_t index = 0; index < 10; ++index) {
    status = registry().EnumKey(lists, index, &name);
    if (status != host::kErrorSuccess)
      break;
    names.push_back(name);
  }
  EXPECT_EQ(status, host::kErrorNoMoreItems);
  EXPECT_EQ(names, (std::vector<AnsiString>{"Alpha", "beta", "C10", "c2", "Gr\xfc\xdf"}));
  EXPECT_EQ(name, "Gr\xfc\xdf") << "the end leaves the name as it was";
  EXPECT_EQ(registry().EnumKey(lists, 1000, &name), host::kErrorNoMoreItems);

  RegKey empty = RegKey::None;
  ASSERT_EQ(registry().OpenKey(kUser, platform_->ScratchKey() + "\\Lists\\c2", &empty),
            host::kErrorSuccess);
  EXPECT_EQ(registry().EnumKey(empty, 0, &name), host::kErrorNoMoreItems);
  registry().CloseKey(empty);

  // A handle whose key is deleted meanwhile, and no handle at all.
  ASSERT_EQ(registry().DeleteTree(kUser, platform_->ScratchKey() + "\\Lists"), host::kErrorSuccess);
  EXPECT_EQ(registry().EnumKey(lists, 0, &name), host::kErrorKeyDeleted);
  registry().CloseKey(lists);
  EXPECT_EQ(registry().EnumKey(RegKey::None, 0, &name), host::kErrorInvalidHandle);
  EXPECT_EQ(name, "Gr\xfc\xdf");
}

}  // namespace
}  // namespace ostrel

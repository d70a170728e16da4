// How the settings store behaves, checked the same way against the Linux hive
// store and, under Wine, against the Windows registry: both must agree.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/Text.h"
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
  String Scratch(std::u16string_view sub = u"") const {
    String path = platform_->ScratchKey();
    if (!sub.empty())
      path += u"\\" + String(sub);
    return path;
  }

  // Stores raw bytes under the scratch key, as another tool would.
  void StoreRaw(const char16_t* name, std::uint32_t type, const std::vector<std::uint8_t>& data) {
    RegKey key = RegKey::None;
    ASSERT_EQ(registry().CreateKey(kUser, platform_->ScratchKey(), &key), host::kErrorSuccess);
    ASSERT_EQ(
        registry().SetValue(key, name, type, data.data(), static_cast<std::uint32_t>(data.size())),
        host::kErrorSuccess);
    registry().CloseKey(key);
  }

  // The stored type and bytes, as RegQueryValueExW hands them out.
  struct Raw {
    long status = -99;
    std::uint32_t type = 0xDEAD;
    std::vector<std::uint8_t> data;
  };
  Raw ReadRaw(const char16_t* name) {
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
    const long status = registry().OpenKey(kUser, path, &key);
    if (status == host::kErrorSuccess) {
      registry().CloseKey(key);
      return true;
    }
    EXPECT_EQ(key, RegKey::None) << "a failed open must leave no handle";
    return false;
  }

  RegValue Read(const char16_t* name) { return ReadRegValue(services(), kUser, Scratch(), name); }
  bool Write(const char16_t* name, const RegValue& value, std::uint32_t type) {
    return WriteRegValue(services(), kUser, Scratch(), name, value, type);
  }

  std::unique_ptr<test::TestPlatform> platform_;
};

std::vector<std::uint8_t> Bytes(std::u16string_view text) {
  return ToUtf16Le(text);
}

// A text's bytes as stored: with the terminating null REG_SZ data must have.
std::vector<std::uint8_t> Stored(std::u16string_view text) {
  return ToUtf16Le(String(text) + u'\0');
}

TEST_F(RegistryConformance, TextIsStoredAsUtf16WithATerminatingNull) {
  ASSERT_TRUE(Write(u"Subject", RegValue::Text(u"abc"), host::kRegSz));
  const Raw raw = ReadRaw(u"Subject");
  ASSERT_EQ(raw.status, host::kErrorSuccess);
  EXPECT_EQ(raw.type, host::kRegSz);
  EXPECT_EQ(raw.data, Stored(u"abc")) << "an export or backup keeps the last character";
  EXPECT_EQ(Read(u"Subject"), RegValue::Text(u"abc"));
}

TEST_F(RegistryConformance, OneTrailingNulIsDroppedOnReading) {
  struct Case {
    const char16_t* name;
    std::u16string_view stored;
    String expected;
  };
  const Case cases[] = {
      {u"NoNul", u"abc", u"abc"},
      {u"OneNul", std::u16string_view(u"abc\0", 4), u"abc"},
      {u"TwoNuls", std::u16string_view(u"abc\0\0", 5), String(u"abc\0", 4)},
      {u"OnlyNul", std::u16string_view(u"\0", 1), u""},
  };
  for (const Case& c : cases) {
    CHECKED(StoreRaw(c.name, host::kRegSz, Bytes(c.stored)));
    EXPECT_EQ(Read(c.name), RegValue::Text(c.expected)) << Utf16ToUtf8(c.name);
  }
}

TEST_F(RegistryConformance, EmptyTextReadsAsEmptyTextNotNone) {
  ASSERT_TRUE(Write(u"Empty", RegValue::Text(u""), host::kRegSz));
  EXPECT_EQ(ReadRaw(u"Empty").data, Stored(u""));
  const RegValue value = Read(u"Empty");
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
    ASSERT_TRUE(Write(u"Button", RegValue::Number(c.number), host::kRegDword));
    const Raw raw = ReadRaw(u"Button");
    EXPECT_EQ(raw.type, host::kRegDword);
    EXPECT_EQ(raw.data, c.bytes);
    const RegValue value = Read(u"Button");
    EXPECT_EQ(value, RegValue::Number(c.number));
    EXPECT_EQ(value.AsText(), c.text);
  }
}

TEST_F(RegistryConformance, ADwordAskedForTextStoresTheNumberOrNothing) {
  ASSERT_TRUE(Write(u"Currency", RegValue::Text(u" 12 "), host::kRegDword));
  EXPECT_EQ(Read(u"Currency"), RegValue::Number(12));
  EXPECT_FALSE(Write(u"Currency", RegValue::Text(u"twelve"), host::kRegDword));
  EXPECT_EQ(Read(u"Currency"), RegValue::Number(12)) << "a refused write keeps the old value";
}

TEST_F(RegistryConformance, OtherValueTypesReadAsNone) {
  CHECKED(StoreRaw(u"Expand", host::kRegExpandSz, Stored(u"%TEMP%")));
  CHECKED(StoreRaw(u"Binary", host::kRegBinary, {1, 2, 3}));
  CHECKED(StoreRaw(u"Multi", host::kRegMultiSz, Bytes(std::u16string_view(u"a\0b\0\0", 5))));
  CHECKED(StoreRaw(u"Qword", host::kRegQword, {1, 0, 0, 0, 0, 0, 0, 0}));
  for (const char16_t* name : {u"Expand", u"Binary", u"Multi", u"Qword"}) {
    EXPECT_TRUE(Read(name).IsNone()) << Utf16ToUtf8(name);
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
  const String missing = Scratch(u"Missing\\Deeper");
  EXPECT_TRUE(ReadRegValue(services(), kUser, missing, u"Anything").IsNone());
  EXPECT_FALSE(KeyExists(missing));
  EXPECT_FALSE(KeyExists(Scratch(u"Missing")));
  EXPECT_FALSE(KeyExists(Scratch()));

  ASSERT_TRUE(Write(u"Present", RegValue::Text(u"x"), host::kRegSz));
  EXPECT_TRUE(Read(u"Absent").IsNone()) << "a missing value in an existing key";
}

TEST_F(RegistryConformance, WritingCreatesEveryMissingKeyOnThePath) {
  const String deep = Scratch(u"Product\\Buttons\\5");
  ASSERT_TRUE(WriteRegValue(services(), kUser, deep, u"Src", RegValue::Text(u"s"), host::kRegSz));
  EXPECT_TRUE(KeyExists(Scratch(u"Product")));
  EXPECT_TRUE(KeyExists(Scratch(u"Product\\Buttons")));
  EXPECT_EQ(ReadRegValue(services(), kUser, deep, u"Src"), RegValue::Text(u"s"));
}

TEST_F(RegistryConformance, OneLeadingBackslashIsDroppedOnWritingOnly) {
  ASSERT_TRUE(WriteRegValue(services(), kUser, u"\\" + Scratch(), u"QuarroID",
                            RegValue::Text(u"x@y.z"), host::kRegSz));
  EXPECT_EQ(Read(u"QuarroID"), RegValue::Text(u"x@y.z"));
  // Reading does not drop it, and the registry refuses such a path.
  EXPECT_TRUE(ReadRegValue(services(), kUser, u"\\" + Scratch(), u"QuarroID").IsNone());
}

TEST_F(RegistryConformance, AnEmptyPathWritesNothing) {
  EXPECT_FALSE(WriteRegValue(services(), kUser, u"", u"OstrelConformanceProbe",
                             RegValue::Text(u"x"), host::kRegSz));
  EXPECT_TRUE(ReadRegValue(services(), kUser, u"", u"OstrelConformanceProbe").IsNone());
}

TEST_F(RegistryConformance, KeyAndValueNamesIgnoreCase) {
  ASSERT_TRUE(Write(u"SkipWelcome", RegValue::Number(1), host::kRegDword));
  String upper = Scratch();
  for (Char& c : upper) {
    if (c >= u'a' && c <= u'z')
      c = static_cast<Char>(c - u'a' + u'A');
  }
  EXPECT_EQ(ReadRegValue(services(), kUser, upper, u"SKIPWELCOME"), RegValue::Number(1));
  ASSERT_TRUE(WriteRegValue(services(), kUser, upper, u"skipwelcome", RegValue::Number(0),
                            host::kRegDword));
  EXPECT_EQ(Read(u"SkipWelcome"), RegValue::Number(0)) << "the same value, overwritten";
}

TEST_F(RegistryConformance, AWriteReplacesTheValueAndItsType) {
  ASSERT_TRUE(Write(u"Amount", RegValue::Text(u"25.00"), host::kRegSz));
  ASSERT_TRUE(Write(u"Amount", RegValue::Number(25), host::kRegDword));
  EXPECT_EQ(Read(u"Amount"), RegValue::Number(25));
  ASSERT_TRUE(Write(u"Amount", RegValue::Number(7), host::kRegSz));
  EXPECT_EQ(Read(u"Amount"), RegValue::Text(u"7")) << "a number written as text";
}

TEST_F(RegistryConformance, TextInAndOutsideTheCodePageIsKeptAsTyped) {
  // Names outside the code page too: "Łukasz", Greek, Chinese and a character
  // beyond the first plane (a surrogate pair).
  for (const char16_t* text : {u"Gr\u00fc\u00dfe \u20ac5", u"\u0141ukasz \u0141\u00f3d\u017a",
                               u"\u03a8\u03c5\u03c7\u03ae", u"\u4e2d\u6587", u"\U0001F600"}) {
    SCOPED_TRACE(Utf16ToUtf8(text));
    ASSERT_TRUE(Write(u"Name \u03a8", RegValue::Text(text), host::kRegSz));
    EXPECT_EQ(ReadRaw(u"Name \u03a8").data, Stored(text));
    EXPECT_EQ(Read(u"Name \u03a8"), RegValue::Text(text));
    EXPECT_EQ(ReadRegValue(services(), kUser, Scratch(text), u"Name").IsNone(), true);
    ASSERT_TRUE(WriteRegValue(services(), kUser, Scratch(text), u"Name", RegValue::Text(text),
                              host::kRegSz));
    EXPECT_EQ(ReadRegValue(services(), kUser, Scratch(text), u"Name"), RegValue::Text(text))
        << "a key named outside the code page";
  }
}

TEST_F(RegistryConformance, LongTextRoundTrips) {
  String text;
  for (int i = 0; i < 5000; ++i)
    text.push_back(static_cast<Char>(u'a' + i % 26));
  ASSERT_TRUE(Write(u"Description", RegValue::Text(text), host::kRegSz));
  EXPECT_EQ(Read(u"Description"), RegValue::Text(text));
}

TEST_F(RegistryConformance, OtherTypesAreNotWrittenButReportSuccess) {
  EXPECT_TRUE(Write(u"Odd", RegValue::Text(u"x"), host::kRegBinary));
  EXPECT_EQ(ReadRaw(u"Odd").status, host::kErrorFileNotFound);
}

TEST_F(RegistryConformance, LowerReadReportsSizesLikeRegQueryValueExW) {
  CHECKED(StoreRaw(u"Sized", host::kRegSz, Bytes(u"hello")));
  RegKey key = RegKey::None;
  ASSERT_EQ(registry().OpenKey(kUser, platform_->ScratchKey(), &key), host::kErrorSuccess);

  std::uint32_t type = 0xDEAD;
  std::uint8_t small[2] = {0xCC, 0xCC};
  std::uint32_t size = sizeof small;
  EXPECT_EQ(registry().QueryValue(key, u"Sized", &type, small, &size), host::kErrorMoreData);
  EXPECT_EQ(size, 10u);
  EXPECT_EQ(type, host::kRegSz);

  size = 0;
  EXPECT_EQ(registry().QueryValue(key, u"Missing", nullptr, nullptr, &size),
            host::kErrorFileNotFound);
  registry().CloseKey(key);

  size = 0;
  EXPECT_EQ(registry().QueryValue(RegKey::None, u"Sized", nullptr, nullptr, &size),
            host::kErrorInvalidHandle);
}

TEST_F(RegistryConformance, DeletingAValueRemovesThatValueAlone) {
  ASSERT_TRUE(Write(u"Subject", RegValue::Text(u"s"), host::kRegSz));
  ASSERT_TRUE(Write(u"Button", RegValue::Number(2), host::kRegDword));
  ASSERT_TRUE(Write(u"", RegValue::Text(u"default"), host::kRegSz));
  ASSERT_TRUE(WriteRegValue(services(), kUser, Scratch(u"Sibling"), u"Subject",
                            RegValue::Text(u"kept"), host::kRegSz));

  const char16_t* const names[] = {u"Subject", u"Button", u""};
  struct Step {
    const char16_t* remove;
    long status;
    std::vector<bool> present;  // of names, after the step
  };
  const Step steps[] = {
      {u"Absent", host::kErrorFileNotFound, {true, true, true}},
      {u"sUBJECT", host::kErrorSuccess, {false, true, true}},
      {u"Subject", host::kErrorFileNotFound, {false, true, true}},
      {u"", host::kErrorSuccess, {false, true, false}},
      {u"", host::kErrorFileNotFound, {false, true, false}},
      {u"BUTTON", host::kErrorSuccess, {false, false, false}},
  };
  RegKey key = RegKey::None;
  ASSERT_EQ(registry().OpenKey(kUser, platform_->ScratchKey(), &key), host::kErrorSuccess);
  for (const Step& step : steps) {
    SCOPED_TRACE("deleting \"" + Utf16ToUtf8(step.remove) + "\"");
    EXPECT_EQ(registry().DeleteValue(key, step.remove), step.status);
    for (std::size_t i = 0; i < std::size(names); ++i) {
      EXPECT_EQ(ReadRaw(names[i]).status == host::kErrorSuccess, step.present[i])
          << Utf16ToUtf8(names[i]);
    }
  }
  registry().CloseKey(key);
  EXPECT_TRUE(KeyExists(Scratch())) << "the key outlives its last value";
  EXPECT_EQ(ReadRegValue(services(), kUser, Scratch(u"Sibling"), u"Subject"),
            RegValue::Text(u"kept"));
  EXPECT_EQ(registry().DeleteValue(RegKey::None, u"Subject"), host::kErrorInvalidHandle);
}

TEST_F(RegistryConformance, DeletingATreeRemovesTheKeyItsValuesAndEveryKeyBelow) {
  struct Stored {
    const char16_t* key;
    bool gone;  // after deleting "Tree"
  };
  const Stored stored[] = {
      {u"Tree", true},     {u"Tree\\A", true},      {u"Tree\\A\\B", true}, {u"Tree\\C", true},
      {u"Treetop", false}, {u"Other\\Tree", false}, {u"", false},
  };
  for (const Stored& s : stored) {
    ASSERT_TRUE(
        WriteRegValue(services(), kUser, Scratch(s.key), u"", RegValue::Text(u"d"), host::kRegSz));
    ASSERT_TRUE(WriteRegValue(services(), kUser, Scratch(s.key), u"Name", RegValue::Number(1),
                              host::kRegDword));
  }
  RegKey inside = RegKey::None;
  ASSERT_EQ(registry().OpenKey(kUser, Scratch(u"Tree\\A"), &inside), host::kErrorSuccess);

  EXPECT_EQ(registry().DeleteTree(kUser, Scratch(u"TREE")), host::kErrorSuccess)
      << "names ignore case here too";
  for (const Stored& s : stored) {
    EXPECT_EQ(KeyExists(Scratch(s.key)), !s.gone) << Utf16ToUtf8(s.key);
    if (!s.gone) {
      EXPECT_EQ(ReadRegValue(services(), kUser, Scratch(s.key), u"Name"), RegValue::Number(1))
          << Utf16ToUtf8(s.key);
    }
  }

  // A handle opened inside the tree now refers to a deleted key, and writing
  // through it does not bring the key back.
  std::uint32_t size = 0;
  EXPECT_EQ(registry().QueryValue(inside, u"Name", nullptr, nullptr, &size),
            host::kErrorKeyDeleted);
  const std::uint8_t byte = 'x';
  EXPECT_EQ(registry().SetValue(inside, u"Name", host::kRegSz, &byte, 1), host::kErrorKeyDeleted);
  EXPECT_EQ(registry().DeleteValue(inside, u"Name"), host::kErrorKeyDeleted);
  registry().CloseKey(inside);
  EXPECT_FALSE(KeyExists(Scratch(u"Tree\\A")));

  // Created again, the key starts empty.
  ASSERT_TRUE(WriteRegValue(services(), kUser, Scratch(u"Tree"), u"New", RegValue::Number(2),
                            host::kRegDword));
  EXPECT_TRUE(ReadRegValue(services(), kUser, Scratch(u"Tree"), u"Name").IsNone());
  EXPECT_FALSE(KeyExists(Scratch(u"Tree\\A")));
}

TEST_F(RegistryConformance, DeletingATreeThatIsNotThereChangesNothing) {
  ASSERT_TRUE(Write(u"Kept", RegValue::Number(7), host::kRegDword));
  struct Case {
    const char* label;
    String path;
    long status;
  };
  const String scratch = platform_->ScratchKey();
  const Case cases[] = {
      {"missing key", scratch + u"\\Missing", host::kErrorFileNotFound},
      {"missing parent", scratch + u"\\Missing\\Deeper", host::kErrorFileNotFound},
      // Given no subkey, RegDeleteTreeW would empty the whole root.
      {"empty path", u"", host::kErrorInvalidParameter},
      {"empty C string", String(1, u'\0') + scratch, host::kErrorInvalidParameter},
      {"leading backslash", u"\\" + scratch, host::kErrorBadPathname},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(registry().DeleteTree(kUser, c.path), c.status) << c.label;
    EXPECT_EQ(Read(u"Kept"), RegValue::Number(7)) << c.label;
    EXPECT_FALSE(KeyExists(Scratch(u"Missing"))) << c.label;
  }
}

TEST_F(RegistryConformance, EnumeratingKeysGivesEachSubkeyInTheRegistrysOrder) {
  // Made out of order and in mixed case; values and deeper keys are no subkeys.
  for (const char16_t* key : {u"Lists\\beta", u"Lists\\Alpha\\Deeper", u"Lists\\C10", u"Lists\\c2",
                              u"Lists\\Gr\u00fc\u00df\u0141"}) {
    ASSERT_TRUE(WriteRegValue(services(), kUser, Scratch(key), u"Name", RegValue::Number(1),
                              host::kRegDword));
  }
  ASSERT_TRUE(WriteRegValue(services(), kUser, Scratch(u"Lists"), u"NotAKey", RegValue::Number(1),
                            host::kRegDword));
  RegKey lists = RegKey::None;
  ASSERT_EQ(registry().OpenKey(kUser, platform_->ScratchKey() + u"\\LISTS", &lists),
            host::kErrorSuccess);
  std::vector<String> names;
  String name = u"poison";
  long status = host::kErrorSuccess;
  for (std::uint32_t index = 0; index < 10; ++index) {
    status = registry().EnumKey(lists, index, &name);
    if (status != host::kErrorSuccess)
      break;
    names.push_back(name);
  }
  EXPECT_EQ(status, host::kErrorNoMoreItems);
  EXPECT_EQ(names,
            (std::vector<String>{u"Alpha", u"beta", u"C10", u"c2", u"Gr\u00fc\u00df\u0141"}));
  EXPECT_EQ(name, u"Gr\u00fc\u00df\u0141") << "the end leaves the name as it was";
  EXPECT_EQ(registry().EnumKey(lists, 1000, &name), host::kErrorNoMoreItems);

  RegKey empty = RegKey::None;
  ASSERT_EQ(registry().OpenKey(kUser, platform_->ScratchKey() + u"\\Lists\\c2", &empty),
            host::kErrorSuccess);
  EXPECT_EQ(registry().EnumKey(empty, 0, &name), host::kErrorNoMoreItems);
  registry().CloseKey(empty);

  // A handle whose key is deleted meanwhile, and no handle at all.
  ASSERT_EQ(registry().DeleteTree(kUser, platform_->ScratchKey() + u"\\Lists"),
            host::kErrorSuccess);
  EXPECT_EQ(registry().EnumKey(lists, 0, &name), host::kErrorKeyDeleted);
  registry().CloseKey(lists);
  EXPECT_EQ(registry().EnumKey(RegKey::None, 0, &name), host::kErrorInvalidHandle);
  EXPECT_EQ(name, u"Gr\u00fc\u00df\u0141");
}

}  // namespace
}  // namespace ostrel

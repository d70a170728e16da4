// The shipped resource libraries (RES_ENU.DLL, RES_DEU.DLL) hold every string,
// bitmap and icon the add-in asks for, read the way the add-in reads them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "addin/AddInState.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "support/FakeUi.h"
#include "support/TestPlatform.h"

namespace ostrel {
namespace {

// Every string number the add-in reads, as ranges.
struct NumberRange {
  std::int32_t first;
  std::int32_t last;
};
constexpr NumberRange kStringRanges[] = {
    {100, 101},   {201, 221},   {301, 304},   {401, 401},   {501, 515},   {901, 913},
    {1001, 1003}, {1101, 1108}, {1201, 1205}, {1301, 1306}, {1401, 1418}, {1501, 1509},
    {1601, 1608}, {1701, 1709}, {1801, 1805}, {2001, 2011}, {3001, 3001},
};

// Bitmaps and the largest size each may have, in pixels: the toolbar face must
// be exactly 16 x 16, a button image must fit its picture box on the style page
// (2310 x 840 twips), the side picture the page (4710 twips high).
struct BitmapCase {
  const char16_t* name;
  int maxWidth;
  int maxHeight;
  bool exact;
};
constexpr BitmapCase kBitmaps[] = {
    {u"2003", 16, 16, true},   {u"3001", 200, 314, false}, {u"3002", 64, 64, false},
    {u"3003", 64, 63, false},  {u"5001", 154, 56, false},  {u"5002", 154, 56, false},
    {u"5003", 154, 56, false}, {u"5011", 154, 56, false},  {u"5012", 154, 56, false},
    {u"5013", 154, 56, false}, {u"5021", 154, 56, false},  {u"5022", 154, 56, false},
    {u"5023", 154, 56, false}, {u"5031", 154, 56, false},  {u"5032", 154, 56, false},
    {u"5033", 154, 56, false}, {u"5041", 154, 56, false},  {u"5042", 154, 56, false},
    {u"5043", 154, 56, false},
};

std::string Narrow(const String& text) {
  return std::string(text.begin(), text.end());
}

// The add-in's state for a user whose language abbreviation is `language`.
class Library {
 public:
  explicit Library(const char* language)
      : platform_(test::MakeTestPlatform()),
        locale_(test::FixedLocale::Language(language)),
        services_(WithLocale(platform_->services(), locale_)),
        state_(services_, test::AddinFolder()) {
    opened_ = OpenResourceLibrary(state_);
  }
  ~Library() {
    if (opened_)
      CloseResourceLibrary(state_);
  }

  bool opened() const { return opened_; }
  AddInState& state() { return state_; }
  host::Platform& services() { return services_; }

 private:
  static host::Platform WithLocale(host::Platform& base, host::Locale& locale) {
    return test::With(base, {.locale = &locale});
  }

  std::unique_ptr<test::TestPlatform> platform_;
  test::FixedLocale locale_;
  host::Platform services_;
  AddInState state_;
  bool opened_ = false;
};

class ResourceCatalogueTest : public testing::TestWithParam<const char*> {};

TEST_P(ResourceCatalogueTest, HoldsEveryString) {
  Library library(GetParam());
  ASSERT_TRUE(library.opened());

  std::vector<std::int32_t> missing;
  for (const NumberRange& range : kStringRanges) {
    for (std::int32_t number = range.first; number <= range.last; ++number) {
      if (ResString(library.state(), number).empty())
        missing.push_back(number);
    }
  }
  EXPECT_TRUE(missing.empty()) << "missing strings: " << testing::PrintToString(missing);
}

TEST_P(ResourceCatalogueTest, LoadsEveryBitmapAtAUsableSizeAndTheIcon) {
  Library library(GetParam());
  ASSERT_TRUE(library.opened());
  host::Gdi& gdi = library.services().gdi;

  for (const BitmapCase& bitmap : kBitmaps) {
    SCOPED_TRACE(Narrow(bitmap.name));
    const host::BitmapHandle handle = ResBitmap(library.state(), bitmap.name);
    ASSERT_FALSE(host::IsNone(handle));
    host::BitmapRecord record{};
    ASSERT_TRUE(gdi.GetBitmapRecord(handle, &record));
    if (bitmap.exact) {
      EXPECT_EQ(record.width, bitmap.maxWidth);
      EXPECT_EQ(record.height, bitmap.maxHeight);
    } else {
      EXPECT_GT(record.width, 0);
      EXPECT_GT(record.height, 0);
      EXPECT_LE(record.width, bitmap.maxWidth);
      EXPECT_LE(record.height, bitmap.maxHeight);
    }
    gdi.DeleteBitmap(handle);
  }

  EXPECT_FALSE(host::IsNone(
      library.services().resources.LoadIcon(library.state().hResourceLibrary, res::kWizardIcon)));
}

INSTANTIATE_TEST_SUITE_P(Languages, ResourceCatalogueTest, testing::Values("ENU", "DEU"));

TEST(ResourceCatalogueGermanTest, WizardSpeaksGermanWhereEnglishDiffers) {
  Library english("ENU");
  Library german("DEU");
  ASSERT_TRUE(english.opened());
  ASSERT_TRUE(german.opened());

  // Every string the add-in reads is German in the German library, but for
  // those that are the same in both languages: names, addresses, codes and
  // words German shares.
  constexpr std::int32_t kSameInBoth[] = {
      100,             // the link's tracking code
      201,  203, 206,  // "OK"
      220,             // "Version"
      502,             // "Quarro"
      514,  515,       // web addresses
      1703,            // "https://"
  };
  for (const NumberRange& range : kStringRanges) {
    for (std::int32_t number = range.first; number <= range.last; ++number) {
      const String text = ResString(german.state(), number);
      EXPECT_FALSE(text.empty()) << number;
      if (std::find(std::begin(kSameInBoth), std::end(kSameInBoth), number) ==
          std::end(kSameInBoth)) {
        EXPECT_NE(text, ResString(english.state(), number)) << number << " is still English";
      }
    }
  }
}

}  // namespace
}  // namespace ostrel

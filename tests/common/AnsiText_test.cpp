// The ANSI code page (Windows-1252 here and on the Windows we test under).
#include <gtest/gtest.h>

#include "support/TestPlatform.h"

namespace ostrel {
namespace {

TEST(AnsiCodePage, EveryByteRoundTrips) {
  auto platform = test::MakeTestPlatform();
  const host::AnsiCodePage& ansi = platform->services().ansi;
  AnsiString all;
  for (int b = 1; b < 256; ++b)
    all.push_back(static_cast<char>(b));
  const String wide = ansi.FromAnsi(all);
  ASSERT_EQ(wide.size(), all.size());
  EXPECT_EQ(wide[0x80 - 1], u'\u20ac');
  EXPECT_EQ(wide[0x9F - 1], u'\u0178');
  EXPECT_EQ(wide[0xE9 - 1], u'\u00e9');
  EXPECT_EQ(ansi.ToAnsi(wide), all);
}

TEST(AnsiCodePage, CharactersTheCodePageLacksAreSubstituted) {
  auto platform = test::MakeTestPlatform();
  const host::AnsiCodePage& ansi = platform->services().ansi;
  EXPECT_EQ(ansi.ToAnsi(u"a\u4e2db"), "a?b");
  EXPECT_EQ(ansi.ToAnsi(u""), "");
  EXPECT_EQ(ansi.FromAnsi(""), u"");
  EXPECT_EQ(ansi.ToAnsi(String(u"x\0y", 3)), AnsiString("x\0y", 3)) << "NUL is kept";
}

}  // namespace
}  // namespace ostrel

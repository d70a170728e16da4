// FileExists answers like a find-first-file search, on both builds.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/TestPlatform.h"
#include "templates/modFile.h"

namespace ostrel {
namespace {

TEST(FileExists, AnswersLikeFindFirstFile) {
  auto platform = test::MakeTestPlatform();
  const auto dir = platform->TempDir();
  std::ofstream(dir / "Template1.txt") << "[BUTTON]";
  std::filesystem::create_directories(dir / "Templates");
  const String base = platform->SystemPath(dir);

  struct Case {
    String path;
    bool exists;
  };
  const Case cases[] = {
      {base + u"\\Template1.txt", true},
      {base + u"\\TEMPLATE1.TXT", true},  // names match without regard to case
      {base + u"\\Template2.txt", false},
      {base + u"\\Templates", true},  // a folder counts
      {base, true},
      {base + u"\\Templates\\", false},   // a trailing separator finds nothing
      {base + u"\\Template?.txt", true},  // wildcards as the search takes them
      {base + u"\\*.txt", true},
      {base + u"\\*.htm", false},
      {base + u"\\Missing\\Template1.txt", false},
      {u"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FileExists(platform->services(), c.path), c.exists)
        << std::string(c.path.begin(), c.path.end());
  }
}

}  // namespace
}  // namespace ostrel

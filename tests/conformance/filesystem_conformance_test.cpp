// Reading, writing, copying and deleting files, checked the same way against the
// Linux stand-in and, under Wine, against the Win32 file functions.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "host/HostError.h"
#include "support/ErrorNumber.h"
#include "support/TestPlatform.h"

namespace ostrel {
namespace {

class FileSystemConformance : public testing::Test {
 protected:
  void SetUp() override { platform_ = test::MakeTestPlatform(); }

  host::FileSystem& files() { return platform_->services().files; }
  // A name inside the test's folder, as the system names files.
  String File(const char16_t* name) const {
    return platform_->SystemPath(platform_->TempDir() / std::filesystem::path(name));
  }
  std::vector<std::filesystem::path> Entries() const {
    std::vector<std::filesystem::path> names;
    for (const auto& entry : std::filesystem::directory_iterator(platform_->TempDir()))
      names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  std::unique_ptr<test::TestPlatform> platform_;
};

using test::ErrorNumber;
using test::kNoError;

TEST_F(FileSystemConformance, EveryByteValueRoundTrips) {
  AnsiString bytes;
  for (int value = 0; value < 256; ++value)
    bytes += static_cast<char>(value);
  // What a text mode would change: line ends both ways and the old end-of-file mark.
  bytes += std::string("\r\n\n\r\x1a\0\r\n", 8);
  const String path = File(u"bytes.bin");
  files().WriteFile(path, bytes);
  EXPECT_TRUE(files().FindFirstFile(path));
  EXPECT_EQ(files().ReadFile(path), bytes);
  EXPECT_EQ(std::filesystem::file_size(platform_->TempDir() / "bytes.bin"), bytes.size());
}

TEST_F(FileSystemConformance, WriteReplacesTheWholeContent) {
  struct Case {
    AnsiString first;
    AnsiString second;
  };
  const Case cases[] = {
      {"a longer first content\r\n", "short"},
      {"something", ""},
      {"", "now there is text"},
  };
  const String path = File(u"Template0.txt");
  for (const Case& c : cases) {
    files().WriteFile(path, c.first);
    files().WriteFile(path, c.second);
    EXPECT_EQ(files().ReadFile(path), c.second) << "after " << c.first;
  }
  EXPECT_EQ(Entries(), std::vector<std::filesystem::path>{"Template0.txt"})
      << "nothing but the file itself is left in its folder";
}

TEST_F(FileSystemConformance, ANameOutsideAsciiIsTheSameFileForOtherPrograms) {
  const String path = File(u"Vorlage f\u00fcr K\u00e4se.txt");
  files().WriteFile(path, "Inhalt");
  EXPECT_TRUE(files().FindFirstFile(path));
  EXPECT_EQ(files().ReadFile(path), "Inhalt");
  EXPECT_TRUE(std::filesystem::exists(platform_->TempDir() /
                                      std::filesystem::path(u"Vorlage f\u00fcr K\u00e4se.txt")));
}

TEST_F(FileSystemConformance, CopyReplacesAnExistingTargetAndKeepsTheSource) {
  const String source = File(u"source.txt");
  const String target = File(u"target.txt");
  files().WriteFile(source, "new");
  files().WriteFile(target, "an older and longer content");
  files().CopyFile(source, target);
  EXPECT_EQ(files().ReadFile(target), "new");
  EXPECT_EQ(files().ReadFile(source), "new");

  const String fresh = File(u"fresh.txt");
  files().CopyFile(source, fresh);
  EXPECT_EQ(files().ReadFile(fresh), "new");
  EXPECT_EQ(Entries(),
            (std::vector<std::filesystem::path>{"fresh.txt", "source.txt", "target.txt"}));
}

TEST_F(FileSystemConformance, CreateNewFileTakesAFreeNameOnly) {
  std::filesystem::create_directory(platform_->TempDir() / "folder");
  const String taken = File(u"taken.eml");
  files().WriteFile(taken, "keep");
  const String fresh = File(u"fresh.eml");
  files().CreateNewFile(fresh, std::string("new\r\n\0content", 14));
  EXPECT_EQ(files().ReadFile(fresh), std::string("new\r\n\0content", 14));
  files().CreateNewFile(File(u"empty.eml"), "");
  EXPECT_EQ(files().ReadFile(File(u"empty.eml")), "");

  struct Case {
    const char* name;
    const char16_t* path;
    long number;
  };
  const Case cases[] = {
      {"a file of the name", u"taken.eml", 80},
      {"the file made just now", u"fresh.eml", 80},
      {"a folder of the name", u"folder", 80},
      {"in a missing folder", u"no-such-folder/draft.eml", 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ErrorNumber([&] { files().CreateNewFile(File(c.path), "x"); }), c.number) << c.name;
  EXPECT_EQ(files().ReadFile(taken), "keep");
  EXPECT_EQ(files().ReadFile(fresh), std::string("new\r\n\0content", 14));
  EXPECT_EQ(Entries(),
            (std::vector<std::filesystem::path>{"empty.eml", "folder", "fresh.eml", "taken.eml"}))
      << "nothing but the files themselves is left in the folder";
}

TEST_F(FileSystemConformance, DeleteRemovesTheFile) {
  const String path = File(u"gone.txt");
  files().WriteFile(path, "x");
  ASSERT_TRUE(files().FindFirstFile(path));
  files().DeleteFile(path);
  EXPECT_FALSE(files().FindFirstFile(path));
  EXPECT_TRUE(Entries().empty());
}

TEST_F(FileSystemConformance, FailuresRaiseTheWin32ErrorNumber) {
  std::filesystem::create_directory(platform_->TempDir() / "folder");
  const String present = File(u"present.txt");
  files().WriteFile(present, "keep");
  const String missing = File(u"missing.txt");
  const String inMissingFolder = File(u"no-such-folder/file.txt");
  const String folder = File(u"folder");

  struct Case {
    const char* name;
    std::function<void()> call;
    long number;
  };
  host::FileSystem& fs = files();
  const Case cases[] = {
      {"read a missing file", [&] { fs.ReadFile(missing); }, 2},
      {"read in a missing folder", [&] { fs.ReadFile(inMissingFolder); }, 3},
      {"delete a missing file", [&] { fs.DeleteFile(missing); }, 2},
      {"delete in a missing folder", [&] { fs.DeleteFile(inMissingFolder); }, 3},
      {"write in a missing folder", [&] { fs.WriteFile(inMissingFolder, "x"); }, 3},
      {"copy a missing file", [&] { fs.CopyFile(missing, File(u"copy.txt")); }, 2},
      {"copy into a missing folder", [&] { fs.CopyFile(present, inMissingFolder); }, 3},
      {"write over a folder", [&] { fs.WriteFile(folder, "x"); }, 5},
      {"delete a folder", [&] { fs.DeleteFile(folder); }, 5},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ErrorNumber(c.call), c.number) << c.name;
  EXPECT_EQ(files().ReadFile(present), "keep");
  EXPECT_TRUE(std::filesystem::is_directory(platform_->TempDir() / "folder"));
  EXPECT_EQ(Entries(), (std::vector<std::filesystem::path>{"folder", "present.txt"}))
      << "a failed call leaves no file behind";
}

TEST_F(FileSystemConformance, CreateDirectoryMakesOneFolderWhoseParentExists) {
  const String outbox = File(u"Outbox");
  files().CreateDirectory(outbox);
  EXPECT_TRUE(std::filesystem::is_directory(platform_->TempDir() / "Outbox"));
  EXPECT_TRUE(files().FindFirstFile(outbox));
  const String inside = File(u"Outbox/draft.eml");
  files().WriteFile(inside, "x");
  EXPECT_EQ(files().ReadFile(inside), "x");

  files().WriteFile(File(u"plain.txt"), "keep");
  struct Case {
    const char* name;
    const char16_t* path;
    long number;
  };
  const Case cases[] = {
      {"the folder again", u"Outbox", 183},
      {"over a file", u"plain.txt", 183},
      {"in a missing folder", u"no-such-folder/Outbox", 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ErrorNumber([&] { files().CreateDirectory(File(c.path)); }), c.number) << c.name;
  EXPECT_EQ(files().ReadFile(File(u"plain.txt")), "keep");
  EXPECT_EQ(files().ReadFile(inside), "x") << "a failed call leaves the folder's content alone";
  EXPECT_EQ(Entries(), (std::vector<std::filesystem::path>{"Outbox", "plain.txt"}));
}

TEST_F(FileSystemConformance, AReadOnlyFileIsNeitherReplacedNorDeleted) {
  const String path = File(u"locked.txt");
  const String other = File(u"other.txt");
  files().WriteFile(path, "original");
  files().WriteFile(other, "other");
  const auto native = platform_->TempDir() / "locked.txt";
  using std::filesystem::perms;
  std::filesystem::permissions(native,
                               perms::owner_write | perms::group_write | perms::others_write,
                               std::filesystem::perm_options::remove);
  EXPECT_EQ(ErrorNumber([&] { files().DeleteFile(path); }), 5);
  // Windows refuses to write over it as well. Wine lets that through: it keeps
  // the attribute as the Unix permission bits, and these tests run as root,
  // whom those bits do not stop. The stand-in keeps to Windows.
  if (std::string(platform_->Name()) == "posix") {
    EXPECT_EQ(ErrorNumber([&] { files().WriteFile(path, "changed"); }), 5);
    EXPECT_EQ(ErrorNumber([&] { files().CopyFile(other, path); }), 5);
  }
  EXPECT_EQ(files().ReadFile(path), "original");
  std::filesystem::permissions(native, perms::owner_write, std::filesystem::perm_options::add);
}

}  // namespace
}  // namespace ostrel

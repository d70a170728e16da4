// What the hive store does beyond the Windows registry's behaviour (which the
// conformance tests check): several instances or processes on one profile, and
// damaged hive files.
#include "posix/HiveRegistry.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/posix/HiveTestSupport.h"

namespace ostrel::posix {
namespace {

using host::RegKey;
using host::RegRoot;
using test::Get;
using test::Put;
using test::ReadBytes;
using test::TempProfile;
using test::WriteBytes;

constexpr RegRoot kUser = RegRoot::CurrentUser;

std::string Text(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

TEST(HiveRegistry, SeesWhatAnotherInstanceWrote) {
  TempProfile profile;
  HiveRegistry writer(profile.str());
  HiveRegistry reader(profile.str());
  ASSERT_EQ(Put(writer, kUser, "Software\\Q", "v", "one"), host::kErrorSuccess);
  EXPECT_EQ(Get(reader, kUser, "Software\\Q", "v"), "one");

  RegKey held = RegKey::None;
  ASSERT_EQ(reader.OpenKey(kUser, u"Software\\Q", &held), host::kErrorSuccess);
  ASSERT_EQ(Put(writer, kUser, "Software\\Q", "v", "two"), host::kErrorSuccess);
  ASSERT_EQ(Put(writer, kUser, "Software\\Q\\New", "w", "x"), host::kErrorSuccess);
  EXPECT_EQ(Get(reader, kUser, "Software\\Q", "v"), "two");
  EXPECT_EQ(Get(reader, kUser, "Software\\Q\\New", "w"), "x");

  // A handle opened before the other instance wrote reads the new data.
  char data[8] = {};
  std::uint32_t size = sizeof data;
  EXPECT_EQ(reader.QueryValue(held, u"v", nullptr, reinterpret_cast<std::uint8_t*>(data), &size),
            host::kErrorSuccess);
  EXPECT_EQ(std::string(data, size), std::string("t\0w\0o\0", 6));
  reader.CloseKey(held);

  // A hand edit in place keeps the inode and the size; its time tells it apart.
  const std::vector<std::uint8_t> stored = ReadBytes(profile.userHive());
  std::u16string text(reinterpret_cast<const char16_t*>(stored.data() + 2),
                      (stored.size() - 2) / 2);
  const std::size_t at = text.find(u"74,00,77,00,6f,00");  // "two"
  ASSERT_NE(at, std::u16string::npos) << Utf16ToUtf8(text);
  text.replace(at, 17, u"54,00,57,00,4f,00");  // "TWO"
  {
    std::fstream edit(profile.userHive(), std::ios::in | std::ios::out | std::ios::binary);
    edit.seekp(2);
    edit.write(reinterpret_cast<const char*>(text.data()),
               static_cast<std::streamsize>(text.size() * 2));
  }
  const timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, profile.userHive().c_str(), times, 0), 0);
  EXPECT_EQ(Get(reader, kUser, "Software\\Q", "v"), "TWO");
}

TEST(HiveRegistry, InterleavedInstancesLoseNothing) {
  TempProfile profile;
  HiveRegistry first(profile.str());
  HiveRegistry second(profile.str());
  for (int i = 0; i < 40; ++i) {
    const std::string n = std::to_string(i);
    ASSERT_EQ(Put(first, kUser, "Software\\Shared", "first" + n, "1-" + n), host::kErrorSuccess);
    ASSERT_EQ(Put(second, kUser, "Software\\Shared", "second" + n, "2-" + n), host::kErrorSuccess);
    ASSERT_EQ(Put(second, kUser, "Software\\Own\\" + n, "v", n), host::kErrorSuccess);
  }
  HiveRegistry fresh(profile.str());
  for (int i = 0; i < 40; ++i) {
    const std::string n = std::to_string(i);
    EXPECT_EQ(Get(fresh, kUser, "Software\\Shared", "first" + n), "1-" + n);
    EXPECT_EQ(Get(fresh, kUser, "Software\\Shared", "second" + n), "2-" + n);
    EXPECT_EQ(Get(first, kUser, "Software\\Own\\" + n, "v"), n);
  }
}

TEST(HiveRegistry, ConcurrentProcessesLoseNothing) {
  TempProfile profile;
  constexpr int kWriters = 3;
  constexpr int kValues = 60;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      HiveRegistry registry(profile.str());
      for (int i = 0; i < kValues; ++i) {
        const std::string name = "w" + std::to_string(w) + "-" + std::to_string(i);
        if (Put(registry, kUser, "Software\\Race", name, name + " data") != 0)
          ::_exit(3);
      }
      ::_exit(0);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed: " << status;
  }
  HiveRegistry registry(profile.str());
  for (int w = 0; w < kWriters; ++w) {
    for (int i = 0; i < kValues; ++i) {
      const std::string name = "w" + std::to_string(w) + "-" + std::to_string(i);
      EXPECT_EQ(Get(registry, kUser, "Software\\Race", name), name + " data");
    }
  }
}

struct Damage {
  const char* label;
  std::string file;
  const char* problem;  // part of the reason given
};

TEST(HiveRegistry, DamagedHiveReadsEmptyAndIsNeverOverwritten) {
  const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
  const std::vector<Damage> cases = {
      {"not a registry file", "<html>saved by the wrong program</html>\r\n", "line 1:"},
      {"hand edit with a bad dword",
       header + "[HKEY_CURRENT_USER\\Software\\Q]\r\n\"v\"=\"keep\"\r\n\"n\"=dword:12x\r\n",
       "line 5: dword"},
      {"key of another root", header + "[HKEY_LOCAL_MACHINE\\Software\\Q]\r\n", "line 3:"},
      {"big-endian UTF-16", std::string("\xFE\xFF\0W", 4), "big-endian"},
  };
  for (const Damage& c : cases) {
    SCOPED_TRACE(c.label);
    TempProfile profile;
    WriteBytes(profile.userHive(), c.file);
    HiveRegistry registry(profile.str());

    RegKey key = static_cast<RegKey>(77);
    EXPECT_EQ(registry.OpenKey(kUser, u"Software\\Q", &key), host::kErrorFileNotFound);
    EXPECT_EQ(key, RegKey::None);
    RegKey root = RegKey::None;
    ASSERT_EQ(registry.OpenKey(kUser, u"", &root), host::kErrorSuccess);
    std::uint32_t size = 0;
    EXPECT_EQ(registry.QueryValue(root, u"v", nullptr, nullptr, &size), host::kErrorFileNotFound);

    key = static_cast<RegKey>(77);
    EXPECT_EQ(registry.CreateKey(kUser, u"Software\\New", &key), kErrorRegistryCorrupt);
    EXPECT_EQ(key, RegKey::None);
    const std::uint8_t byte = 'x';
    EXPECT_EQ(registry.SetValue(root, u"x", host::kRegSz, &byte, 1), kErrorRegistryCorrupt);
    registry.CloseKey(root);
    std::string message;
    EXPECT_EQ(registry.Import(std::vector<std::uint8_t>(header.begin(), header.end()), &message),
              host::kErrorSuccess)
        << "a file naming no key touches no hive";
    const std::string addKey = header + "[HKCU\\Software\\New]\r\n";
    EXPECT_EQ(registry.Import(std::vector<std::uint8_t>(addKey.begin(), addKey.end()), &message),
              kErrorRegistryCorrupt);
    EXPECT_NE(message.find(profile.userHive().string()), std::string::npos) << message;
    EXPECT_NE(message.find(c.problem), std::string::npos) << message;

    RegTree tree;
    EXPECT_FALSE(registry.ReadHive(kUser, &tree, &message));
    EXPECT_NE(message.find(c.problem), std::string::npos) << message;
    EXPECT_EQ(Text(ReadBytes(profile.userHive())), c.file) << "the damaged file was changed";
    EXPECT_FALSE(std::filesystem::exists(profile.dir() / "HKEY_CURRENT_USER.reg.tmp"));

    // The other root's hive is a file of its own and works on.
    EXPECT_EQ(Put(registry, RegRoot::LocalMachine, "Software\\Q", "v", "ok"), host::kErrorSuccess);
    EXPECT_EQ(Get(registry, RegRoot::LocalMachine, "Software\\Q", "v"), "ok");

    // Once repaired, the same instance reads and writes it again.
    WriteBytes(profile.userHive(),
               header + "[HKEY_CURRENT_USER\\Software\\Q]\r\n\"v\"=\"fixed\"\r\n");
    EXPECT_EQ(Get(registry, kUser, "Software\\Q", "v"), std::string("fixed\0", 6));
    EXPECT_EQ(Put(registry, kUser, "Software\\Q", "w", "new"), host::kErrorSuccess);
  }
}

TEST(HiveRegistry, AHiveThatCannotBeReadIsLeftAlone) {
  TempProfile profile;
  std::filesystem::create_directory(profile.userHive());  // a folder where the file should be
  HiveRegistry registry(profile.str());
  EXPECT_FALSE(Get(registry, kUser, "Software\\Q", "v").has_value());
  EXPECT_EQ(Put(registry, kUser, "Software\\Q", "v", "x"), kErrorRegistryCorrupt);
  EXPECT_TRUE(std::filesystem::is_directory(profile.userHive()));
}

TEST(HiveRegistry, FirstWriteCreatesTheProfileAsRegeditWouldReadIt) {
  TempProfile scratch;
  const std::filesystem::path dir = scratch.dir() / "not" / "yet" / "profile";
  HiveRegistry registry(dir.string());
  RegKey key = RegKey::None;
  EXPECT_EQ(registry.OpenKey(kUser, u"Software", &key), host::kErrorFileNotFound);
  EXPECT_FALSE(Get(registry, kUser, "", "v").has_value());
  EXPECT_FALSE(std::filesystem::exists(dir)) << "reading created the profile";

  ASSERT_EQ(Put(registry, kUser, "Software\\Quarro", "Bare", "abc"), host::kErrorSuccess);
  ASSERT_EQ(Put(registry, kUser, "Software\\Quarro", "Ended", std::string("\xE9t\xE9\0", 4)),
            host::kErrorSuccess);
  ASSERT_EQ(Put(registry, kUser, "Software\\Quarro", "Count", std::string("\xFF\xFF\xFF\xFF", 4),
                host::kRegDword),
            host::kErrorSuccess);
  const std::vector<std::uint8_t> file = ReadBytes(dir / "HKEY_CURRENT_USER.reg");
  ASSERT_GE(file.size(), 2u);
  EXPECT_EQ(file[0], 0xFF);
  EXPECT_EQ(file[1], 0xFE);
  const std::string text = Utf16ToUtf8(
      std::u16string(reinterpret_cast<const char16_t*>(file.data() + 2), (file.size() - 2) / 2));
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Quarro]\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Bare\"=hex(1):61,00,62,00,63,00\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Ended\"=\"\u00E9t\u00E9\"\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"Count\"=dword:ffffffff\r\n"), std::string::npos) << text;
  EXPECT_FALSE(std::filesystem::exists(dir / "HKEY_LOCAL_MACHINE.reg"));
}

TEST(HiveRegistry, HandlesNamesAndPathsLikeTheWFunctions) {
  TempProfile profile;
  HiveRegistry registry(profile.str());
  ASSERT_EQ(Put(registry, kUser, "Software\\Q", "v", "x"), host::kErrorSuccess);

  // Runs of separators count as one (as in Wine); a NUL ends a C string.
  EXPECT_EQ(Get(registry, kUser, "Software\\\\Q\\", "v"), "x");
  EXPECT_EQ(Get(registry, kUser, std::string("Software\\Q\0junk", 15), std::string("v\0w", 3)),
            "x");

  RegKey key = RegKey::None;
  ASSERT_EQ(registry.CreateKey(kUser, u"Software\\Q", &key), host::kErrorSuccess);
  const std::uint8_t data[] = {'y'};
  EXPECT_EQ(registry.SetValue(key, u"line\nbreak", host::kRegSz, data, 1),
            host::kErrorInvalidParameter)
      << "a .reg file cannot hold a line break in a name";
  EXPECT_EQ(registry.SetValue(key, u"v", host::kRegSz, nullptr, 1), host::kErrorInvalidParameter);
  std::uint32_t size = 4;
  EXPECT_EQ(
      registry.QueryValue(key, u"v", nullptr, reinterpret_cast<std::uint8_t*>(&size), nullptr),
      host::kErrorInvalidParameter);
  RegKey bad = RegKey::None;
  EXPECT_EQ(registry.CreateKey(kUser, u"Software\\Line\rBreak", &bad),
            host::kErrorInvalidParameter);
  EXPECT_EQ(registry.CreateKey(static_cast<RegRoot>(0x80000003u), u"Software", &bad),
            host::kErrorInvalidHandle);
  // The registry's limits: 255 characters a name, 512 levels.
  EXPECT_EQ(registry.CreateKey(kUser, u"Software\\" + String(256, u'n'), &bad),
            host::kErrorInvalidParameter);
  EXPECT_EQ(registry.OpenKey(kUser, u"Software\\" + String(256, u'n'), &bad),
            host::kErrorFileNotFound);
  std::string deep = "Software";  // 511 levels
  for (int level = 2; level < 512; ++level)
    deep += "\\d";
  EXPECT_EQ(registry.CreateKey(kUser, test::Latin1(deep + "\\d\\d"), &bad),
            host::kErrorInvalidParameter);
  ASSERT_EQ(Put(registry, kUser, deep + "\\" + std::string(255, 'n'), "v", "deep"),
            host::kErrorSuccess);
  HiveRegistry reread(profile.str());
  EXPECT_EQ(Get(reread, kUser, deep + "\\" + std::string(255, 'N'), "v"), "deep");

  EXPECT_EQ(registry.CloseKey(key), host::kErrorSuccess);
  EXPECT_EQ(registry.CloseKey(key), host::kErrorInvalidHandle);
  size = 0;
  EXPECT_EQ(registry.QueryValue(key, u"v", nullptr, nullptr, &size), host::kErrorInvalidHandle);
  EXPECT_EQ(registry.SetValue(key, u"v", host::kRegSz, data, 1), host::kErrorInvalidHandle);
  EXPECT_EQ(registry.QueryValue(static_cast<RegKey>(0x5151), u"v", nullptr, nullptr, &size),
            host::kErrorInvalidHandle);
}

TEST(HiveRegistry, AKeyDeletedByAnImportIsGoneForOpenHandles) {
  TempProfile profile;
  HiveRegistry holder(profile.str());
  ASSERT_EQ(Put(holder, kUser, "Software\\Q\\Sub", "v", "x"), host::kErrorSuccess);
  RegKey key = RegKey::None;
  ASSERT_EQ(holder.OpenKey(kUser, u"Software\\Q\\Sub", &key), host::kErrorSuccess);

  HiveRegistry importer(profile.str());
  const std::string file = "Windows Registry Editor Version 5.00\r\n\r\n[-HKCU\\Software\\Q]\r\n";
  std::string message;
  ASSERT_EQ(importer.Import(std::vector<std::uint8_t>(file.begin(), file.end()), &message),
            host::kErrorSuccess)
      << message;

  std::uint32_t size = 0;
  EXPECT_EQ(holder.QueryValue(key, u"v", nullptr, nullptr, &size), kErrorKeyDeleted);
  const std::uint8_t data[] = {'y'};
  EXPECT_EQ(holder.SetValue(key, u"v", host::kRegSz, data, 1), kErrorKeyDeleted);
  EXPECT_EQ(holder.CloseKey(key), host::kErrorSuccess);
  EXPECT_EQ(holder.OpenKey(kUser, u"Software\\Q", &key), host::kErrorFileNotFound)
      << "a write through a stale handle must not bring the key back";
}

}  // namespace
}  // namespace ostrel::posix

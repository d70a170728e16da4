// Deleting from the hive store, beyond what the conformance tests check: what
// reaches the file, what other instances see, and damaged or missing hives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/posix/HiveTestSupport.h"
#include "posix/HiveRegistry.h"

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

// The hive file as text (it is UTF-16LE with a byte order mark).
std::string HiveText(const std::filesystem::path& file) {
  const std::vector<std::uint8_t> bytes = ReadBytes(file);
  if (bytes.size() < 2)
    return std::string();
  return Utf16ToUtf8(
      std::u16string(reinterpret_cast<const char16_t*>(bytes.data() + 2), (bytes.size() - 2) / 2));
}

TEST(HiveDelete, ReachesTheFileAndOtherInstances) {
  TempProfile profile;
  HiveRegistry writer(profile.str());
  HiveRegistry reader(profile.str());
  ASSERT_EQ(Put(writer, kUser, "Software\\Classes\\Ostrel.Connect", "", "Ostrel.Connect"),
            host::kErrorSuccess);
  ASSERT_EQ(Put(writer, kUser, "Software\\Classes\\Ostrel.Connect\\CLSID", "", "{x}"),
            host::kErrorSuccess);
  ASSERT_EQ(Put(writer, kUser, "Software\\Classes\\Other", "Kept", "k"), host::kErrorSuccess);
  // The default value is written as "@", and read back as the empty name.
  const std::string section = "[HKEY_CURRENT_USER\\Software\\Classes\\Ostrel.Connect]\r\n@=";
  EXPECT_NE(HiveText(profile.userHive()).find(section), std::string::npos);
  EXPECT_EQ(Get(reader, kUser, "Software\\Classes\\Ostrel.Connect", ""), "Ostrel.Connect");

  RegKey key = RegKey::None;
  ASSERT_EQ(writer.OpenKey(kUser, u"Software\\Classes\\Ostrel.Connect", &key), host::kErrorSuccess);
  EXPECT_EQ(writer.DeleteValue(key, u""), host::kErrorSuccess);
  writer.CloseKey(key);
  EXPECT_EQ(HiveText(profile.userHive()).find(section), std::string::npos);
  EXPECT_FALSE(Get(reader, kUser, "Software\\Classes\\Ostrel.Connect", "").has_value());

  EXPECT_EQ(writer.DeleteTree(kUser, u"Software\\Classes\\Ostrel.Connect"), host::kErrorSuccess);
  const std::string text = HiveText(profile.userHive());
  EXPECT_EQ(text.find("Ostrel.Connect"), std::string::npos) << text;
  EXPECT_NE(text.find("[HKEY_CURRENT_USER\\Software\\Classes\\Other]"), std::string::npos) << text;
  EXPECT_EQ(reader.OpenKey(kUser, u"Software\\Classes\\Ostrel.Connect\\CLSID", &key),
            host::kErrorFileNotFound);
  EXPECT_FALSE(std::filesystem::exists(profile.dir() / "HKEY_CURRENT_USER.reg.tmp"));
}

TEST(HiveDelete, DamagedHiveRefusesDeletesAndStaysAsItIs) {
  const std::string file =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_CURRENT_USER\\Software\\Q]\r\n\"v\"=\"keep\"\r\n\"n\"=dword:12x\r\n";
  TempProfile profile;
  HiveRegistry registry(profile.str());
  RegKey root = RegKey::None;
  ASSERT_EQ(registry.OpenKey(kUser, u"", &root), host::kErrorSuccess);
  WriteBytes(profile.userHive(), file);

  EXPECT_EQ(registry.DeleteTree(kUser, u"Software\\Q"), kErrorRegistryCorrupt);
  EXPECT_EQ(registry.DeleteTree(kUser, u"Software\\Missing"), kErrorRegistryCorrupt);
  EXPECT_EQ(registry.DeleteValue(root, u"v"), kErrorRegistryCorrupt);
  registry.CloseKey(root);
  const std::vector<std::uint8_t> after = ReadBytes(profile.userHive());
  EXPECT_EQ(std::string(after.begin(), after.end()), file) << "the damaged file was changed";
}

TEST(HiveDelete, NothingToDeleteLeavesAMissingProfileMissing) {
  TempProfile scratch;
  const std::filesystem::path dir = scratch.dir() / "profile";
  HiveRegistry registry(dir.string());
  RegKey root = RegKey::None;
  ASSERT_EQ(registry.OpenKey(kUser, u"", &root), host::kErrorSuccess);
  EXPECT_EQ(registry.DeleteValue(root, u"v"), host::kErrorFileNotFound);
  EXPECT_EQ(registry.DeleteTree(kUser, u"Software\\Q"), host::kErrorFileNotFound);
  EXPECT_EQ(registry.DeleteTree(kUser, u""), host::kErrorInvalidParameter);
  registry.CloseKey(root);
  EXPECT_FALSE(std::filesystem::exists(dir));
}

}  // namespace
}  // namespace ostrel::posix

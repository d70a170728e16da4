// Self-registration against the build's registry: the hive store natively, and
// under Wine the real HKEY_CURRENT_USER (and HKEY_LOCAL_MACHINE for the COM
// fallback) of the test prefix, which every test leaves as it found it.
#include "addin/Registration.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "addin/ServerIdentity.h"
#include "common/Text.h"
#include "outlook/AddInList.h"
#include "settings/modRegistry.h"
#include "support/Checked.h"
#include "support/TestPlatform.h"

namespace ostrel {
namespace {

using host::RegKey;
using host::RegRoot;

constexpr RegRoot kUser = RegRoot::CurrentUser;
constexpr RegRoot kMachine = RegRoot::LocalMachine;

const String kModule = u"C:\\Program Files\\Quarro\\Ostrel.dll";

#define CLSID_KEY u"Software\\Classes\\CLSID\\{B26BE756-F8E4-4F47-A2FF-A7DE88DC783B}"
#define LIB_KEY u"Software\\Classes\\TypeLib\\{32AA17C1-0EFF-4C30-B429-274AF7BEE9A7}\\1.0"
#define CONNECT_IID_KEY u"Software\\Classes\\Interface\\{82068AB3-49EE-4681-A3C3-50E92935289B}"
#define ADDIN_IID_KEY u"Software\\Classes\\Interface\\{0C629F79-0B0A-4B68-93F7-509740C80381}"
#define OUTLOOK_KEY u"Software\\Microsoft\\Office\\Outlook\\Addins\\Ostrel.Connect"
#define LIBID u"{32AA17C1-0EFF-4C30-B429-274AF7BEE9A7}"
#define MARSHALER u"{00020424-0000-0000-C000-000000000046}"

struct Entry {
  String key;  // under HKEY_CURRENT_USER
  String name;
  RegValue value;
};

// Every value a registration of `module` (whose folder, with its trailing
// separator, is `folder`) stores.
std::vector<Entry> ExpectedEntries(const String& module, const String& folder) {
  const auto text = [](const String& t) { return RegValue::Text(t); };
  return {
      {CLSID_KEY, u"", text(u"Ostrel.Connect")},
      {CLSID_KEY u"\\InprocServer32", u"", text(module)},
      {CLSID_KEY u"\\InprocServer32", u"ThreadingModel", text(u"Apartment")},
      {CLSID_KEY u"\\ProgID", u"", text(u"Ostrel.Connect")},
      {CLSID_KEY u"\\TypeLib", u"", text(LIBID)},
      {CLSID_KEY u"\\VERSION", u"", text(u"1.0")},
      {u"Software\\Classes\\Ostrel.Connect", u"", text(u"Ostrel.Connect")},
      {u"Software\\Classes\\Ostrel.Connect\\CLSID", u"",
       text(u"{B26BE756-F8E4-4F47-A2FF-A7DE88DC783B}")},
      {LIB_KEY, u"", text(u"Quarro Velloran")},
      // RegisterTypeLib's key for the process's platform.
      {String(LIB_KEY u"\\0\\") + (sizeof(void*) == 8 ? u"win64" : u"win32"), u"", text(module)},
      {LIB_KEY u"\\FLAGS", u"", text(u"0")},
      {LIB_KEY u"\\HELPDIR", u"", text(folder)},
      {CONNECT_IID_KEY, u"", text(u"_Connect")},
      {CONNECT_IID_KEY u"\\ProxyStubClsid32", u"", text(MARSHALER)},
      {CONNECT_IID_KEY u"\\TypeLib", u"", text(LIBID)},
      {CONNECT_IID_KEY u"\\TypeLib", u"Version", text(u"1.0")},
      {ADDIN_IID_KEY, u"", text(u"_AddIn")},
      {ADDIN_IID_KEY u"\\ProxyStubClsid32", u"", text(MARSHALER)},
      {ADDIN_IID_KEY u"\\TypeLib", u"", text(LIBID)},
      {ADDIN_IID_KEY u"\\TypeLib", u"Version", text(u"1.0")},
      {OUTLOOK_KEY, u"FriendlyName", text(u"Quarro Ambrel")},
      {OUTLOOK_KEY, u"Description", text(u"Quarro Ambrel for Outlook")},
      {OUTLOOK_KEY, u"LoadBehavior", RegValue::Number(3)},
  };
}

// The keys a registration owns outright.
const String kOwnKeys[] = {CLSID_KEY,
                           u"Software\\Classes\\Ostrel.Connect",
                           u"Software\\Classes\\TypeLib\\" LIBID,
                           CONNECT_IID_KEY,
                           ADDIN_IID_KEY,
                           OUTLOOK_KEY};

// Keys the tests plant beside the registration, all removed before and after.
struct Planted {
  RegRoot root;
  String key;
  String name;
  String value;
};
const Planted kNeighbours[] = {
    {kUser, u"Software\\Microsoft\\Office\\Outlook\\Addins\\OstrelTest.Other", u"LoadBehavior",
     u"3"},
    {kUser, u"Software\\Classes\\Ostrel.Connect.2", u"", u"a neighbour whose name starts alike"},
    {kUser, u"Software\\Classes\\CLSID\\{B26BE756-F8E4-4F47-A2FF-A7DE88DC783C}\\InprocServer32",
     u"", u"C:\\other.dll"},
    {kUser, u"Software\\Classes\\Interface\\{82068AB3-49EE-4681-A3C3-50E92935289C}", u"",
     u"_Other"},
    {kUser, u"Software\\Classes\\TypeLib\\{32AA17C1-0EFF-4C30-B429-274AF7BEE9A8}\\1.0", u"",
     u"Other library"},
};

// ProgIDs and classes for the look-ups, under either root.
#define TEST_CLSID_A u"{0E57A000-0000-4000-8000-00000000000A}"
#define TEST_CLSID_B u"{0E57A000-0000-4000-8000-00000000000B}"
#define TEST_CLSID_C u"{0E57A000-0000-4000-8000-00000000000C}"
const Planted kLookups[] = {
    // A CLSID value that is no GUID, naming a key that has a server all the same.
    {kUser, u"Software\\Classes\\OstrelTest.BadClsid\\CLSID", u"", u"OstrelTest.NotAGuid"},
    {kUser, u"Software\\Classes\\CLSID\\OstrelTest.NotAGuid\\InprocServer32", u"", u"C:\\trap.dll"},
    {kUser, u"Software\\Classes\\OstrelTest.NoServer\\CLSID", u"", TEST_CLSID_A},
    {kUser, u"Software\\Classes\\CLSID\\" TEST_CLSID_A, u"", u"no InprocServer32"},
    {kMachine, u"Software\\Classes\\OstrelTest.Machine\\CLSID", u"", TEST_CLSID_B},
    {kMachine, u"Software\\Classes\\CLSID\\" TEST_CLSID_B u"\\InprocServer32", u"",
     u"C:\\machine.dll"},
    {kUser, u"Software\\Classes\\OstrelTest.Shadowed\\CLSID", u"", TEST_CLSID_C},
    {kMachine, u"Software\\Classes\\OstrelTest.Shadowed\\CLSID", u"", TEST_CLSID_B},
    {kUser, u"Software\\Classes\\CLSID\\" TEST_CLSID_C u"\\InprocServer32", u"", u"C:\\user.dll"},
    {kUser, u"Software\\Classes\\OstrelTest.Split\\CLSID", u"", TEST_CLSID_B},
};

// Entries of Outlook's add-in list beside the add-in's own.
const Planted kListed[] = {
    {kUser, u"Software\\Microsoft\\Office\\Outlook\\Addins\\OstrelTest.Missing", u"FriendlyName",
     u"no class anywhere"},
    {kUser, u"Software\\Microsoft\\Office\\Outlook\\Addins\\OstrelTest.Machine", u"FriendlyName",
     u"its class under HKEY_LOCAL_MACHINE"},
};

class Registration : public testing::Test {
 protected:
  void SetUp() override {
    platform_ = test::MakeTestPlatform();
    Clean();
  }
  void TearDown() override { Clean(); }

  void Clean() {
    // Whatever file a test registered.
    const std::optional<String> registered = InprocServerOf(services(), u"Ostrel.Connect");
    UnregisterServer(services(), registered.value_or(kModule));
    for (const Planted& p : kNeighbours)
      registry().DeleteTree(p.root, TopTestKey(p.key));
    for (const Planted& p : kLookups)
      registry().DeleteTree(p.root, TopTestKey(p.key));
    for (const Planted& p : kListed)
      registry().DeleteTree(p.root, p.key);
  }
  // The test's own key that holds a planted one (the ProgID or class key).
  static String TopTestKey(const String& key) {
    const std::size_t classes = String(u"Software\\Classes\\").size();
    if (key.starts_with(u"Software\\Classes\\CLSID\\") ||
        key.starts_with(u"Software\\Classes\\Interface\\") ||
        key.starts_with(u"Software\\Classes\\TypeLib\\")) {
      const std::size_t kind = key.find(u'\\', classes);
      return key.substr(0, key.find(u'\\', kind + 1));
    }
    if (key.starts_with(u"Software\\Classes\\"))
      return key.substr(0, key.find(u'\\', classes));
    return key;
  }

  template <std::size_t N>
  void Plant(const Planted (&table)[N]) {
    for (const Planted& p : table) {
      ASSERT_TRUE(
          WriteRegValue(services(), p.root, p.key, p.name, RegValue::Text(p.value), host::kRegSz))
          << Utf16ToUtf8(p.key);
    }
  }

  host::Platform& services() { return platform_->services(); }
  host::Registry& registry() { return services().registry; }

  host::Platform WithRegistry(host::Registry& other) {
    host::Platform& p = services();
    return host::Platform{p.ansi,      other,     p.locale, p.resources, p.gdi,  p.ole,
                          p.clipboard, p.windows, p.files,  p.shell,     p.help, p.dialogs};
  }

  bool KeyExists(RegRoot root, const String& key) {
    RegKey handle = RegKey::None;
    if (registry().OpenKey(root, key, &handle) != host::kErrorSuccess)
      return false;
    registry().CloseKey(handle);
    return true;
  }

  // The stored type and byte count of a value; status first.
  struct Stored {
    long status = -99;
    std::uint32_t type = 0xDEAD;
    std::vector<std::uint8_t> bytes;
  };
  Stored ReadStored(const String& key, const String& name) {
    Stored stored;
    RegKey handle = RegKey::None;
    stored.status = registry().OpenKey(kUser, key, &handle);
    if (stored.status != host::kErrorSuccess)
      return stored;
    std::uint32_t size = 0;
    stored.status = registry().QueryValue(handle, name, &stored.type, nullptr, &size);
    stored.bytes.assign(size + 1, 0xCC);
    if (stored.status == host::kErrorSuccess) {
      stored.status = registry().QueryValue(handle, name, &stored.type, stored.bytes.data(), &size);
      stored.bytes.resize(size);
    }
    registry().CloseKey(handle);
    return stored;
  }

  // Checks every value of a registration of `module`, as stored and as read.
  void ExpectRegistered(const String& module, const String& folder) {
    for (const Entry& e : ExpectedEntries(module, folder)) {
      SCOPED_TRACE(Utf16ToUtf8(e.key) + " : \"" + Utf16ToUtf8(e.name) + "\"");
      EXPECT_EQ(ReadRegValue(services(), kUser, e.key, e.name), e.value);
      const Stored stored = ReadStored(e.key, e.name);
      ASSERT_EQ(stored.status, host::kErrorSuccess);
      if (e.value.IsNumber()) {
        EXPECT_EQ(stored.type, host::kRegDword);
      } else {
        // Text is stored terminated, as COM's readers expect.
        EXPECT_EQ(stored.type, host::kRegSz);
        EXPECT_EQ(FromUtf16Le(stored.bytes), e.value.AsText() + u'\0');
      }
    }
  }

  void ExpectNoOwnKeys() {
    for (const String& key : kOwnKeys)
      EXPECT_FALSE(KeyExists(kUser, key)) << Utf16ToUtf8(key);
  }

  // Whether each key on the way to the registration exists.
  std::vector<bool> Parents() {
    std::vector<bool> exist;
    for (const char16_t* key :
         {u"Software\\Classes", u"Software\\Classes\\CLSID", u"Software\\Classes\\TypeLib",
          u"Software\\Classes\\Interface", u"Software\\Microsoft",
          u"Software\\Microsoft\\Office\\Outlook\\Addins"}) {
      exist.push_back(KeyExists(kUser, key));
    }
    return exist;
  }

  std::unique_ptr<test::TestPlatform> platform_;
};

TEST_F(Registration, WritesEveryEntryAndNothingElse) {
  test::RefusableRegistry counting(registry(), INT_MAX, false);
  host::Platform counted = WithRegistry(counting);
  ASSERT_TRUE(RegisterServer(counted, kModule));
  CHECKED(ExpectRegistered(kModule, u"C:\\Program Files\\Quarro\\"));
  EXPECT_EQ(static_cast<std::size_t>(counting.calls()), ExpectedEntries(kModule, u"").size())
      << "values written beyond the expected ones";
  // AddIn is not creatable: no class or ProgID of its own.
  EXPECT_FALSE(
      KeyExists(kUser, u"Software\\Classes\\CLSID\\{64FBCF84-5221-4753-B3AA-251EA11ACEF2}"));
  EXPECT_FALSE(KeyExists(kUser, u"Software\\Classes\\Ostrel.AddIn"));
}

TEST_F(Registration, HelpFolderIsTheModulesFolder) {
  struct Case {
    String module;
    String folder;
  };
  const Case cases[] = {
      {u"C:\\Program Files\\Quarro\\Ostrel.dll", u"C:\\Program Files\\Quarro\\"},
      {u"C:\\Ostrel.dll", u"C:\\"},
      {u"\\\\server\\share\\Ostrel.dll", u"\\\\server\\share\\"},
      {u"/opt/quarro/Ostrel.dll", u"/opt/quarro/"},
      {u"Ostrel.dll", u""},
      {u"C:\\Gr\u00fc\u00dfe\\Ostrel.dll", u"C:\\Gr\u00fc\u00dfe\\"},
      // Outside the ANSI code page: a user's folder named in Polish, Greek, Chinese.
      {u"C:\\Users\\\u0141ukasz\\\u0141\u00f3d\u017a \u03a8\\Ostrel.dll",
       u"C:\\Users\\\u0141ukasz\\\u0141\u00f3d\u017a \u03a8\\"},
      {u"C:\\\u4e2d\u6587\\Ostrel.dll", u"C:\\\u4e2d\u6587\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.module));
    ASSERT_TRUE(RegisterServer(services(), c.module));
    CHECKED(ExpectRegistered(c.module, c.folder));
  }
}

TEST_F(Registration, RefusesAnEmptyModulePath) {
  EXPECT_FALSE(RegisterServer(services(), String()));
  CHECKED(ExpectNoOwnKeys());
}

TEST_F(Registration, RegisteringAgainReplacesTheEarlierRegistration) {
  ASSERT_TRUE(RegisterServer(services(), kModule));
  ASSERT_TRUE(RegisterServer(services(), kModule));
  CHECKED(ExpectRegistered(kModule, u"C:\\Program Files\\Quarro\\"));

  const String moved = u"D:\\Quarro\\Ostrel.dll";
  ASSERT_TRUE(RegisterServer(services(), moved));
  CHECKED(ExpectRegistered(moved, u"D:\\Quarro\\"));
}

TEST_F(Registration, UnregisteringRemovesTheRegistrationAndNothingElse) {
  CHECKED(Plant(kNeighbours));
  ASSERT_TRUE(RegisterServer(services(), kModule));
  ASSERT_TRUE(UnregisterServer(services(), kModule));
  CHECKED(ExpectNoOwnKeys());
  for (const Planted& p : kNeighbours) {
    EXPECT_EQ(ReadRegValue(services(), p.root, p.key, p.name), RegValue::Text(p.value))
        << Utf16ToUtf8(p.key);
  }
  EXPECT_TRUE(UnregisterServer(services(), kModule)) << "nothing left to remove is fine";

  // A copy registered later from another folder keeps its registration when
  // the first copy is unregistered.
  const String other = u"D:\\Other\\Ostrel.dll";
  ASSERT_TRUE(RegisterServer(services(), other));
  EXPECT_TRUE(UnregisterServer(services(), kModule));
  EXPECT_EQ(InprocServerOf(services(), u"Ostrel.Connect"), other);
  EXPECT_TRUE(UnregisterServer(services(), u"d:/other/OSTREL.DLL")) << "the same file, spelt alike";
  EXPECT_EQ(InprocServerOf(services(), u"Ostrel.Connect"), std::nullopt);
}

TEST_F(Registration, InprocServerFollowsProgIdAndClassLikeCom) {
  ASSERT_TRUE(RegisterServer(services(), kModule));
  CHECKED(Plant(kLookups));
  struct Case {
    String progId;
    std::optional<String> server;
  };
  const Case cases[] = {
      {u"Ostrel.Connect", kModule},
      {u"OSTREL.connect", kModule},
      {u"OstrelTest.Missing", std::nullopt},
      {u"", std::nullopt},
      {u"Ostrel.Connect\\CLSID", std::nullopt},
      {String(u"Ostrel.Connect\0X", 16), std::nullopt},
      {u"OstrelTest.BadClsid", std::nullopt},
      {u"OstrelTest.NoServer", std::nullopt},
      {u"OstrelTest.Machine", u"C:\\machine.dll"},
      {u"OstrelTest.Shadowed", u"C:\\user.dll"},
      {u"OstrelTest.Split", u"C:\\machine.dll"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InprocServerOf(services(), c.progId), c.server) << Utf16ToUtf8(c.progId);
  }
  ASSERT_TRUE(UnregisterServer(services(), kModule));
  EXPECT_EQ(InprocServerOf(services(), u"Ostrel.Connect"), std::nullopt);
}

TEST_F(Registration, TheAddInListIsReadAsOutlookAndComReadIt) {
  ASSERT_TRUE(RegisterServer(services(), kModule));
  CHECKED(Plant(kNeighbours));  // OstrelTest.Other, whose LoadBehavior is text
  CHECKED(Plant(kLookups));
  CHECKED(Plant(kListed));
  ASSERT_TRUE(WriteRegValue(services(), kUser, kListed[1].key, u"LoadBehavior", RegValue::Number(2),
                            host::kRegDword));
  std::vector<standin::RegisteredAddIn> ours;
  for (standin::RegisteredAddIn& addIn : standin::ReadAddInList(services())) {
    if (addIn.progId.starts_with(u"Ostrel"))
      ours.push_back(std::move(addIn));
  }
  struct Expected {
    const char16_t* progId;
    std::optional<std::int32_t> loadBehavior;
    std::optional<String> clsid;
    std::optional<String> server;
  };
  const Expected expected[] = {
      {u"Ostrel.Connect", 3, u"{B26BE756-F8E4-4F47-A2FF-A7DE88DC783B}", kModule},
      {u"OstrelTest.Machine", 2, TEST_CLSID_B, u"C:\\machine.dll"},
      {u"OstrelTest.Missing", std::nullopt, std::nullopt, std::nullopt},
      {u"OstrelTest.Other", std::nullopt, std::nullopt, std::nullopt},
  };
  ASSERT_EQ(ours.size(), std::size(expected));
  for (std::size_t i = 0; i < ours.size(); ++i) {
    SCOPED_TRACE(Utf16ToUtf8(expected[i].progId));
    EXPECT_EQ(ours[i].progId, expected[i].progId);
    EXPECT_EQ(ours[i].loadBehavior, expected[i].loadBehavior);
    EXPECT_EQ(ours[i].clsid, expected[i].clsid);
    EXPECT_EQ(ours[i].server, expected[i].server);
  }
}

TEST_F(Registration, ARefusedWriteLeavesNothingBehind) {
  const std::vector<bool> parents = Parents();
  const int writes = static_cast<int>(ExpectedEntries(kModule, u"").size());
  for (int failAt = 0; failAt < writes; ++failAt) {
    SCOPED_TRACE("write " + std::to_string(failAt) + " refused");
    test::RefusableRegistry refusing(registry(), failAt, false);
    host::Platform failing = WithRegistry(refusing);
    EXPECT_FALSE(RegisterServer(failing, kModule));
    CHECKED(ExpectNoOwnKeys());
    EXPECT_EQ(Parents(), parents) << "keys created on the way were left";
  }
}

TEST_F(Registration, ARefusedWriteRestoresTheEarlierRegistration) {
  ASSERT_TRUE(RegisterServer(services(), kModule));
  const int writes = static_cast<int>(ExpectedEntries(kModule, u"").size());
  for (int failAt = 0; failAt < writes; ++failAt) {
    SCOPED_TRACE("write " + std::to_string(failAt) + " refused");
    test::RefusableRegistry refusing(registry(), failAt, true);
    host::Platform failing = WithRegistry(refusing);
    EXPECT_FALSE(RegisterServer(failing, u"D:\\Elsewhere\\Ostrel.dll"));
    CHECKED(ExpectRegistered(kModule, u"C:\\Program Files\\Quarro\\"));
  }
}

TEST(ServerIdentity, ParsesGuidsInRegistryFormOnly) {
  using identity::Guid;
  const Guid connect{0xB26BE756, 0xF8E4, 0x4F47, {0xA2, 0xFF, 0xA7, 0xDE, 0x88, 0xDC, 0x78, 0x3B}};
  struct Case {
    const char16_t* text;
    std::optional<Guid> guid;
  };
  const Case cases[] = {
      {u"{B26BE756-F8E4-4F47-A2FF-A7DE88DC783B}", connect},
      {u"{b26be756-f8e4-4f47-a2ff-a7de88dc783b}", connect},
      {u"B26BE756-F8E4-4F47-A2FF-A7DE88DC783B", std::nullopt},
      {u"{B26BE756-F8E4-4F47-A2FF-A7DE88DC783}", std::nullopt},
      {u"{B26BE756-F8E4-4F47-A2FF-A7DE88DC783BB}", std::nullopt},
      {u"{B26BE756F-8E4-4F47-A2FF-A7DE88DC783B}", std::nullopt},
      {u"{B26BE756-F8E4-4F47-A2FF-A7DE88DC783G}", std::nullopt},
      {u"{B26BE756-F8E4-4F47-A2FF-A7DE88DC783B)", std::nullopt},
      {u"", std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(identity::ParseGuid(c.text), c.guid) << Utf16ToUtf8(c.text);
  }
  EXPECT_EQ(identity::kClsidConnect.guid, connect);
}

}  // namespace
}  // namespace ostrel

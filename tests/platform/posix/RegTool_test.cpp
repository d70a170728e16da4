// ostrel-reg, run as a program: the installation data, refused files, export and
// import between profiles, and its messages.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/posix/HiveTestSupport.h"
#include "posix/HiveRegistry.h"
#include "posix/PosixPlatform.h"
#include "settings/SettingsLayout.h"
#include "settings/modRegistry.h"

namespace ostrel::posix {
namespace {

using test::ReadBytes;
using test::TempProfile;
using test::WriteBytes;

const std::string kInstallFile = std::string(OSTREL_TEST_SOURCE_DIR) + "/data/install/Ostrel.reg";

struct ToolRun {
  int exit = -1;
  std::string out;
  std::string err;
};

// Runs ostrel-reg with the arguments; its output goes through files in `scratch`.
ToolRun RunTool(const std::filesystem::path& scratch, const std::vector<std::string>& args) {
  const std::filesystem::path out = scratch / "tool.out";
  const std::filesystem::path err = scratch / "tool.err";
  const pid_t child = ::fork();
  if (child == 0) {
    const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (outFd < 0 || errFd < 0 || ::dup2(outFd, 1) < 0 || ::dup2(errFd, 2) < 0)
      ::_exit(126);
    std::vector<char*> argv{const_cast<char*>(OSTREL_REG_TOOL)};
    for (const std::string& arg : args)
      argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(OSTREL_REG_TOOL, argv.data());
    ::_exit(127);
  }
  ToolRun run;
  int status = 0;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    run.exit = WEXITSTATUS(status);
  }
  const auto text = [](const std::filesystem::path& file) {
    const std::vector<std::uint8_t> bytes = ReadBytes(file);
    return std::string(bytes.begin(), bytes.end());
  };
  run.out = text(out);
  run.err = text(err);
  return run;
}

class RegTool : public testing::Test {
 protected:
  ToolRun Tool(const TempProfile& profile, std::vector<std::string> args) {
    args.insert(args.begin(), {"--profile", profile.str()});
    return RunTool(files_.dir(), args);
  }
  std::filesystem::path File(const char* name) const { return files_.dir() / name; }

  TempProfile files_;  // the test's own files, apart from any profile
};

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

struct ButtonRow {
  int type;
  int slot;
  const char16_t* resourceId;
  const char16_t* image;
  const char16_t* alt;
  const char16_t* width;
  const char16_t* height;
};

// The button entries the resource libraries draw bitmaps for.
const ButtonRow kButtons[] = {
    {0, 0, u"5001", u"pay_now_large.gif", u"Pay now with Quarro", u"120", u"36"},
    {0, 1, u"5002", u"pay_now_small.gif", u"Pay now with Quarro", u"88", u"26"},
    {0, 2, u"5003", u"pay_with_quarro.gif", u"Pay with Quarro", u"150", u"44"},
    {1, 0, u"5011", u"buy_now_large.gif", u"Buy now with Quarro", u"120", u"36"},
    {1, 1, u"5012", u"buy_now_small.gif", u"Buy now with Quarro", u"88", u"26"},
    {1, 2, u"5013", u"buy_with_quarro.gif", u"Buy with Quarro", u"150", u"44"},
    {2, 0, u"5021", u"pay_invoice_large.gif", u"Pay your invoice with Quarro", u"120", u"36"},
    {2, 1, u"5022", u"pay_invoice_small.gif", u"Pay your invoice with Quarro", u"88", u"26"},
    {2, 2, u"5023", u"pay_with_quarro.gif", u"Pay with Quarro", u"150", u"44"},
    {3, 0, u"5031", u"pay_auction_large.gif", u"Pay for your auction item with Quarro", u"120",
     u"36"},
    {3, 1, u"5032", u"pay_auction_small.gif", u"Pay for your auction item with Quarro", u"88",
     u"26"},
    {3, 2, u"5033", u"pay_with_quarro.gif", u"Pay with Quarro", u"150", u"44"},
    {4, 0, u"5041", u"donate_large.gif", u"Donate with Quarro", u"120", u"36"},
    {4, 1, u"5042", u"donate_small.gif", u"Donate with Quarro", u"88", u"26"},
    {4, 2, u"5043", u"donate_with_quarro.gif", u"Donate with Quarro", u"150", u"44"},
};

TEST_F(RegTool, ImportsTheInstallationDataForTheAddIn) {
  // Windows' regedit takes this file as ANSI text: keep it ASCII with CRLF lines.
  const std::vector<std::uint8_t> file = ReadBytes(kInstallFile);
  ASSERT_FALSE(file.empty()) << kInstallFile;
  const std::string text(file.begin(), file.end());
  EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u);
  for (std::size_t i = 0; i < text.size(); ++i) {
    ASSERT_LT(static_cast<unsigned char>(text[i]), 0x80) << "non-ASCII byte at " << i;
    if (text[i] == '\n') {
      ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at " << i;
    }
  }

  TempProfile profile;
  const ToolRun imported = Tool(profile, {"import", kInstallFile});
  ASSERT_EQ(imported.exit, 0) << imported.err;

  const ToolRun mainKey = Tool(profile, {"query", "HKCU\\Software\\Quarro\\Drovanix\\Outlook"});
  EXPECT_EQ(mainKey.exit, 0) << mainKey.err;
  EXPECT_TRUE(Contains(mainKey.out,
                       "\nHKEY_CURRENT_USER\\Software\\Quarro\\Drovanix\\Outlook\n"
                       "    PaymentRequestType    REG_DWORD    0x0\n"))
      << mainKey.out;
  EXPECT_TRUE(
      Contains(mainKey.out, "\nHKEY_CURRENT_USER\\Software\\Quarro\\Drovanix\\Outlook\\Currency\n"))
      << mainKey.out;
  const ToolRun currencies = Tool(
      profile, {"query", "HKEY_CURRENT_USER\\Software\\Quarro\\Drovanix\\Outlook\\Currency", "/s"});
  EXPECT_EQ(currencies.exit, 0) << currencies.err;
  EXPECT_TRUE(
      Contains(currencies.out,
               "\\Currency\\0\n    Code    REG_SZ    USD\n    Name    REG_SZ    U.S. Dollar\n"))
      << currencies.out;
  const ToolRun one = Tool(profile, {"query", "HKCU\\Software\\Quarro\\Drovanix\\Outlook\\Currency",
                                     "/s", "/v", "Code"});
  EXPECT_TRUE(Contains(one.out, "    Code    REG_SZ    CHF\n")) << one.out;
  EXPECT_FALSE(Contains(one.out, "Name")) << one.out;

  // What the add-in reads of it.
  PosixPlatform platform(PosixOptions{profile.str(), {}});
  host::Platform& services = platform.services();
  const auto read = [&](const String& key, std::u16string_view name) {
    return ReadRegValue(services, settings::kRoot, key, String(name));
  };
  EXPECT_EQ(read(String(settings::kMainKey), settings::main_value::kPaymentRequestType),
            RegValue::Number(0));
  EXPECT_TRUE(read(String(settings::kMainKey), settings::main_value::kFirstName).IsNone())
      << "the installation leaves the sender's details to the user";

  const std::vector<std::pair<String, String>> required = {
      {u"USD", u"U.S. Dollar"},       {u"EUR", u"Euro"},
      {u"GBP", u"Pound Sterling"},    {u"CAD", u"Canadian Dollar"},
      {u"AUD", u"Australian Dollar"}, {u"JPY", u"Japanese Yen"},
      {u"CHF", u"Swiss Franc"}};
  std::vector<std::pair<String, String>> listed;
  for (int n = 0;; ++n) {
    const RegValue code = read(settings::CurrencyKey(n), settings::currency_value::kCode);
    const RegValue name = read(settings::CurrencyKey(n), settings::currency_value::kName);
    if (code.IsNone() && name.IsNone())
      break;
    EXPECT_EQ(code.AsText().size(), 3u) << "entry " << n;
    EXPECT_FALSE(name.AsText().empty()) << "entry " << n;
    listed.emplace_back(code.AsText(), name.AsText());
  }
  ASSERT_GE(listed.size(), required.size());
  for (std::size_t i = 0; i < required.size(); ++i)
    EXPECT_EQ(listed[i], required[i]) << i;

  for (const ButtonRow& row : kButtons) {
    SCOPED_TRACE("type " + std::to_string(row.type) + " slot " + std::to_string(row.slot));
    const String key = settings::ButtonKey(row.type, row.slot);
    EXPECT_EQ(read(key, settings::button_value::kResourceID), RegValue::Text(row.resourceId));
    EXPECT_EQ(read(key, settings::button_value::kSrc),
              RegValue::Text(u"https://www.quarro.com/images/buttons/" + String(row.image)));
    EXPECT_EQ(read(key, settings::button_value::kAlt), RegValue::Text(row.alt));
    EXPECT_EQ(read(key, settings::button_value::kWidth), RegValue::Text(row.width));
    EXPECT_EQ(read(key, settings::button_value::kHeight), RegValue::Text(row.height));
  }
  for (int type = 0; type < settings::kTypeCount; ++type) {
    for (int slot = 3; slot < settings::kButtonEntries; ++slot) {
      EXPECT_TRUE(
          read(settings::ButtonKey(type, slot), settings::button_value::kResourceID).IsNone())
          << "type " << type << " slot " << slot << " should stay hidden";
    }
  }
}

TEST_F(RegTool, RefusesABrokenFileAndStoresNothingOfIt) {
  TempProfile profile;
  ASSERT_EQ(Tool(profile, {"import", kInstallFile}).exit, 0);
  const std::vector<std::uint8_t> before = ReadBytes(profile.userHive());

  const std::string broken = File("broken.reg").string();
  WriteBytes(broken,
             "Windows Registry Editor Version 5.00\r\n"
             "\r\n"
             "[HKEY_CURRENT_USER\\Software\\Quarro\\Drovanix\\Outlook]\r\n"
             "\"PaymentRequestType\"=dword:00000004\r\n"
             "\r\n"
             "[HKEY_CURRENT_USER\\Software\\Quarro\\Fresh]\r\n"
             "\"Name\"=\"would be new\"\r\n"
             "[HKEY_LOCAL_MACHINE\\Software\\Quarro]\r\n"
             "\"Count\"=dword:0000000g\r\n"
             "\"After\"=\"never read\"\r\n");
  const ToolRun run = Tool(profile, {"import", broken});
  EXPECT_EQ(run.exit, 1);
  EXPECT_EQ(run.err, "ostrel-reg: " + broken + ": line 9: dword value needs 1 to 8 hex digits\n");
  EXPECT_EQ(ReadBytes(profile.userHive()), before) << "the hive changed";
  EXPECT_FALSE(std::filesystem::exists(profile.dir() / "HKEY_LOCAL_MACHINE.reg"));
  const ToolRun query = Tool(profile, {"query", "HKCU\\Software\\Quarro\\Fresh"});
  EXPECT_EQ(query.exit, 1);
  EXPECT_EQ(query.err, "ostrel-reg: key not found: HKCU\\Software\\Quarro\\Fresh\n");
}

TEST_F(RegTool, ExportThenImportGivesTheSameHive) {
  TempProfile source;
  ASSERT_EQ(Tool(source, {"import", kInstallFile}).exit, 0);
  {
    // Data the installation file does not have: text without its NUL, binary,
    // characters beyond ASCII, a second root.
    HiveRegistry registry(source.str());
    const auto user = host::RegRoot::CurrentUser;
    ASSERT_EQ(test::Put(registry, user, "Software\\Quarro\\Ostrel\\Outlook", "City", "M\xFCnchen"),
              host::kErrorSuccess);
    ASSERT_EQ(test::Put(registry, user, "Software\\Quarro\\Odd", "Blob",
                        std::string("\0\x01\xFF", 3), host::kRegBinary),
              host::kErrorSuccess);
    ASSERT_EQ(test::Put(registry, host::RegRoot::LocalMachine, "SOFTWARE\\Quarro", "Path", "C:\\"),
              host::kErrorSuccess);
  }
  const std::string exported = File("quarro.reg").string();
  const ToolRun exportRun = Tool(source, {"export", "HKCU\\Software\\Quarro", exported});
  ASSERT_EQ(exportRun.exit, 0) << exportRun.err;
  const std::string machine = File("machine.reg").string();
  ASSERT_EQ(Tool(source, {"export", "HKLM", machine}).exit, 0);

  TempProfile target;
  ASSERT_EQ(Tool(target, {"import", exported}).exit, 0);
  ASSERT_EQ(Tool(target, {"import", machine}).exit, 0);
  for (const char* hive : {"HKEY_CURRENT_USER.reg", "HKEY_LOCAL_MACHINE.reg"}) {
    EXPECT_EQ(ReadBytes(target.dir() / hive), ReadBytes(source.dir() / hive)) << hive;
  }

  const ToolRun text = Tool(target, {"export", "HKCU\\Software\\Quarro\\Ostrel", "-"});
  EXPECT_EQ(text.exit, 0);
  EXPECT_EQ(text.out,
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Quarro\\Ostrel]\n\n"
            "[HKEY_CURRENT_USER\\Software\\Quarro\\Ostrel\\Outlook]\n"
            "\"City\"=hex(1):4d,00,fc,00,6e,00,63,00,68,00,65,00,6e,00\n\n");
}

struct Misuse {
  const char* label;
  std::vector<std::string> args;  // after --profile DIR
  int exit;
  const char* message;
};

TEST_F(RegTool, ExplainsWhatItCannotDo) {
  TempProfile profile;
  ASSERT_EQ(Tool(profile, {"import", kInstallFile}).exit, 0);
  const std::string outlook = "HKCU\\Software\\Quarro\\Drovanix\\Outlook";
  const std::vector<Misuse> cases = {
      {"no command", {}, 2, "ostrel-reg: no command given\n"},
      {"unknown command", {"delete", outlook}, 2, "ostrel-reg: unknown command: delete\n"},
      {"missing file",
       {"import", "/nonexistent/Ostrel.reg"},
       1,
       "ostrel-reg: /nonexistent/Ostrel.reg: No such file or directory\n"},
      {"missing key",
       {"query", outlook + "\\Nothing"},
       1,
       "ostrel-reg: key not found: HKCU\\Software\\Quarro\\Drovanix\\Outlook\\Nothing\n"},
      {"missing value",
       {"query", outlook, "/v", "Nothing"},
       1,
       "ostrel-reg: value not found: Nothing in HKCU\\Software\\Quarro\\Drovanix\\Outlook\n"},
      {"export of a missing key",
       {"export", outlook + "\\Nothing", "-"},
       1,
       "ostrel-reg: key not found: HKCU\\Software\\Quarro\\Drovanix\\Outlook\\Nothing\n"},
      {"unknown root",
       {"query", "HKEY_CLASSES_ROOT\\Ostrel.Connect"},
       2,
       "ostrel-reg: not a registry key: HKEY_CLASSES_ROOT\\Ostrel.Connect\n"},
      {"value name missing", {"query", outlook, "/v"}, 2, "ostrel-reg: /v needs a value name\n"},
      {"unknown option", {"query", outlook, "/f"}, 2, "ostrel-reg: unknown query option: /f\n"},
  };
  for (const Misuse& c : cases) {
    SCOPED_TRACE(c.label);
    const ToolRun run = Tool(profile, c.args);
    EXPECT_EQ(run.exit, c.exit);
    EXPECT_EQ(run.err.rfind(c.message, 0), 0u) << run.err;
  }
  const ToolRun bare = RunTool(files_.dir(), {"--profile"});
  EXPECT_EQ(bare.exit, 2);
  EXPECT_EQ(bare.err.rfind("ostrel-reg: --profile needs a folder\n", 0), 0u) << bare.err;

  // A damaged hive is named, with its line, and left as it is.
  const std::string damage = "Windows Registry Editor Version 5.00\r\n[HKCU\\X]\r\nbroken\r\n";
  WriteBytes(profile.userHive(), damage);
  const ToolRun damaged = Tool(profile, {"import", kInstallFile});
  EXPECT_EQ(damaged.exit, 1);
  EXPECT_TRUE(Contains(damaged.err, profile.userHive().string() + ": line 3: ")) << damaged.err;
  EXPECT_EQ(ReadBytes(profile.userHive()), std::vector<std::uint8_t>(damage.begin(), damage.end()));
}

}  // namespace
}  // namespace ostrel::posix

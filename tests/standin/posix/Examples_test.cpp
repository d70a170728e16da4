// The example scripts, run through ostrel-standin on fresh profiles as a new
// user would run them; each must leave one draft that a real MIME parser reads
// with the request's recipient, subject and payment link.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/Text.h"
#include "host/Registry.h"
#include "posix/PosixPlatform.h"
#include "settings/SettingsLayout.h"
#include "settings/modRegistry.h"
#include "support/TestPlatform.h"

namespace ostrel {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string output;
};

Outcome Execute(const std::string& command) {
  Outcome run;
  FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr)
    return run;
  char buffer[4096];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;)
    run.output.append(buffer, got);
  run.status = ::pclose(pipe);
  return run;
}

// ostrel-standin on the profile with the script's lines.
Outcome RunScript(const fs::path& profile, const std::string& lines,
                  const std::string& version = "16") {
  fs::create_directories(profile);
  const fs::path script = profile.parent_path() / (profile.filename().string() + ".txt");
  std::ofstream(script) << lines;
  return Execute(std::string("'") + OSTREL_STANDIN_PROGRAM + "' --profile '" + profile.string() +
                 "' --outlook-version " + version + " --script '" + script.string() + "'");
}

std::vector<fs::path> Drafts(const fs::path& profile) {
  std::vector<fs::path> drafts;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(profile / "Outbox", ignored))
    if (entry.path().extension() == ".eml")
      drafts.push_back(entry.path());
  return drafts;
}

// To, Subject (decoded) and whether the HTML body links to the checkout, one
// per line.
std::string ParseDraft(const fs::path& eml) {
  const std::string script =
      "import email, email.policy, sys\n"
      "m = email.message_from_bytes(open(sys.argv[1], 'rb').read(), policy=email.policy.default)\n"
      "body = m.get_content()\n"
      "print(m['X-Unsent'])\n"
      "print(m['To'] or '')\n"
      "print(m['Subject'] or '')\n"
      "print(m.get_content_type(), 'webscr?cmd=' in body, '<HR>' in body)\n";
  const fs::path file = eml.parent_path() / "read.py";
  std::ofstream(file) << script;
  return Execute("python3 '" + file.string() + "' '" + eml.string() + "'").output;
}

TEST(StandinExamples, EachTypeEndsAsADraft) {
  const struct {
    const char* script;
    const char* expected;
  } cases[] = {
      {"general.txt", "1\n\nInvoice 2026-117: garden design\ntext/html True True\n"},
      {"product.txt",
       "1\nann.lee@example.com\nYour order: hand-thrown mugs\ntext/html True True\n"},
      {"service.txt", "1\nclient@example.com\nPhotography, 12 November\ntext/html True True\n"},
      {"auction.txt", "1\nwinner@example.com\nItem #: A17\ntext/html True True\n"},
      {"donation.txt",
       "1\nfriends@example.com\n\u0141\u00f3d\u017a \u03a8: help us mend the village hall "
       "roof\ntext/html True "
       "True\n"},
  };
  const auto platform = test::MakeTestPlatform();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    const fs::path profile = platform->TempDir() / c.script;
    const Outcome run =
        Execute(std::string("'") + OSTREL_STANDIN_PROGRAM + "' --profile '" + profile.string() +
                "' --script '" + OSTREL_TEST_SOURCE_DIR + "/examples/" + c.script + "'");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("add-in Ostrel.Connect loaded"), std::string::npos) << run.output;
    const auto drafts = Drafts(profile);
    ASSERT_EQ(drafts.size(), 1u) << run.output;
    EXPECT_NE(run.output.find("mail displayed: " + drafts[0].string()), std::string::npos)
        << run.output;
    EXPECT_EQ(ParseDraft(drafts[0]), c.expected);
  }
}

// A run's output as the Windows stand-in gives it too, which is checked
// against the same expected files: the Linux profile's set-up ("profile: ...")
// is left out, and the add-in's folder, the server file an add-in was loaded
// from and the path of each draft are named by placeholders.
std::string Comparable(const std::string& output) {
  const std::string addin = fs::canonical(OSTREL_TEST_ADDIN_DIR).string();
  std::istringstream lines(output);
  std::string comparable;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("profile: "))
      continue;
    if (const std::size_t at = line.find(" loaded from "); at != std::string::npos)
      line = line.substr(0, at) + " loaded from <server>";
    if (line.starts_with("mail displayed: "))
      line = "mail displayed: <draft>";
    for (std::size_t at; (at = line.find(addin)) != std::string::npos;)
      line.replace(at, addin.size(), "<addin>");
    comparable += line + "\n";
  }
  return comparable;
}

TEST(StandinExamples, WindowWatchAndToolbarGiveTheExpectedOutput) {
  const auto platform = test::MakeTestPlatform();
  // The Outlook version each script plays.
  const struct {
    const char* name;
    const char* version;
  } scripts[] = {{"lifecycle", "16"}, {"ribbon", "16"}, {"outlook2003", "11"}};
  for (const auto& [name, version] : scripts) {
    SCOPED_TRACE(name);
    const std::string examples = std::string(OSTREL_TEST_SOURCE_DIR) + "/examples/" + name;
    const Outcome run = Execute(std::string("'") + OSTREL_STANDIN_PROGRAM + "' --profile '" +
                                (platform->TempDir() / name).string() + "' --outlook-version " +
                                version + " --script '" + examples + ".txt'");
    EXPECT_EQ(run.status, 0) << run.output;
    std::ifstream expected(examples + ".expected", std::ios::binary);
    EXPECT_EQ(Comparable(run.output), std::string(std::istreambuf_iterator<char>(expected), {}));
  }
}

TEST(StandinExamples, AnAddinInAFolderOutsideWindows1252LoadsWhereTheCodePageHasIt) {
  // "\u0141\u00F3d\u017A-addin": Polish letters that Windows-1252 lacks and 1250 has.
  const auto platform = test::MakeTestPlatform();
  const fs::path home = platform->TempDir() /
                        "\xC5\x81\xC3\xB3"
                        "d\xC5\xBA-addin";
  fs::create_directories(home);
  fs::copy(OSTREL_STANDIN_PROGRAM, home / "ostrel-standin");
  fs::copy(OSTREL_TEST_ADDIN_DIR, home / "addin", fs::copy_options::recursive);
  const fs::path profile = platform->TempDir() / "profile";
  const Outcome run =
      Execute("env -u LC_ALL -u LC_CTYPE LANG=pl_PL.UTF-8 '" + (home / "ostrel-standin").string() +
              "' --profile '" + profile.string() + "' --script '" + OSTREL_TEST_SOURCE_DIR +
              "/examples/auction.txt'");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("add-in Ostrel.Connect loaded from " +
                            (home / "addin" / "Ostrel.so").string()),
            std::string::npos)
      << run.output;
  const auto drafts = Drafts(profile);
  ASSERT_EQ(drafts.size(), 1u) << run.output;
  EXPECT_EQ(ParseDraft(drafts[0]), "1\nwinner@example.com\nItem #: A17\ntext/html True True\n");
}

// The ribbon group in German: labels and screen tips from the German library,
// the pictures with their alpha, and the commands run from it.
TEST(StandinExamples, TheRibbonSpeaksGerman) {
  const auto platform = test::MakeTestPlatform();
  const Outcome run = Execute("env -u LC_ALL -u LC_MESSAGES LANG=de_DE.UTF-8 '" +
                              std::string(OSTREL_STANDIN_PROGRAM) + "' --profile '" +
                              (platform->TempDir() / "profile").string() + "' --script '" +
                              OSTREL_TEST_SOURCE_DIR + "/examples/ribbon.txt'");
  EXPECT_EQ(run.status, 0) << run.output;
  for (const char* line :
       {"  button id \"QuarroButton\" label \"Zahlungsanforderung\" screentip \"Eine neue "
        "Zahlungsanforderung per E-Mail erstellen\" large image 32x32 alpha action \"OnAction\"\n",
        "    button id \"QuarroHelp\" label \"Hilfe\" screentip \"Hilfe\" image 16x16 alpha",
        "click QuarroUpdate (ribbon)\nshell open "})
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
}

TEST(StandinExamples, ScriptsStopAtTheFirstActionThatCannotBeDone) {
  const auto platform = test::MakeTestPlatform();
  const fs::path dir = platform->TempDir();
  const struct {
    const char* lines;
    const char* error;
  } cases[] = {
      {"start\nclick QuarroGeneral\nclick cmdNope\nquit\n", "script.txt:3: error"},
      {"click QuarroGeneral\n", "script.txt:1: error: Outlook is not running"},
      {"start\nclick QuarroGeneral\ntype txtGeneralQuarroID nobody\nclick cmdHelp\n"
       "click cmdCancel\n",
       "script.txt:5: error: a message box is up"},
      {"start\nanswer OK\n", "script.txt:2: error: answer: no message box is up"},
      {"start sideways\n", "script.txt:1: error: start: \"sideways\" is not explorer"},
      {"start\nclose-explorer 2\n", "script.txt:2: error: explorer 2 is not open"},
      {"start\nclose-inspector\n", "script.txt:2: error: no inspector is open"},
      {"fail Send\n", "script.txt:1: error: fail: no host operation is named \"Send\""},
  };
  int n = 0;
  for (const auto& c : cases) {
    const fs::path case_dir = dir / std::to_string(n++);
    fs::create_directories(case_dir);
    std::ofstream(case_dir / "script.txt") << c.lines;
    const Outcome run = Execute("cd '" + case_dir.string() + "' && '" + OSTREL_STANDIN_PROGRAM +
                                "' --profile profile --script script.txt");
    EXPECT_NE(run.status, 0) << c.lines;
    EXPECT_NE(run.output.find(c.error), std::string::npos) << run.output;
  }

  // A refused move is not an error: the message box is answered and the user
  // corrects the field.
  const fs::path fine = dir / "fine";
  fs::create_directories(fine);
  std::ofstream(fine / "script.txt")
      << "start\nclick QuarroGeneral\ntype txtGeneralQuarroID nobody\nclick cmdHelp\n"
         "show\nanswer OK\ntype txtGeneralQuarroID me@example.com\ntype mebGeneralAmount 5\n"
         "click cmdNext\nshow\nquit\n";
  const Outcome run = Execute("cd '" + fine.string() + "' && '" + OSTREL_STANDIN_PROGRAM +
                              "' --profile profile --script script.txt");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("refused"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("message box up:"), std::string::npos) << "show works meanwhile";
  EXPECT_NE(run.output.find("optButton(0): (o)"), std::string::npos) << run.output;
}

TEST(StandinProfile, DamagedToolbarSettingsAreReportedAndLeftAsTheyAre) {
  const auto platform = test::MakeTestPlatform();
  const std::string random("\x8f\x00\xffQ\x1b\r\n\xc3(", 9);
  const struct {
    const char* name;
    const char* content;  // nullptr: a folder of the file's name
  } cases[] = {{"line", "bar=x\r\n"}, {"bytes", random.c_str()}, {"folder", nullptr}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path profile = platform->TempDir() / c.name;
    const fs::path settings = profile / "CommandBars.txt";
    fs::create_directories(profile);
    if (c.content != nullptr)
      std::ofstream(settings, std::ios::binary) << c.content;
    else
      fs::create_directory(settings);
    const Outcome run = RunScript(profile, "start\nshow\nquit\n", "12");
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_NE(run.output.find("CommandBars.txt"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("Outlook starts without the saved toolbars"), std::string::npos)
        << run.output;
    EXPECT_NE(run.output.find("toolbar \"Quarro\": top, visible"), std::string::npos)
        << "the add-in's toolbar is there all the same";
    if (c.content != nullptr) {
      std::ifstream in(settings, std::ios::binary);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), c.content);
    } else {
      EXPECT_TRUE(fs::is_directory(settings));
    }
  }
}

// A first start killed after part of the registration was written: the next
// start completes what is missing and keeps what the user changed.
TEST(StandinProfile, AnInstallationCutShortIsCompleted) {
  const auto platform = test::MakeTestPlatform();
  const fs::path profile = platform->TempDir() / "profile";
  ASSERT_EQ(RunScript(profile, "").status, 0);
  const String addins = String(settings::kOutlookKey) + u"\\Addins\\Ostrel.Connect";
  const String euro = settings::CurrencyKey(1);
  const String dollar = settings::CurrencyKey(0);
  {
    posix::PosixPlatform cut(posix::PosixOptions{profile.string(), {}});
    host::Registry& registry = cut.services().registry;
    ASSERT_EQ(registry.DeleteTree(host::RegRoot::CurrentUser, addins), 0);
    ASSERT_EQ(registry.DeleteTree(host::RegRoot::CurrentUser, euro), 0);
    ASSERT_TRUE(WriteRegValue(cut.services(), host::RegRoot::CurrentUser, dollar, u"Name",
                              RegValue::Text(u"Dollars, my own name"), host::kRegSz));
  }
  const Outcome run = RunScript(profile, "start\nclick QuarroGeneral\nshow\nquit\n");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_NE(run.output.find("profile: installation data completed (2 of"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("profile: add-in registration completed (3 of"), std::string::npos)
      << run.output;
  EXPECT_NE(run.output.find("[frmWizard]"), std::string::npos) << "the add-in works again";

  posix::PosixPlatform after(posix::PosixOptions{profile.string(), {}});
  const auto read = [&](const String& key, const char16_t* name) {
    return ReadRegValue(after.services(), host::RegRoot::CurrentUser, key, name);
  };
  EXPECT_EQ(read(addins, u"LoadBehavior"), RegValue::Number(3));
  EXPECT_EQ(read(euro, u"Code"), RegValue::Text(u"EUR"));
  EXPECT_EQ(read(dollar, u"Name"), RegValue::Text(u"Dollars, my own name"));
}

}  // namespace
}  // namespace ostrel

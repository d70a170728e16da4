// The built help file holds every topic the add-in asks for, its pages link
// only to pages it holds, and the stand-in's viewer shows a topic on a desktop
// by writing the file's pages out and handing the topic to the opener.
#include <chm_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>

#include "common/Text.h"
#include "platform/posix/FakeOpener.h"
#include "posix/Cp1252.h"
#include "posix/RecordingUi.h"
#include "support/TestPlatform.h"

namespace ostrel::posix {
namespace {

namespace fs = std::filesystem;
using test::Lines;

const std::string kHelpFile = OSTREL_TEST_ADDIN_DIR "/Ostrel.chm";

struct ChmCloser {
  void operator()(chmFile* file) const { chm_close(file); }
};
using Chm = std::unique_ptr<chmFile, ChmCloser>;

std::optional<std::string> ReadObject(chmFile* chm, const std::string& path) {
  chmUnitInfo unit{};
  if (chm_resolve_object(chm, path.c_str(), &unit) != CHM_RESOLVE_SUCCESS)
    return std::nullopt;
  std::string bytes(static_cast<std::size_t>(unit.length), '\0');
  const LONGINT64 read =
      chm_retrieve_object(chm, &unit, reinterpret_cast<unsigned char*>(bytes.data()), 0,
                          static_cast<LONGINT64>(unit.length));
  if (read != static_cast<LONGINT64>(unit.length))
    return std::nullopt;
  return bytes;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Every href="..." of a page that names a page of the help file itself.
std::vector<std::string> LocalLinks(const std::string& page) {
  std::vector<std::string> links;
  for (std::size_t at = page.find("href=\""); at != std::string::npos;
       at = page.find("href=\"", at + 1)) {
    const std::size_t start = at + 6;
    std::string target = page.substr(start, page.find('"', start) - start);
    target = target.substr(0, target.find('#'));
    if (!target.empty() && target.find(':') == std::string::npos)
      links.push_back(target);
  }
  return links;
}

TEST(HelpFile, HoldsEveryTopicTheAddinOpens) {
  const Chm chm(chm_open(kHelpFile.c_str()));
  ASSERT_TRUE(chm) << kHelpFile;

  // The wizard's page topics, the About dialog's credits, the context help.
  struct Object {
    std::string path;
    std::size_t atLeast;
    std::string mustHold;
  };
  std::vector<Object> objects;
  for (int page = 0; page <= 8; ++page)
    objects.push_back({"/" + std::to_string(page) + ".htm", 1200, "</html>"});
  objects.push_back({"/Credits.htm", 300, "</html>"});
  objects.push_back({"/Context.txt", 1000, ".topic 1203\r\n"});
  for (const Object& object : objects) {
    const std::optional<std::string> bytes = ReadObject(chm.get(), object.path);
    ASSERT_TRUE(bytes.has_value()) << object.path << " is missing";
    EXPECT_GE(bytes->size(), object.atLeast) << object.path;
    EXPECT_NE(bytes->find(object.mustHold), std::string::npos) << object.path;
    if (object.path.ends_with(".htm")) {
      EXPECT_NE(bytes->find("<title>"), std::string::npos) << object.path;
      for (const std::string& link : LocalLinks(*bytes))
        EXPECT_TRUE(ReadObject(chm.get(), "/" + link).has_value())
            << object.path << " links to " << link << ", which the help file lacks";
    }
  }
}

// The desktop opener is a script that logs its argument, so no browser starts.
TEST(RecordingHelpViewer, ShowsTopicsOnADesktopAndReportsWhatItCannotShow) {
  const auto platform = test::MakeTestPlatform();
  const fs::path dir = platform->TempDir();
  const test::FakeOpener opener(dir);
  const fs::path temp = dir / "tmp";
  fs::create_directories(temp);

  const Chm chm(chm_open(kHelpFile.c_str()));
  ASSERT_TRUE(chm);
  // The add-in names the file as its folder, a backslash and the file name.
  const std::string addin = OSTREL_TEST_ADDIN_DIR;
  const String helpFile = Utf8ToUtf16(addin + "\\Ostrel.chm");
  const String missingFile = Utf8ToUtf16(addin + "\\Missing.chm");

  struct Case {
    const char* name;
    bool desktop;
    String file;
    std::uint32_t command;
    String data;
    std::string shownObject;  // the page written and opened; "" for none
    std::string report;       // the listener's second line; "" for none
    host::WindowHandle result;
  };
  const Case cases[] = {
      {"no desktop", false, helpFile, host::kHhDisplayTopic, u"3.htm", "", "", kHelpWindow},
      {"missing topic", true, helpFile, host::kHhDisplayTopic, u"9.htm", "",
       "help: topic 9.htm not found in " + addin + "/Ostrel.chm", kHelpWindow},
      {"missing file", true, missingFile, host::kHhDisplayTopic, u"3.htm", "",
       "help: cannot open the help file " + addin + "/Missing.chm", host::WindowHandle::None},
      {"other command", true, helpFile, 0x0F, u"", "", "", kHelpWindow},
      {"topic", true, helpFile, host::kHhDisplayTopic, u"3.htm", "3.htm", "", kHelpWindow},
      {"case and anchor", true, helpFile, host::kHhDisplayTopic, u"CREDITS.HTM#top", "Credits.htm",
       "", kHelpWindow},
      {"contents", true, helpFile, host::kHhDisplayToc, u"0", "0.htm", "", kHelpWindow},
  };
  Lines wanted;
  for (const Case& c : cases) {
    Lines lines;
    RecordingHelpViewer viewer(c.desktop, {{"DISPLAY", ":0"}}, opener.program.string(),
                               temp.string());
    viewer.SetListener([&lines](const std::string& line) { lines.push_back(line); });
    EXPECT_EQ(viewer.HtmlHelp(host::WindowHandle::None, c.file, c.command, c.data), c.result)
        << c.name;
    ASSERT_EQ(viewer.Calls().size(), 1u) << c.name;
    const HelpCall& call = viewer.Calls()[0];
    EXPECT_EQ(call.data, c.data) << c.name;
    ASSERT_FALSE(lines.empty()) << c.name;
    EXPECT_TRUE(lines[0].starts_with("help " + Utf16ToUtf8(c.file))) << c.name << ": " << lines[0];
    EXPECT_EQ(lines[0].ends_with(" (opened on the desktop)"), !c.shownObject.empty())
        << c.name << ": " << lines[0];
    EXPECT_EQ(lines.size() > 1 ? lines[1] : "", c.report) << c.name;

    if (c.shownObject.empty()) {
      EXPECT_EQ(call.shown, "") << c.name;
      continue;
    }
    // The page and the style sheet it links are written, byte for byte, into
    // a private folder below the given one.
    const fs::path shown = call.shown;
    EXPECT_EQ(shown.filename(), c.shownObject) << c.name;
    EXPECT_TRUE(fs::relative(shown, temp).begin()->string().starts_with("ostrel-help-"))
        << c.name << ": " << call.shown;
    EXPECT_EQ(fs::status(shown.parent_path().parent_path()).permissions() & fs::perms::all,
              fs::perms::owner_all)
        << c.name;
    EXPECT_EQ(ReadFile(shown), ReadObject(chm.get(), "/" + c.shownObject).value_or("?")) << c.name;
    EXPECT_EQ(ReadFile(shown.parent_path() / "help.css"),
              ReadObject(chm.get(), "/help.css").value_or("?"))
        << c.name;
    wanted.push_back(call.shown);
  }
  std::sort(wanted.begin(), wanted.end());

  EXPECT_EQ(opener.WaitForLines(wanted.size()), wanted);

  // An opener that cannot start is reported like a missing topic.
  Lines lines;
  RecordingHelpViewer viewer(true, {{"DISPLAY", ":0"}}, "/no/such/opener", temp.string());
  viewer.SetListener([&lines](const std::string& line) { lines.push_back(line); });
  EXPECT_EQ(viewer.HtmlHelp(host::WindowHandle::None, helpFile, host::kHhDisplayTopic, u"8.htm"),
            kHelpWindow);
  EXPECT_EQ(viewer.Calls().at(0).shown, "");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(lines[1].starts_with("help: cannot start /no/such/opener")) << lines[1];
}

}  // namespace
}  // namespace ostrel::posix

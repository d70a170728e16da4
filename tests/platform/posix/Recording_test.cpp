// The stand-in's shell, help viewer, message boxes, file-open dialog and screen:
// what they record, what they answer, the lines a terminal program prints, and
// when the shell hands an address to the Linux desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/posix/FakeOpener.h"
#include "posix/Cp1252.h"
#include "posix/RecordingUi.h"
#include "posix/RecordingWindows.h"
#include "support/TestPlatform.h"

namespace ostrel::posix {
namespace {

using test::Lines;
constexpr auto kOwner = static_cast<host::WindowHandle>(0x77);

EventListener Into(Lines& lines) {
  return [&lines](const std::string& line) { lines.push_back(line); };
}

TEST(RecordingDialogs, AMessageBoxIsPendingUntilAnswered) {
  RecordingDialogs dialogs;
  EXPECT_FALSE(dialogs.PendingMessage().has_value());
  EXPECT_FALSE(dialogs.AnswerMessage()) << "no box is up";

  EXPECT_EQ(dialogs.MessageBox(kOwner, u"first", u"Ostrel", host::kMbIconError), host::kIdOk);
  EXPECT_EQ(dialogs.MessageBox(kOwner, u"second", u"Ostrel", host::kMbOk), host::kIdOk);
  ASSERT_TRUE(dialogs.PendingMessage().has_value());
  EXPECT_EQ(dialogs.PendingMessage()->text, u"second") << "the later box is the one up";
  EXPECT_EQ(dialogs.PendingMessage()->type, host::kMbOk);

  EXPECT_TRUE(dialogs.AnswerMessage());
  EXPECT_FALSE(dialogs.PendingMessage().has_value());
  EXPECT_FALSE(dialogs.AnswerMessage());

  ASSERT_EQ(dialogs.Messages().size(), 2u);
  const MessageBoxCall& first = dialogs.Messages()[0];
  EXPECT_EQ(first.owner, kOwner);
  EXPECT_EQ(first.caption, u"Ostrel");
  EXPECT_EQ(first.text, u"first");
  EXPECT_EQ(first.type, host::kMbIconError);
}

TEST(RecordingDialogs, OpenFileAnswersComeFromTheQueueThenCancel) {
  RecordingDialogs dialogs;
  dialogs.QueueOpenFileAnswer(u"C:\\Templates\\a.txt");
  dialogs.QueueOpenFileAnswer(u"");
  dialogs.QueueOpenFileAnswer(u"C:\\Templates\\b.txt");
  const host::OpenFileRequest request{kOwner, u"Load Template", u"C:\\Templates",
                                      host::kOfnLoadTemplate};
  const std::vector<String> expected = {u"C:\\Templates\\a.txt", u"", u"C:\\Templates\\b.txt", u"",
                                        u""};
  for (std::size_t i = 0; i < expected.size(); ++i)
    EXPECT_EQ(dialogs.GetOpenFileName(request), expected[i]) << "call " << i;

  ASSERT_EQ(dialogs.OpenFileRequests().size(), expected.size());
  const host::OpenFileRequest& recorded = dialogs.OpenFileRequests().back();
  EXPECT_EQ(recorded.owner, kOwner);
  EXPECT_EQ(recorded.title, u"Load Template");
  EXPECT_EQ(recorded.initialDir, u"C:\\Templates");
  EXPECT_EQ(recorded.flags, host::kOfnLoadTemplate);
}

TEST(RecordingUi, TheListenerGetsOneReadableLinePerEvent) {
  Lines lines;
  RecordingShell shell;
  RecordingHelpViewer help;
  RecordingDialogs dialogs;
  shell.SetListener(Into(lines));
  help.SetListener(Into(lines));
  dialogs.SetListener(Into(lines));

  EXPECT_EQ(shell.ShellExecute(kOwner, u"open", u"https://example.com/pay?a=1&b=2", u"", u"",
                               host::kSwShowNormal),
            kShellSuccess);
  shell.ShellExecute(kOwner, u"", u"C:\\x\\Read me.txt", u"/p", u"C:\\x", host::kSwShowNormal);
  EXPECT_EQ(help.HtmlHelp(kOwner, u"Z:\\x\\Ostrel.chm", host::kHhDisplayTopic, u"3.htm"),
            kHelpWindow);
  help.HtmlHelp(kOwner, u"Z:\\x\\Caf\u00e9 \u0141\u00f3d\u017a.chm", host::kHhDisplayToc, u"");
  help.HtmlHelp(kOwner, u"Z:\\x\\Ostrel.chm", 0x0F, u"");
  dialogs.MessageBox(kOwner, u"Line one\r\nLine two \u20ac\nend", u"Caf\u00e9", host::kMbOk);
  dialogs.QueueOpenFileAnswer(u"C:\\T\\\u00e9.txt");
  dialogs.GetOpenFileName({kOwner, u"Load Template", u"C:\\T", host::kOfnLoadTemplate});
  dialogs.GetOpenFileName({kOwner, u"Load Template", u"", host::kOfnLoadTemplate});

  const Lines expected = {
      "shell open https://example.com/pay?a=1&b=2",
      "shell open C:\\x\\Read me.txt /p in C:\\x",
      "help Z:\\x\\Ostrel.chm topic 3.htm",
      "help Z:\\x\\Caf\u00e9 \u0141\u00f3d\u017a.chm contents",
      "help Z:\\x\\Ostrel.chm command 15",
      "message-box \"Caf\u00e9\": Line one\\nLine two \u20ac\\nend",
      "file-open \"Load Template\" in C:\\T",
      "file-open chose C:\\T\\\u00e9.txt",
      "file-open \"Load Template\"",
      "file-open cancelled",
  };
  EXPECT_EQ(lines, expected);

  ASSERT_EQ(help.Calls().size(), 3u);
  EXPECT_EQ(help.Calls()[0].owner, kOwner);
  EXPECT_EQ(help.Calls()[0].file, u"Z:\\x\\Ostrel.chm");
  EXPECT_EQ(help.Calls()[0].command, host::kHhDisplayTopic);
  EXPECT_EQ(help.Calls()[0].data, u"3.htm");
  ASSERT_EQ(shell.Calls().size(), 2u);
  EXPECT_EQ(shell.Calls()[1].parameters, u"/p");
  EXPECT_EQ(shell.Calls()[1].directory, u"C:\\x");
  EXPECT_FALSE(shell.Calls()[1].launched);
}

// The desktop opener is replaced by a script that logs its argument, so no
// browser starts.
TEST(RecordingShell, HandsOnlyOpenedAddressesAndFilesToADesktop) {
  const auto platform = test::MakeTestPlatform();
  const std::filesystem::path dir = platform->TempDir();
  const test::FakeOpener opener(dir);
  const std::filesystem::path document = dir / "document.txt";
  std::ofstream(document) << "x";

  using Environment = std::map<std::string, std::string>;
  const Environment x11 = {{"DISPLAY", ":0"}};
  const Environment wayland = {{"WAYLAND_DISPLAY", "wayland-0"}};
  struct Case {
    const char* name;
    bool desktop;
    Environment environment;
    String verb;
    String file;
    bool launched;
  };
  // Every case that must not launch comes first: a wrong launch then shows in
  // the log by the time the right ones have arrived.
  const Case cases[] = {
      {"no desktop", false, x11, u"open", u"https://example.com/a", false},
      {"no display", true, {{"DISPLAY", ""}}, u"open", u"https://example.com/b", false},
      {"not a web address", true, x11, u"open", u"mailto:a@example.com", false},
      {"missing file", true, x11, u"open", u"/no/such/file.txt", false},
      {"other verb", true, x11, u"print", u"https://example.com/c", false},
      {"x11", true, x11, u"open", u"https://example.com/d", true},
      {"wayland, default verb", true, wayland, u"", u"HTTP://EXAMPLE.COM/E", true},
      {"existing file", true, x11, u"Open", document.u16string(), true},
  };
  Lines wanted;
  for (const Case& c : cases) {
    RecordingShell shell(c.desktop, c.environment, opener.program.string());
    EXPECT_EQ(shell.ShellExecute(kOwner, c.verb, c.file, u"", u"", host::kSwShowNormal),
              kShellSuccess)
        << c.name;
    ASSERT_EQ(shell.Calls().size(), 1u);
    EXPECT_EQ(shell.Calls()[0].launched, c.launched) << c.name;
    if (c.launched)
      wanted.push_back(std::filesystem::path(c.file).string());
  }
  std::sort(wanted.begin(), wanted.end());

  EXPECT_EQ(opener.WaitForLines(wanted.size()), wanted);
}

TEST(RecordingShell, AMissingOpenerIsNoFailure) {
  RecordingShell shell(true, {{"DISPLAY", ":0"}}, "/no/such/opener");
  EXPECT_EQ(shell.ShellExecute(kOwner, u"open", u"https://example.com", u"", u"", 1),
            kShellSuccess);
  EXPECT_FALSE(shell.Calls().at(0).launched);
}

TEST(RecordingWindows, ScreenSizeIsSettable) {
  RecordingWindows windows;
  EXPECT_EQ(windows.GetSystemMetrics(host::kSmCxScreen), 1920);
  EXPECT_EQ(windows.GetSystemMetrics(host::kSmCyScreen), 1080);
  windows.SetScreenSize(1024, 768);
  EXPECT_EQ(windows.GetSystemMetrics(host::kSmCxScreen), 1024);
  EXPECT_EQ(windows.GetSystemMetrics(host::kSmCyScreen), 768);
  EXPECT_EQ(windows.GetSystemMetrics(2), 0);
}

}  // namespace
}  // namespace ostrel::posix

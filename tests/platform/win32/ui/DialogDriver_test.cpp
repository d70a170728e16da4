// The script driver on the real windows, from its own thread while the test's
// thread runs the host's plain message loop: real message boxes included, and
// what `show` prints read back from the windows.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "com/DialogDriver.h"
#include "platform/win32/ui/ViewSupport.h"
#include "templates/frmTemplate.h"
#include "win32/Win32Services.h"

namespace ostrel::test {
namespace {

using standin::DialogOutcome;
using standin::com::DriverError;
using DialogDriver = standin::com::WindowDialogDriver;

// Runs the script on a thread of its own, as a script session does, while this
// thread runs the loop the dialogs live in.
void RunScript(std::vector<std::string>& lines, const std::function<void(DialogDriver&)>& script) {
  DialogDriver driver;
  std::atomic<bool> done{false};
  std::thread runner([&] {
    try {
      script(driver);
    } catch (const DriverError& error) {
      lines.push_back(std::string("error: ") + error.what());
    }
    done = true;
  });
  while (!done) {
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    Pump();
  }
  runner.join();
}

TEST(DialogDriver, DrivesTheRealWindowsAndReadsThemBack) {
  Shown s;
  win32::Win32CommonDialogs realBoxes;
  s.f.dialogs.realBoxes = &realBoxes;
  frmWizard& w = *s.f.OpenForType(4);
  Pump();
  const HWND wizardWindow = s.Window(w);
  const std::string message =
      "This does not look like a Quarro account ID. Your account ID is the e-mail address you use "
      "with Quarro, for example name@example.com.";
  std::vector<std::string> lines;
  std::vector<DialogOutcome> outcomes;
  RunScript(lines, [&](DialogDriver& d) {
    outcomes.push_back(d.Type("txtDonationQuarroID", "nobody"));
    outcomes.push_back(d.Tab());
    const auto box = d.MessageBox();
    if (box)
      lines.push_back("message box up: \"" + box->caption + "\": " + box->text);
    for (const std::string& line : d.Show())
      lines.push_back(line);
    outcomes.push_back(d.Click("cmdNext"));
    lines.push_back(d.AnswerMessageBox("OK") ? "answered" : "no box to answer");
    for (const auto& [name, text] : std::vector<std::pair<const char*, const char*>>{
             {"txtDonationQuarroID", "fund@example.org"}, {"txtDonationNote", "Roof\nappeal"}})
      outcomes.push_back(d.Type(name, text));
    outcomes.push_back(d.Click("cmdNext"));
    outcomes.push_back(d.Click("cmdTemplate"));
    outcomes.push_back(d.Type("txtTemplate", "[BUTTON]"));
    outcomes.push_back(d.Close());
    for (const char* name :
         {"cmdNext", "cmdBack", "cmdBack", "cmdBack", "optPaymentRequestType(0)", "cmdNext"})
      outcomes.push_back(d.Click(name));
    outcomes.push_back(d.Select("cmbGeneralCurrency", 2));
    outcomes.push_back(d.Close());
    outcomes.push_back(d.Click("cmdNext"));
  });
  // The refused Tab keeps the focus in the account box; with its message box
  // up a click is not possible; once the wizard is closed there is no dialog.
  std::vector<DialogOutcome> expectedOutcomes(18, DialogOutcome::Done);
  expectedOutcomes[1] = DialogOutcome::Refused;
  expectedOutcomes[2] = DialogOutcome::NotPossible;
  expectedOutcomes[17] = DialogOutcome::NoDialog;
  EXPECT_EQ(outcomes, expectedOutcomes);
  const std::vector<std::string> expected = {
      "message box up: \"Quarro Payment Request\": " + message,
      "[frmWizard] Quarro Payment Request Wizard",
      "  lblTitle(5): \"Donation\"",
      "  lblSubtitle(5): \"Invite supporters to give to your cause. Each donor chooses how much to "
      "give.\"",
      "  imgHeaderSymbol(5): picture",
      "  lblDonationQuarroID: \"Your &Quarro account ID:*\"",
      "  txtDonationQuarroID: [nobody] (required) (focus)",
      "  lblDonationTo: \"&Send to (e-mail):\"",
      "  txtDonationTo: []",
      "  lblDonationSubject: \"S&ubject:\"",
      "  txtDonationSubject: []",
      "  lblDonationBuyerFirst: \"Donor's &first name:\"",
      "  txtDonationFirstName: []",
      "  lblDonationBuyerLast: \"Donor's &last name:\"",
      "  txtDonationLastName: []",
      "  lblDonationNote: \"&Purpose of the donation:\"",
      "  txtDonationNote: []",
      "  cmdHelp: <&Help>",
      "  cmdBack: << &Back>",
      "  cmdNext: <&Next >>",
      "  cmdCancel: <Cancel>",
      "answered",
  };
  EXPECT_EQ(lines, expected);
  ASSERT_EQ(s.f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(Native(s.f.dialogs.boxes[0].owner), wizardWindow) << "the box is the wizard's";
  EXPECT_EQ(w.txtDonationNote.Text(), u"Roof\r\nappeal");
  EXPECT_EQ(w.cmbGeneralCurrency.ListIndex(), 2);
  EXPECT_EQ(s.f.state.TemplateChooser(), nullptr) << "its close box cancelled the chooser";
  EXPECT_EQ(s.f.state.Wizard(), nullptr) << "its close box closed the wizard";
}

TEST(DialogDriver, ModalChooserOwnersAndAWizardThatCannotOpen) {
  Shown s;
  const HWND outlook = ::CreateWindowExW(0, L"STATIC", L"Outlook", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                         100, nullptr, nullptr, nullptr, nullptr);
  s.views.SetOwner(static_cast<host::WindowHandle>(reinterpret_cast<std::uintptr_t>(outlook)));
  ::ShowWindow(outlook, SW_SHOW);
  ::SetActiveWindow(outlook);
  win32::Win32CommonDialogs realBoxes;
  s.f.dialogs.realBoxes = &realBoxes;

  // Without the installation data the wizard unloads in the event that opened
  // it: its window never appears, and its message stands over Outlook's window.
  s.f.test->ClearAddinSettings();
  HWND boxOwner = nullptr;
  {
    DialogDriver driver;
    std::thread answerer([&] {
      for (int tries = 0; tries < 500 && driver.MessageBoxUp() == nullptr; ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      if (const HWND box = driver.MessageBoxUp()) {
        boxOwner = ::GetWindow(box, GW_OWNER);
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
      }
    });
    s.f.Open();
    answerer.join();
  }
  s.f.dialogs.realBoxes = nullptr;
  Pump();
  EXPECT_EQ(s.f.state.Wizard(), nullptr);
  ASSERT_EQ(s.f.dialogs.boxes.size(), 1u);
  EXPECT_EQ(boxOwner, outlook);
  std::vector<std::string> lines;
  HWND front = nullptr;
  RunScript(lines, [&front](DialogDriver& d) { front = d.FrontDialog(); });
  EXPECT_EQ(front, nullptr);

  s.f.Install();
  frmWizard& w = *s.f.OpenForType(0);
  w.ChangePage(7);
  Pump();
  EXPECT_EQ(::GetWindow(s.Window(w), GW_OWNER), outlook);
  EXPECT_EQ(Native(w.hWnd), s.Window(w));
  s.Click(w.cmdTemplate);
  frmTemplate* chooser = s.f.state.TemplateChooser();
  ASSERT_NE(chooser, nullptr);
  EXPECT_EQ(::GetWindow(s.Window(*chooser), GW_OWNER), s.Window(w));
  EXPECT_FALSE(::IsWindowEnabled(s.Window(w))) << "the wizard waits for its modal chooser";
  EXPECT_EQ(::GetActiveWindow(), s.Window(*chooser));
  EXPECT_EQ(Names(Mismatches(s, *chooser)), "");
  s.Click(chooser->cmdCancel);
  EXPECT_TRUE(::IsWindowEnabled(s.Window(w)));
  EXPECT_EQ(::GetActiveWindow(), s.Window(w));
  EXPECT_EQ(Names(Mismatches(s, w)), "");
  ::DestroyWindow(outlook);
}

}  // namespace
}  // namespace ostrel::test

// The About dialog: version, title, legal texts, and the system-information
// tool, credits and web page.
#pragma once

#include "addin/AddInState.h"
#include "host/Registry.h"
#include "host/ui/Dialog.h"

namespace ostrel {

// "Version 1.0.2" for major 1, minor 0, revision 2.
// "Version 1.0.2", with the word in the user's language when given.
String VersionLabel(int major, int minor, int revision, const String& word = u"Version");

class frmAbout : public ui::Dialog {
 public:
  explicit frmAbout(AddInState& state);

  void Form_Load();

  void cmdOK_Click();
  void cmdSysInfo_Click();
  void cmdCredits_Click();
  void lblQuarroURL_Click();
  void StartSysInfo();
  // Reads one value as text (REG_SZ as it is, REG_DWORD as decimal digits); a
  // value of another type leaves keyValue as it was. False, with keyValue
  // empty, when the key or the value cannot be read.
  bool GetKeyValue(host::RegRoot keyRoot, const String& keyName, const String& subKeyRef,
                   String& keyValue);

  AddInState& state;

  ui::Control& picIcon;
  ui::Control& lblTitle;
  ui::Control& lblVersion;
  ui::Control& lblDescription;
  ui::Control& Line1_0;
  ui::Control& lblDisclaimer;
  ui::Control& Line1_1;
  ui::Control& lblCopyright;
  ui::Control& Label1;
  ui::Control& Label2;
  ui::Control& lblURL;
  ui::Control& lblQuarroURL;
  ui::Control& cmdCredits;
  ui::Control& cmdSysInfo;
  ui::Control& cmdOK;
};

// Shows the single About dialog, loading it first when needed.
void ShowAbout(AddInState& state);

}  // namespace ostrel

#include "help/frmAbout.h"

#include <cstring>

#include "common/Text.h"
#include "help/VersionInfo.h"
#include "help/modHelp.h"
#include "host/HostError.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "settings/SettingsLayout.h"
#include "templates/modFile.h"
#include "wizard/frmWizard.h"

namespace ostrel {

using ui::Kind;

namespace {

constexpr std::u16string_view kSysInfoUnavailable =
    u"System Information Is Unavailable At This Time";
constexpr std::u16string_view kFeedbackAddress = u"ostrel-feedback@quarro.com";
constexpr std::u16string_view kWebPageShown = u"www.quarro.com/ostrel";

}  // namespace

String VersionLabel(int major, int minor, int revision, const String& word) {
  return (word.empty() ? String(u"Version") : word) + u" " + DecimalText(major) + u"." +
         DecimalText(minor) + u"." + DecimalText(revision);
}

namespace {

// A text of the library in the user's language; the built-in one where the
// library has none (an older or incomplete library).
String Localised(AddInState& state, std::int32_t id, const String& builtIn) {
  String text = ResString(state, id);
  return text.empty() ? builtIn : text;
}

}  // namespace

frmAbout::frmAbout(AddInState& addin)
    : ui::Dialog(u"frmAbout"),
      state(addin),
      picIcon(Add(Kind::PictureBox, u"picIcon", -1, nullptr, {240, 240, 540, 540})),
      lblTitle(Add(Kind::Label, u"lblTitle", -1, nullptr, {1050, 240, 4125, 480})),
      lblVersion(Add(Kind::Label, u"lblVersion", -1, nullptr, {1050, 780, 4125, 225})),
      lblDescription(Add(Kind::Label, u"lblDescription", -1, nullptr, {1050, 1125, 4125, 570})),
      Line1_0(Add(Kind::Line, u"Line1", 0, nullptr, {225, 1830, 5085, 0})),
      lblDisclaimer(Add(Kind::Label, u"lblDisclaimer", -1, nullptr, {255, 1950, 5055, 1095})),
      Line1_1(Add(Kind::Line, u"Line1", 1, nullptr, {240, 3060, 5070, 0})),
      lblCopyright(Add(Kind::Label, u"lblCopyright", -1, nullptr, {255, 3180, 5055, 255})),
      Label1(Add(Kind::Label, u"Label1", -1, nullptr, {255, 3540, 1695, 255})),
      Label2(Add(Kind::Label, u"Label2", -1, nullptr, {1995, 3540, 3315, 255})),
      lblURL(Add(Kind::Label, u"lblURL", -1, nullptr, {255, 3840, 1695, 255})),
      lblQuarroURL(Add(Kind::Label, u"lblQuarroURL", -1, nullptr, {1995, 3840, 3315, 255})),
      cmdCredits(Add(Kind::CommandButton, u"cmdCredits", -1, nullptr, {1005, 4260, 1365, 345})),
      cmdSysInfo(Add(Kind::CommandButton, u"cmdSysInfo", -1, nullptr, {2475, 4260, 1365, 345})),
      cmdOK(Add(Kind::CommandButton, u"cmdOK", -1, nullptr, {3945, 4260, 1365, 345})) {
  rect = {0, 0, 5625, 4785};
  Label1.SetCaption(u"Send feedback to:");
  Label2.SetCaption(String(kFeedbackAddress));
  lblURL.SetCaption(u"For more info visit:");
  lblQuarroURL.SetCaption(String(kWebPageShown));
  cmdOK.onClick = [this] { cmdOK_Click(); };
  cmdSysInfo.onClick = [this] { cmdSysInfo_Click(); };
  cmdCredits.onClick = [this] { cmdCredits_Click(); };
  lblQuarroURL.onClick = [this] { lblQuarroURL_Click(); };
}

void frmAbout::Form_Load() {
  lblVersion.SetCaption(VersionLabel(OSTREL_VERSION_MAJOR, OSTREL_VERSION_MINOR,
                                     OSTREL_VERSION_REVISION,
                                     ResString(state, res::kAboutVersion)));
  lblTitle.SetCaption(state.appTitle);
  lblCopyright.SetCaption(state.platform.ansi.FromAnsi(OSTREL_LEGAL_COPYRIGHT));
  // The product line and the warning as the version resource has them, in the
  // user's language where the library has them.
  lblDescription.SetCaption(
      Localised(state, res::kAboutDescription, FromAscii(OSTREL_FILE_DESCRIPTION)));
  lblDisclaimer.SetCaption(Localised(state, res::kAboutDisclaimer, FromAscii(OSTREL_COMMENTS)));
  Label1.SetCaption(Localised(state, res::kAboutFeedback, Label1.Caption()));
  lblURL.SetCaption(Localised(state, res::kAboutMoreInfo, lblURL.Caption()));
  cmdOK.SetCaption(ResString(state, res::kAboutOk));
  cmdSysInfo.SetCaption(ResString(state, res::kAboutSysInfo));
  cmdCredits.SetCaption(ResString(state, res::kAboutCredits));
  caption = ResString(state, res::kAboutCaption);
  // OK comes last in tab order, as it stands rightmost, yet holds the focus
  // as the box opens: Enter closes it.
  SetFocus(cmdOK);
  const host::BitmapHandle icon = ResBitmap(state, DecimalText(res::kHeaderBitmap));
  if (!host::IsNone(icon))
    picIcon.picture = BitmapToPicture(state.platform, icon);
}

void frmAbout::cmdOK_Click() {
  Unload();
}

void frmAbout::cmdSysInfo_Click() {
  StartSysInfo();
}

void frmAbout::cmdCredits_Click() {
  try {
    ShowHelpTopic(state.platform, state.addinFolder + String(kHelpFile), u"Credits.htm");
  } catch (const host::HostError&) {
    state.ShowMessage(hWnd, ResString(state, res::kMessageHelpUnavailable), host::kMbIconError);
  }
}

void frmAbout::lblQuarroURL_Click() {
  state.platform.shell.ShellExecute(hWnd, u"", ResString(state, res::kWebAddress), u"", u"C:\\",
                                    host::kSwShowNormal);
}

void frmAbout::StartSysInfo() {
  String path;
  String location;
  if (GetKeyValue(settings::msinfo::kRoot, String(settings::msinfo::kKey),
                  String(settings::msinfo::kPathValue), path)) {
    // Taken as it is: the tool's own registration names the program.
  } else if (GetKeyValue(settings::msinfo::kRoot, String(settings::msinfo::kLocationKey),
                         String(settings::msinfo::kLocationValue), location) &&
             FileExists(state.platform, location + u"\\MSINFO32.EXE")) {
    path = location + u"\\MSINFO32.EXE";
  }
  if (!path.empty()) {
    try {
      state.platform.shell.StartProgram(path);
      return;
    } catch (const host::HostError&) {
      // Reported below like a tool that is not there.
    }
  }
  state.ShowMessage(hWnd, Localised(state, res::kSysInfoUnavailable, String(kSysInfoUnavailable)));
}

bool frmAbout::GetKeyValue(host::RegRoot keyRoot, const String& keyName, const String& subKeyRef,
                           String& keyValue) {
  host::Registry& registry = state.platform.registry;
  host::RegKey key = host::RegKey::None;
  // Opened for reading like every other read of the add-in: asking for write
  // rights as well would refuse users who may not change HKEY_LOCAL_MACHINE.
  if (registry.OpenKey(keyRoot, keyName, &key) != 0) {
    keyValue.clear();
    return false;
  }
  std::uint8_t buffer[1024] = {};
  std::uint32_t size = sizeof(buffer);
  std::uint32_t type = 0;
  if (registry.QueryValue(key, subKeyRef, &type, buffer, &size) != 0) {
    keyValue.clear();
    registry.CloseKey(key);
    return false;
  }
  std::size_t count = std::min<std::size_t>(size, sizeof(buffer));
  if (type == host::kRegSz) {
    // Up to its terminating null.
    keyValue = FromUtf16Le(std::span(buffer, count));
    keyValue.resize(std::min(keyValue.find(u'\0'), keyValue.size()));
  } else if (type == host::kRegDword && count >= 4) {
    std::int32_t number = 0;
    std::memcpy(&number, buffer, 4);
    keyValue = DecimalText(number);
  }
  registry.CloseKey(key);
  return true;
}

void ShowAbout(AddInState& state) {
  state.LoadAbout().Show();
}

}  // namespace ostrel

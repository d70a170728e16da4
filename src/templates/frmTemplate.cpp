#include "templates/frmTemplate.h"

#include "common/Text.h"
#include "host/HostError.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "templates/modFile.h"
#include "wizard/frmWizard.h"

namespace ostrel {

using ui::Kind;

namespace {

constexpr std::u16string_view kTemplatesFolder = u"\\Templates";

}  // namespace

frmTemplate::frmTemplate(AddInState& addin)
    : ui::Dialog(u"frmTemplate"),
      state(addin),
      txtTemplate(Add(Kind::TextBox, u"txtTemplate", -1, nullptr, {120, 120, 6975, 3735})),
      chkSave(Add(Kind::CheckBox, u"chkSave", -1, nullptr, {120, 3960, 6975, 285})),
      cmdLoad(Add(Kind::CommandButton, u"cmdLoad", -1, nullptr, {120, 4380, 1125, 345})),
      cmdOK(Add(Kind::CommandButton, u"cmdOK", -1, nullptr, {4710, 4380, 1125, 345})),
      cmdCancel(Add(Kind::CommandButton, u"cmdCancel", -1, nullptr, {5970, 4380, 1125, 345})) {
  rect = {0, 0, 7215, 4845};
  txtTemplate.multiLine = true;
  txtTemplate.verticalScrollBar = true;
  cmdLoad.onClick = [this] { cmdLoad_Click(); };
  cmdOK.onClick = [this] { cmdOK_Click(); };
  cmdCancel.onClick = [this] { cmdCancel_Click(); };
  // Closing by the window frame is a Cancel.
  onClose = [this] { cmdCancel_Click(); };
}

String frmTemplate::FilePath(const String& name) const {
  return state.addinFolder + name;
}

void frmTemplate::ShowModal(ui::Dialog& owner) {
  Form_Load();
  ShowModalOver(owner);
}

std::optional<String> frmTemplate::ReadTemplate(const String& path) {
  try {
    return TemplateText(state.platform, state.platform.files.ReadFile(path));
  } catch (const host::HostError&) {
    state.ShowMessage(hWnd, ResString(state, res::kMessageTemplateNotRead), host::kMbIconError);
    return std::nullopt;
  }
}

void frmTemplate::Form_Load() {
  caption = ResString(state, res::kTemplateCaption);
  cmdLoad.SetCaption(ResString(state, res::kTemplateLoad));
  chkSave.SetCaption(ResString(state, res::kTemplateCheckBox));
  cmdOK.SetCaption(ResString(state, res::kTemplateOk));
  cmdCancel.SetCaption(ResString(state, res::kTemplateCancel));

  // The file Finish would use, so that OK never turns a template the user
  // did not see into an empty one: the working file, the type's saved
  // default, else the type template.
  String picked;
  const String working = FilePath(String(kWorkingTemplate));
  const String saved = FilePath(u"\\" + DecimalText(state.PaymentRequestType) + u".txt");
  const String typeTemplate =
      FilePath(u"\\Template" + DecimalText(state.PaymentRequestType) + u".txt");
  if (FileExists(state.platform, working))
    picked = working;
  else if (FileExists(state.platform, saved))
    picked = saved;
  else if (FileExists(state.platform, typeTemplate))
    picked = typeTemplate;
  if (picked.empty())
    return;
  if (auto text = ReadTemplate(picked))
    txtTemplate.SetText(std::move(*text));
}

void frmTemplate::cmdLoad_Click() {
  host::OpenFileRequest request;
  request.owner = hWnd;
  request.title = u"Load Template";
  request.initialDir = FilePath(String(kTemplatesFolder));
  request.flags = host::kOfnLoadTemplate;
  const String chosen = state.platform.dialogs.GetOpenFileName(request);
  if (chosen.empty())
    return;
  if (auto text = ReadTemplate(chosen))
    txtTemplate.SetText(std::move(*text));
}

void frmTemplate::cmdOK_Click() {
  const String working = FilePath(String(kWorkingTemplate));
  try {
    // Written exactly as shown, with no line end added, so the next opening
    // shows the same text.
    state.platform.files.WriteFile(working, TemplateBytes(state.platform, txtTemplate.Text()));
    if (chkSave.Value() == 1)
      state.platform.files.CopyFile(
          working, FilePath(u"\\" + DecimalText(state.PaymentRequestType) + u".txt"));
  } catch (const host::HostError&) {
    state.ShowMessage(hWnd, ResString(state, res::kMessageTemplateNotSaved), host::kMbIconError);
    return;
  }
  Unload();
}

void frmTemplate::cmdCancel_Click() {
  Unload();
}

}  // namespace ostrel

#include "addin/AddIn.h"

#include <utility>
#include <vector>

#include "addin/modCommandBars.h"
#include "common/Text.h"
#include "help/frmAbout.h"
#include "help/modHelp.h"
#include "host/ErrorNumbers.h"
#include "host/HostError.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "settings/frmOptions.h"
#include "templates/frmTemplate.h"
#include "wizard/frmWizard.h"

namespace ostrel {

namespace office = host::office;
namespace outlook = host::outlook;

namespace {

constexpr std::u16string_view kBarName = u"Quarro";
constexpr std::u16string_view kContextHelp = u"\\Ostrel.chm::/Context.txt";
constexpr std::int16_t kFaceWizard = 1992;
constexpr std::int16_t kFaceHelp = 984;
constexpr std::uint32_t kMagenta = 0xFF00FF;

// The error an unset object reference raises (Visual Basic's 91).
template <typename T>
T& Required(T* object) {
  if (object == nullptr)
    throw host::HostError(host::errors::kObjectNotSet, "Object variable not set");
  return *object;
}

// What the clipboard held before the add-in borrowed it for the toolbar face.
// Formats whose data is a GDI object rather than a memory block (bitmaps,
// palettes, metafiles) cannot be copied out; Windows makes CF_BITMAP again from
// the CF_DIB that is kept.
class SavedClipboard {
 public:
  explicit SavedClipboard(host::Clipboard& clipboard) : clipboard_(clipboard) {
    if (!clipboard_.Open(host::WindowHandle::None))
      return;
    for (std::uint32_t format : clipboard_.EnumFormats()) {
      if (IsGdiFormat(format))
        continue;
      if (auto block = clipboard_.GetData(format))
        saved_.emplace_back(format, std::move(*block));
    }
    clipboard_.Close();
  }
  void Restore() {
    if (saved_.empty() || !clipboard_.Open(host::WindowHandle::None))
      return;
    for (const auto& [format, block] : saved_)
      clipboard_.SetData(format, host::kGmemMoveableShare, block);
    clipboard_.Close();
  }

 private:
  static bool IsGdiFormat(std::uint32_t format) {
    switch (format) {
      case 2:     // CF_BITMAP
      case 3:     // CF_METAFILEPICT
      case 9:     // CF_PALETTE
      case 14:    // CF_ENHMETAFILE
      case 0x80:  // CF_OWNERDISPLAY
      case 0x82:  // CF_DSPBITMAP
      case 0x83:  // CF_DSPMETAFILEPICT
      case 0x8E:  // CF_DSPENHMETAFILE
        return true;
      default:
        return false;
    }
  }
  host::Clipboard& clipboard_;
  std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> saved_;
};

}  // namespace

void CommandMember::Set(const std::shared_ptr<office::CommandBarControl>& control) {
  link_.Bind(std::dynamic_pointer_cast<office::CommandBarButton>(control));
}

void CommandMember::Click(office::CommandBarButton&, bool&) {
  // Nothing thrown may reach Outlook: a command that fails is reported.
  try {
    (owner_.*handler_)();
  } catch (...) {
    owner_.ReportCommandFailure();
  }
}

AddIn::AddIn(AddInState& addin)
    : state(addin),
      objExpl(this),
      objCBButton(*this, &AddIn::objCBButton_Click),
      objCBBGeneral(*this, &AddIn::objCBBGeneral_Click),
      objCBBProduct(*this, &AddIn::objCBBProduct_Click),
      objCBBService(*this, &AddIn::objCBBService_Click),
      objCBBAuction(*this, &AddIn::objCBBAuction_Click),
      objCBBDonation(*this, &AddIn::objCBBDonation_Click),
      objCBBOptions(*this, &AddIn::objCBBOptions_Click),
      objCBBHelp(*this, &AddIn::objCBBHelp_Click),
      objCBBAbout(*this, &AddIn::objCBBAbout_Click),
      objCBBUpdate(*this, &AddIn::objCBBUpdate_Click) {}

AddIn::~AddIn() = default;

void AddIn::Initialize(outlook::Application& application, const String& progId) {
  // These two steps are not skipped: a failure ends Initialize.
  state.objOutlook = &application;
  try {
    objExpl.Bind(application.ActiveExplorer());
  } catch (...) {
    return;
  }
  BuildToolbar(progId);
}

void AddIn::BuildToolbar(const String& progId) {
  SkipOnFailure(
      [&] { objCommandBar = Required(objExpl.get()).CommandBars()->Item(String(kBarName)); });
  if (!objCommandBar)
    SkipOnFailure([&] {
      objCommandBar = Required(objExpl.get())
                          .CommandBars()
                          ->Add(String(kBarName), office::msoBarTop, /*temporary=*/false);
    });
  SkipOnFailure([&] { Required(objCommandBar.get()).Reset(); });

  SkipOnFailure([&] {
    objCBButton.Set(Required(objCommandBar.get())
                        .AddControl(office::msoControlButton, std::nullopt, /*temporary=*/true));
  });
  SkipOnFailure([&] { Required(objCBButton.get()).SetBeginGroup(true); });
  SkipOnFailure([&] { Required(objCBButton.get()).SetFaceId(kFaceWizard); });
  SkipOnFailure([&] { Required(objCBButton.get()).SetTag(u"QuarroButton"); });
  SkipOnFailure([&] { Required(objCBButton.get()).SetStyle(office::msoButtonIconAndCaption); });
  SkipOnFailure([&] { Required(objCBButton.get()).SetVisible(true); });

  SkipOnFailure([&] {
    objCBPopup = Required(objCommandBar.get())
                     .AddControl(office::msoControlPopup, std::nullopt, /*temporary=*/true);
  });
  SkipOnFailure([&] { Required(objCBPopup.get()).SetBeginGroup(true); });
  SkipOnFailure([&] { Required(objCBPopup.get()).SetTag(u"QuarroPopup"); });
  SkipOnFailure([&] { Required(objCBPopup.get()).SetVisible(true); });
  SkipOnFailure([&] {
    objPopupBar = Required(dynamic_cast<office::CommandBarPopup*>(objCBPopup.get())).CommandBar();
  });
  SkipOnFailure([&] { Required(objPopupBar.get()).SetAdaptiveMenu(true); });

  struct Row {
    CommandMember& member;
    const char16_t* tag;
    std::int16_t face;
    bool beginGroup;
    std::int16_t style;
  };
  const Row rows[] = {
      {objCBBGeneral, u"QuarroGeneral", kFaceWizard, false, office::msoButtonCaption},
      {objCBBProduct, u"QuarroProduct", kFaceWizard, true, office::msoButtonCaption},
      {objCBBService, u"QuarroService", kFaceWizard, false, office::msoButtonCaption},
      {objCBBAuction, u"QuarroAuction", kFaceWizard, false, office::msoButtonCaption},
      {objCBBDonation, u"QuarroDonation", kFaceWizard, false, office::msoButtonCaption},
      {objCBBOptions, u"QuarroOptions", kFaceWizard, true, office::msoButtonCaption},
      {objCBBHelp, u"QuarroHelp", kFaceHelp, true, office::msoButtonIconAndCaption},
      {objCBBAbout, u"QuarroAbout", kFaceHelp, true, office::msoButtonCaption},
      {objCBBUpdate, u"QuarroUpdate", kFaceHelp, true, office::msoButtonCaption},
  };
  for (const Row& row : rows)
    SkipOnFailure([&] {
      row.member.Set(AddCommandBarButton(progId, objPopupBar.get(), u"", row.tag, u"", row.face,
                                         row.beginGroup, row.style,
                                         /*temporary=*/true));
    });

  SkipOnFailure([&] { Required(objCommandBar.get()).SetVisible(true); });
  SkipOnFailure([&] { ApplyResources(); });
}

void AddIn::ApplyResources() {
  state.helpFile = state.addinFolder + String(kContextHelp);
  if (!OpenResourceLibrary(state)) {
    state.platform.dialogs.MessageBox(host::WindowHandle::None, u"Could not load resource file.",
                                      u"Ostrel", host::kMbOk | host::kMbIconError);
    return;
  }
  state.appTitle = ResString(state, res::kAppTitle);
  state.messageFooter = ResString(state, res::kMessageFooter);
  Required(objCBButton.get()).SetCaption(ResString(state, res::kToolbarFirst));
  Required(objCBPopup.get()).SetCaption(ResString(state, res::kToolbarFirst + 1));
  Required(objCBButton.get()).SetTooltipText(ResString(state, res::kToolbarFirst + 2));
  Required(objCBPopup.get()).SetTooltipText(ResString(state, res::kToolbarFirst + 3));
  const CommandMember* menu[] = {&objCBBGeneral, &objCBBProduct,  &objCBBService,
                                 &objCBBAuction, &objCBBDonation, &objCBBOptions,
                                 &objCBBHelp,    &objCBBAbout,    &objCBBUpdate};
  for (std::int32_t i = 0; i < 9; ++i)
    Required(menu[i]->get()).SetCaption(ResString(state, res::kMenuFirst + i));
  for (std::int32_t i = 0; i < 3; ++i)
    state.messageTable[static_cast<std::size_t>(i)] =
        ResString(state, res::kMessageInvalidAccount + i);
  PasteMainButtonFace();
}

void AddIn::PasteMainButtonFace() {
  const host::BitmapHandle bitmap = ResBitmap(state, DecimalText(res::kToolbarFaceBitmap));
  if (host::IsNone(bitmap))
    return;
  host::Clipboard& clipboard = state.platform.clipboard;
  // The face is passed through the clipboard; what the user had there is put
  // back afterwards instead of being lost.
  SavedClipboard saved(clipboard);
  struct PutBack {
    host::Clipboard& clipboard;
    SavedClipboard& saved;
    ~PutBack() {
      SkipOnFailure([this] { clipboard.Clear(); });
      SkipOnFailure([this] { saved.Restore(); });
    }
  } putBack{clipboard, saved};
  clipboard.Clear();
  const host::PicturePtr picture = BitmapToPicture(state.platform, bitmap);
  CopyFaceToClipboard(state.platform, picture.get(), kMagenta);
  Required(objCBButton.get()).PasteFace();
}

void AddIn::Shutdown() noexcept {
  SkipOnFailure([&] {
    if (frmWizard* w = state.Wizard())
      w->Unload();
  });
  SkipOnFailure([&] {
    if (frmAbout* a = state.About())
      a->Unload();
  });
  SkipOnFailure([&] {
    if (frmOptions* o = state.Options())
      o->Unload();
  });
  SkipOnFailure([&] {
    if (frmTemplate* t = state.TemplateChooser())
      t->Unload();
  });
  SkipOnFailure([&] {
    if (!host::IsNone(state.hResourceLibrary))
      CloseResourceLibrary(state);
  });
  SkipOnFailure([&] { state.CloseDialogs(); });
  objCommandBar.reset();
  objCBPopup.reset();
  objPopupBar.reset();
  objInsp.reset();
  objExpl.Reset();
  state.objOutlook = nullptr;
}

void AddIn::objCBButton_Click() {
  OpenWizard(state);
}
void AddIn::OpenForType(std::int32_t type) {
  OpenWizardForType(state, type);
}
void AddIn::objCBBGeneral_Click() {
  OpenForType(0);
}
void AddIn::objCBBProduct_Click() {
  OpenForType(1);
}
void AddIn::objCBBService_Click() {
  OpenForType(2);
}
void AddIn::objCBBAuction_Click() {
  OpenForType(3);
}
void AddIn::objCBBDonation_Click() {
  OpenForType(4);
}
void AddIn::objCBBOptions_Click() {
  ShowOptions(state);
}
void AddIn::objCBBAbout_Click() {
  ShowAbout(state);
}

void AddIn::objCBBHelp_Click() {
  ShowHelpContents(state.platform, state.addinFolder + String(kHelpFile));
}

void AddIn::objCBBUpdate_Click() {
  frmAbout& about = state.LoadAbout();
  about.Show();
  state.platform.shell.ShellExecute(about.hWnd, u"", ResString(state, res::kUpdateAddress), u"",
                                    u"C:\\", host::kSwShowNormal);
  state.platform.windows.ProcessPendingMessages();
  // The pending messages may have closed it already.
  if (frmAbout* still = state.About())
    still->Unload();
}

void AddIn::objExpl_BeforeFolderSwitch(const String&, bool&) {}

void AddIn::objExpl_Close() {
  // The watch moves to the explorer Outlook now reports as active. Inspectors
  // are not watched: an item window alone keeps the add-in until disconnection.
  outlook::Application* application = state.objOutlook;
  std::shared_ptr<outlook::Explorer> next;
  SkipOnFailure([&] { next = Required(application).ActiveExplorer(); });
  SkipOnFailure([&] { objExpl.Bind(next); });
  SkipOnFailure([&] {
    if (objExpl.get() == nullptr && Required(application).InspectorsCount() == 0)
      Shutdown();
  });
}

void AddIn::ReportCommandFailure() noexcept {
  SkipOnFailure([this] {
    state.ShowMessage(host::WindowHandle::None, ResString(state, res::kMessageCommandFailed),
                      host::kMbIconError);
  });
}

}  // namespace ostrel

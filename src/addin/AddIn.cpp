#include "addin/AddIn.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "addin/modCommandBars.h"
#include "common/Entry.h"
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

// Whether Application.Version ("14.0.0.4760", "16.0.0.0") is Outlook 2010
// or later; false for text that starts with no number.
bool RibbonHostVersion(const String& version) {
  int major = 0;
  std::size_t i = 0;
  for (; i < version.size() && i < 4 && version[i] >= u'0' && version[i] <= u'9'; ++i)
    major = major * 10 + (version[i] - u'0');
  return i > 0 && major >= 14;
}

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
  Guarded([this] { (owner_.*handler_)(); }, [this] { owner_.ReportCommandFailure(); });
}

// ---- One main window and its toolbar ---------------------------------------

ExplorerToolbar::ExplorerToolbar(AddIn& owner, std::shared_ptr<outlook::Explorer> explorer)
    : objExpl(this),
      objCBButton(owner, &AddIn::objCBButton_Click),
      objCBBGeneral(owner, &AddIn::objCBBGeneral_Click),
      objCBBProduct(owner, &AddIn::objCBBProduct_Click),
      objCBBService(owner, &AddIn::objCBBService_Click),
      objCBBAuction(owner, &AddIn::objCBBAuction_Click),
      objCBBDonation(owner, &AddIn::objCBBDonation_Click),
      objCBBOptions(owner, &AddIn::objCBBOptions_Click),
      objCBBHelp(owner, &AddIn::objCBBHelp_Click),
      objCBBAbout(owner, &AddIn::objCBBAbout_Click),
      objCBBUpdate(owner, &AddIn::objCBBUpdate_Click),
      owner_(owner),
      window_(std::move(explorer)) {}

ExplorerToolbar::~ExplorerToolbar() = default;

void ExplorerToolbar::Watch() {
  objExpl.Bind(window_);
}

bool ExplorerToolbar::Complete() const {
  const CommandMember* members[] = {&objCBButton,   &objCBBGeneral,  &objCBBProduct, &objCBBService,
                                    &objCBBAuction, &objCBBDonation, &objCBBOptions, &objCBBHelp,
                                    &objCBBAbout,   &objCBBUpdate};
  if (!objCommandBar || !objCBPopup || !objPopupBar)
    return false;
  return std::all_of(std::begin(members), std::end(members),
                     [](const CommandMember* member) { return member->get() != nullptr; });
}

std::shared_ptr<office::CommandBarControl> ExplorerToolbar::FindOrAdd(int type, const String& tag) {
  // Controls the add-in left on the bar earlier (a disconnection whose
  // deletion failed) are taken again rather than doubled.
  std::shared_ptr<office::CommandBarControl> control;
  SkipOnFailure([&] { control = Required(objCommandBar.get()).FindControl(tag); });
  if (!control)
    control = Required(objCommandBar.get()).AddControl(type, std::nullopt, /*temporary=*/true);
  return control;
}

void ExplorerToolbar::Build(const String& progId) {
  if (owner_.UsesRibbon() || Complete())
    return;
  outlook::Explorer* window = objExpl.get();
  if (!objCommandBar)
    SkipOnFailure([&] { objCommandBar = Required(window).CommandBars()->Item(String(kBarName)); });
  if (!objCommandBar)
    SkipOnFailure([&] {
      objCommandBar = Required(window).CommandBars()->Add(String(kBarName), office::msoBarTop,
                                                          /*temporary=*/false);
    });
  if (objCommandBar && !reset_)
    reset_ = SkipOnFailure([&] { objCommandBar->Reset(); });

  if (!objCBButton.get()) {
    std::shared_ptr<office::CommandBarControl> control;
    SkipOnFailure([&] { control = FindOrAdd(office::msoControlButton, u"QuarroButton"); });
    if (auto* button = dynamic_cast<office::CommandBarButton*>(control.get())) {
      SkipOnFailure([&] { button->SetBeginGroup(true); });
      SkipOnFailure([&] { button->SetFaceId(kFaceWizard); });
      SkipOnFailure([&] { button->SetTag(u"QuarroButton"); });
      SkipOnFailure([&] { button->SetStyle(office::msoButtonIconAndCaption); });
      SkipOnFailure([&] { button->SetVisible(true); });
      SkipOnFailure([&] { objCBButton.Set(control); });
    }
  }
  if (!objCBPopup) {
    std::shared_ptr<office::CommandBarControl> control;
    SkipOnFailure([&] { control = FindOrAdd(office::msoControlPopup, u"QuarroPopup"); });
    if (control) {
      SkipOnFailure([&] { control->SetBeginGroup(true); });
      SkipOnFailure([&] { control->SetTag(u"QuarroPopup"); });
      SkipOnFailure([&] { control->SetVisible(true); });
      objCBPopup = control;
    }
  }
  if (!objPopupBar) {
    SkipOnFailure([&] {
      objPopupBar = Required(dynamic_cast<office::CommandBarPopup*>(objCBPopup.get())).CommandBar();
    });
    SkipOnFailure([&] { Required(objPopupBar.get()).SetAdaptiveMenu(true); });
  }

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
  for (const Row& row : rows) {
    if (row.member.get() != nullptr)
      continue;
    SkipOnFailure([&] {
      row.member.Set(AddCommandBarButton(progId, objPopupBar.get(), u"", row.tag, u"", row.face,
                                         row.beginGroup, row.style,
                                         /*temporary=*/true));
    });
  }

  SkipOnFailure([&] { Required(objCommandBar.get()).SetVisible(true); });
  ApplyCaptions();
  if (!faceSet_)
    faceSet_ = SkipOnFailure([&] { SetMainButtonFace(); });
}

void ExplorerToolbar::ApplyCaptions() {
  AddInState& state = owner_.state;
  if (host::IsNone(state.hResourceLibrary))
    return;
  const auto caption = [&](office::CommandBarControl* control, std::int32_t id) {
    SkipOnFailure([&] { Required(control).SetCaption(ResString(state, id)); });
  };
  const auto tooltip = [&](office::CommandBarControl* control, std::int32_t id) {
    SkipOnFailure([&] { Required(control).SetTooltipText(ResString(state, id)); });
  };
  caption(objCBButton.get(), res::kToolbarFirst);
  caption(objCBPopup.get(), res::kToolbarFirst + 1);
  tooltip(objCBButton.get(), res::kToolbarFirst + 2);
  tooltip(objCBPopup.get(), res::kToolbarFirst + 3);
  const CommandMember* menu[] = {&objCBBGeneral, &objCBBProduct,  &objCBBService,
                                 &objCBBAuction, &objCBBDonation, &objCBBOptions,
                                 &objCBBHelp,    &objCBBAbout,    &objCBBUpdate};
  for (std::int32_t i = 0; i < 9; ++i)
    caption(menu[i]->get(), res::kMenuFirst + i);
}

void ExplorerToolbar::SetMainButtonFace() {
  AddInState& state = owner_.state;
  office::CommandBarButton& button = Required(objCBButton.get());
  const host::BitmapHandle bitmap = ResBitmap(state, DecimalText(res::kToolbarFaceBitmap));
  if (host::IsNone(bitmap))
    return;
  const host::PicturePtr picture = BitmapToPicture(state.platform, bitmap);
  // Picture, then Mask, as Office documents them: the user's clipboard is
  // never touched. Where the host takes no picture (an Office that lacks the
  // properties, or refuses these), the face goes through the clipboard.
  const bool set = SkipOnFailure([&] {
    const host::PicturePtr mask = FaceMaskPicture(state.platform, picture.get(), kMagenta);
    button.SetPicture(Required(picture.get()));
    button.SetMask(Required(mask.get()));
  });
  if (!set)
    PasteFace(button, picture);
}

void ExplorerToolbar::PasteFace(office::CommandBarButton& button, const host::PicturePtr& picture) {
  host::Clipboard& clipboard = owner_.state.platform.clipboard;
  // What the user had on the clipboard is put back afterwards instead of
  // being lost.
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
  CopyFaceToClipboard(owner_.state.platform, picture.get(), kMagenta);
  button.PasteFace();
}

void ExplorerToolbar::DeleteControls() noexcept {
  CommandMember* members[] = {&objCBButton,   &objCBBGeneral,  &objCBBProduct, &objCBBService,
                              &objCBBAuction, &objCBBDonation, &objCBBOptions, &objCBBHelp,
                              &objCBBAbout,   &objCBBUpdate};
  for (CommandMember* member : members)
    SkipOnFailure([&] { member->Set(nullptr); });
  objPopupBar.reset();
  objCBPopup.reset();
  if (!objCommandBar)
    return;
  // Every control carrying one of the add-in's tags goes, however many an
  // earlier run left; the popup takes its menu with it.
  for (const char16_t* tag : {u"QuarroButton", u"QuarroPopup"}) {
    for (int i = 0; i < 32; ++i) {
      std::shared_ptr<office::CommandBarControl> control;
      SkipOnFailure([&] { control = objCommandBar->FindControl(tag); });
      if (!control || !SkipOnFailure([&] { control->Delete(); }))
        break;
    }
  }
}

void ExplorerToolbar::Activate() {
  Guarded([this] { owner_.objExpl_Activate(*this); }, [] {});
}

void ExplorerToolbar::BeforeFolderSwitch(const String& newFolder, bool& cancel) {
  Guarded([&] { owner_.objExpl_BeforeFolderSwitch(newFolder, cancel); }, [] {});
}

void ExplorerToolbar::Close() {
  Guarded([this] { owner_.objExpl_Close(*this); }, [] {});
}

InspectorWatch::InspectorWatch(AddIn& owner, std::shared_ptr<outlook::Inspector> inspector)
    : objInsp(this), owner_(owner) {
  objInsp.Bind(std::move(inspector));
}

void InspectorWatch::Close() {
  Guarded([this] { owner_.objInsp_Close(*this); }, [] {});
}

// ---- The add-in --------------------------------------------------------------

AddIn::AddIn(AddInState& addin) : state(addin), explorers_(this), inspectorList_(this) {}

AddIn::~AddIn() {
  Shutdown();
}

void AddIn::Initialize(std::shared_ptr<outlook::Application> application, const String& progId) {
  application_ = std::move(application);
  state.objOutlook = application_.get();
  progId_ = progId;
  outlook::Application& app = *application_;
  // Outlook 2010 and later ask every add-in for its ribbon
  // (IRibbonExtensibility) and show the commands there; a toolbar would put
  // them a second time on the Add-ins tab. When the version cannot be read,
  // the toolbar is built: the commands are somewhere.
  SkipOnFailure([&] { usesRibbon_ = RibbonHostVersion(app.Version()); });
  // Windows that open later: a main window gets its toolbar, an item window
  // its watch.
  SkipOnFailure([&] { explorers_.Bind(app.GetExplorers()); });
  SkipOnFailure([&] { inspectorList_.Bind(app.GetInspectors()); });
  SkipOnFailure([&] {
    const std::shared_ptr<outlook::Inspectors> open = app.GetInspectors();
    const int count = open->Count();
    for (int i = 1; i <= count; ++i)
      SkipOnFailure([&] { WatchInspector(open->Item(i)); });
  });

  // Every main window open now gets its toolbar (a user who ticks the add-in
  // may have several); when Outlook cannot list them, the active one does.
  // Outlook's windows cannot be compared here, so the two ways are never
  // mixed: a window would get two toolbars.
  std::vector<std::shared_ptr<outlook::Explorer>> open;
  const bool listed = SkipOnFailure([&] {
    const std::shared_ptr<outlook::Explorers> explorers = app.GetExplorers();
    const int count = explorers->Count();
    for (int i = 1; i <= count; ++i)
      open.push_back(explorers->Item(i));
  });
  if (!listed) {
    open.clear();
    SkipOnFailure([&] { open.push_back(app.ActiveExplorer()); });
  }
  std::erase(open, nullptr);
  if (!open.empty() || !inspectors_.empty())
    EnsureResources();
  for (const auto& explorer : open)
    WatchExplorer(explorer);
}

void AddIn::StartupComplete() noexcept {
  // Microsoft advises building command bars once start-up is complete rather
  // than relying on them at OnConnection: whatever failed is tried again.
  if (!application_)
    return;
  if (toolbars_.empty())
    SkipOnFailure([&] {
      if (auto active = application_->ActiveExplorer()) {
        EnsureResources();
        WatchExplorer(active);
      }
    });
  BuildAll();
}

void AddIn::BuildAll() {
  for (const auto& toolbar : toolbars_)
    SkipOnFailure([&] { toolbar->Build(progId_); });
}

ExplorerToolbar* AddIn::WatchExplorer(const std::shared_ptr<outlook::Explorer>& explorer) {
  if (!explorer)
    return nullptr;
  auto toolbar = std::make_unique<ExplorerToolbar>(*this, explorer);
  // A window whose Close cannot be heard gets no toolbar: the add-in would
  // never know when to let it go.
  if (!SkipOnFailure([&] { toolbar->Watch(); }))
    return nullptr;
  ExplorerToolbar* built = toolbar.get();
  toolbars_.push_back(std::move(toolbar));
  SkipOnFailure([&] { built->Build(progId_); });
  return built;
}

void AddIn::WatchInspector(const std::shared_ptr<outlook::Inspector>& inspector) {
  if (inspector)
    inspectors_.push_back(std::make_unique<InspectorWatch>(*this, inspector));
}

void AddIn::EnsureResources() {
  if (resourcesTried_)
    return;
  resourcesTried_ = true;
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
  // The messages are loaded before anything of a toolbar, which may come
  // later or not at all (an item window only).
  for (std::int32_t i = 0; i < 3; ++i)
    state.messageTable[static_cast<std::size_t>(i)] =
        ResString(state, res::kMessageInvalidAccount + i);
}

void AddIn::NewExplorer(const std::shared_ptr<outlook::Explorer>& explorer) {
  Guarded(
      [&] {
        EnsureResources();
        WatchExplorer(explorer);
      },
      [] {});
}

void AddIn::NewInspector(const std::shared_ptr<outlook::Inspector>& inspector) {
  Guarded(
      [&] {
        EnsureResources();
        WatchInspector(inspector);
      },
      [] {});
}

void AddIn::RibbonAsked() noexcept {
  if (usesRibbon_)
    return;
  usesRibbon_ = true;
  DeleteControls();
}

void AddIn::DeleteControls() noexcept {
  for (const auto& toolbar : toolbars_)
    toolbar->DeleteControls();
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
  // Every object of Outlook goes: the toolbars' bars and controls with their
  // events, the windows' watches, the collections and the application. A
  // window whose event is running now is released when that event returns.
  for (auto& toolbar : toolbars_)
    Entry::Retire(std::move(toolbar));
  toolbars_.clear();
  for (auto& inspector : inspectors_)
    Entry::Retire(std::move(inspector));
  inspectors_.clear();
  explorers_.Reset();
  inspectorList_.Reset();
  state.objOutlook = nullptr;
  application_.reset();
  resourcesTried_ = false;
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

bool AddIn::RibbonAction(std::u16string_view id) {
  using Handler = void (AddIn::*)();
  static constexpr std::pair<std::u16string_view, Handler> kActions[] = {
      {u"QuarroButton", &AddIn::objCBButton_Click},
      {u"QuarroGeneral", &AddIn::objCBBGeneral_Click},
      {u"QuarroProduct", &AddIn::objCBBProduct_Click},
      {u"QuarroService", &AddIn::objCBBService_Click},
      {u"QuarroAuction", &AddIn::objCBBAuction_Click},
      {u"QuarroDonation", &AddIn::objCBBDonation_Click},
      {u"QuarroOptions", &AddIn::objCBBOptions_Click},
      {u"QuarroHelp", &AddIn::objCBBHelp_Click},
      {u"QuarroAbout", &AddIn::objCBBAbout_Click},
      {u"QuarroUpdate", &AddIn::objCBBUpdate_Click},
  };
  for (const auto& [tag, handler] : kActions) {
    if (tag == id) {
      Guarded([this, handler = handler] { (this->*handler)(); },
              [this] { ReportCommandFailure(); });
      return true;
    }
  }
  return false;
}

void AddIn::objExpl_BeforeFolderSwitch(const String&, bool&) {}

void AddIn::objExpl_Activate(ExplorerToolbar& window) {
  // A toolbar that could not be built yet (the window was not shown, a host
  // call failed) is tried again whenever its window comes forward.
  EnsureResources();
  window.Build(progId_);
}

namespace {

// Takes a closed window's watch off the list. The watch's own Close handler
// is still running, so the object goes when the outermost entry returns.
template <typename Watch>
void RetireFrom(std::vector<std::unique_ptr<Watch>>& watches, const Watch& closed) {
  const auto found = std::find_if(watches.begin(), watches.end(),
                                  [&](const auto& held) { return held.get() == &closed; });
  if (found == watches.end())
    return;
  std::unique_ptr<Watch> closing = std::move(*found);
  watches.erase(found);
  Entry::Retire(std::move(closing));
}

}  // namespace

void AddIn::objExpl_Close(ExplorerToolbar& window) {
  // Its controls go with the window.
  RetireFrom(toolbars_, window);
  ShutdownIfNoWindow(/*explorerClosing=*/true);
}

void AddIn::objInsp_Close(InspectorWatch& window) {
  RetireFrom(inspectors_, window);
  ShutdownIfNoWindow(/*explorerClosing=*/false);
}

void AddIn::ShutdownIfNoWindow(bool explorerClosing) {
  // While a window's Close is delivered it still counts among the inspectors,
  // and Outlook already reports the next active explorer. Every failing step
  // is skipped: the worst outcome is that the teardown waits for the
  // disconnection.
  outlook::Application* application = application_.get();
  if (application == nullptr)
    return;
  std::shared_ptr<outlook::Explorer> next;
  if (!SkipOnFailure([&] { next = application->ActiveExplorer(); }) || next)
    return;
  int inspectors = -1;
  SkipOnFailure([&] { inspectors = application->InspectorsCount(); });
  if (inspectors < 0 || inspectors > (explorerClosing ? 0 : 1))
    return;
  Shutdown();
}

void AddIn::ReportCommandFailure() noexcept {
  state.ReportFailure();
}

}  // namespace ostrel

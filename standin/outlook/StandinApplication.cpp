#include "outlook/StandinApplication.h"

#include <algorithm>
#include <stdexcept>

#include "common/Text.h"
#include "host/HostError.h"
#include "outlook/StandinMailItem.h"

namespace ostrel::standin {
namespace {

template <typename Window>
bool IsListed(const std::vector<std::shared_ptr<Window>>& windows,
              const std::shared_ptr<Window>& window) {
  return std::find(windows.begin(), windows.end(), window) != windows.end();
}

template <typename Window>
void Unlist(std::vector<std::shared_ptr<Window>>& windows, const std::shared_ptr<Window>& window) {
  windows.erase(std::remove(windows.begin(), windows.end(), window), windows.end());
}

// What a search for a clickable button found.
struct ButtonSearch {
  std::shared_ptr<StandinButton> button;
  bool hidden = false;  // a button with the tag that cannot be seen
  bool popup = false;   // a popup with the tag
};

void SearchControls(const std::vector<std::shared_ptr<StandinControl>>& controls, const String& tag,
                    bool shown, ButtonSearch& search) {
  for (const auto& control : controls) {
    if (search.button)
      return;
    const bool visible = shown && control->View().visible;
    if (auto popup = std::dynamic_pointer_cast<StandinPopup>(control)) {
      search.popup = search.popup || popup->TagText() == tag;
      SearchControls(popup->Menu().Controls(), tag, visible, search);
    } else if (control->TagText() == tag) {
      if (visible)
        search.button = std::dynamic_pointer_cast<StandinButton>(control);
      else
        search.hidden = true;
    }
  }
}

}  // namespace

StandinApplication::StandinApplication(host::FileSystem& files, String outboxFolder, Clock clock)
    : state_(std::make_shared<OutlookState>(files, std::move(outboxFolder), std::move(clock))) {
  MakeLists();
}

void StandinApplication::MakeLists() {
  state_->openItemWindow = [this] { OpenInspector(); };
  explorerList_ =
      std::make_shared<StandinWindowList<host::outlook::Explorer, host::outlook::ExplorersEvents>>(
          state_, "Explorers.Count",
          [this]() -> const std::vector<std::shared_ptr<host::outlook::Explorer>>& {
            explorerItems_.assign(explorers_.begin(), explorers_.end());
            return explorerItems_;
          });
  inspectorList_ = std::make_shared<
      StandinWindowList<host::outlook::Inspector, host::outlook::InspectorsEvents>>(
      state_, "Inspectors.Count",
      [this]() -> const std::vector<std::shared_ptr<host::outlook::Inspector>>& {
        inspectorItems_.assign(inspectors_.begin(), inspectors_.end());
        return inspectorItems_;
      });
}

StandinApplication::StandinApplication(host::FileSystem& files, host::Clipboard& clipboard,
                                       String outboxFolder, const String& profileFolder,
                                       Clock clock)
    : state_(std::make_shared<OutlookState>(files, std::move(outboxFolder), std::move(clock),
                                            profileFolder, &clipboard)) {
  MakeLists();
}

StandinApplication::~StandinApplication() {
  state_->openItemWindow = nullptr;
}

void StandinApplication::SetSettingsFolder(const String& profileFolder) {
  state_->toolbars = ToolbarProfile(state_->files, profileFolder);
}

void StandinApplication::SetClipboard(host::Clipboard& clipboard) {
  state_->clipboard = &clipboard;
}

std::unique_ptr<host::outlook::MailItem> StandinApplication::CreateItem(int itemType) {
  state_->faults.Check("CreateItem");
  if (itemType != host::outlook::olMailItem) {
    throw host::HostError(kEInvalidArg, "the stand-in creates mail items only, not items of type " +
                                            std::to_string(itemType));
  }
  return std::make_unique<StandinMailItem>(state_);
}

// Explorers.Count goes through the collection, as a late-bound caller's does.
int StandinApplication::ExplorersCount() {
  state_->faults.Check("Explorers");
  return explorerList_->Count();
}

int StandinApplication::InspectorsCount() {
  state_->faults.Check("Inspectors");
  return inspectorList_->Count();
}

std::shared_ptr<host::outlook::Explorer> StandinApplication::ActiveExplorer() {
  state_->faults.Check("ActiveExplorer");
  return state_->HandOut(std::shared_ptr<host::outlook::Explorer>(active_));
}

std::shared_ptr<host::outlook::Explorers> StandinApplication::GetExplorers() {
  state_->faults.Check("Explorers");
  return state_->HandOut(std::shared_ptr<host::outlook::Explorers>(explorerList_));
}

std::shared_ptr<host::outlook::Inspectors> StandinApplication::GetInspectors() {
  state_->faults.Check("Inspectors");
  return state_->HandOut(std::shared_ptr<host::outlook::Inspectors>(inspectorList_));
}

void StandinApplication::SetVersion(int major) {
  if (major != 11 && major != 12 && major != 14 && major != 15 && major != 16) {
    throw std::invalid_argument(std::to_string(major) +
                                " is no Outlook version the stand-in plays (11, 12, 14, 15, 16)");
  }
  state_->version = major;
}

int StandinApplication::MajorVersion() const {
  return state_->version;
}

String StandinApplication::Version() {
  state_->faults.Check("Version");
  return Utf8ToUtf16(std::to_string(state_->version) + ".0.0.0");
}

std::shared_ptr<host::outlook::Application> StandinApplication::HandOutApplication() {
  return state_->HandOutUnowned<host::outlook::Application>(*this);
}

int StandinApplication::HeldObjects() {
  return state_->HeldObjects();
}

std::shared_ptr<host::outlook::AddInInstance> StandinApplication::MakeAddInInstance(String progId) {
  return std::make_shared<StandinAddInInstance>(state_, std::move(progId));
}

std::shared_ptr<StandinExplorer> StandinApplication::OpenExplorer(String folder) {
  const int number = ++explorersOpened_;
  auto explorer = std::make_shared<StandinExplorer>(state_, number, std::move(folder));
  explorers_.push_back(explorer);
  state_->Notify("explorer " + std::to_string(number) + " opened");
  explorerList_->Sinks().Raise([&](host::outlook::ExplorersEvents& sink) {
    sink.NewExplorer(state_->HandOut(std::shared_ptr<host::outlook::Explorer>(explorer)));
  });
  // A receiver of NewExplorer may have closed it again.
  if (!explorer->IsOpen() || explorer->IsClosing())
    return explorer;
  explorer->MarkShown();
  active_ = explorer;
  explorer->RaiseActivate();
  return explorer;
}

std::shared_ptr<StandinExplorer> StandinApplication::LastOpenExplorer() const {
  for (auto it = explorers_.rbegin(); it != explorers_.rend(); ++it) {
    if (!(*it)->IsClosing())
      return *it;
  }
  return nullptr;
}

void StandinApplication::CloseExplorer(std::shared_ptr<StandinExplorer> explorer) {
  if (!explorer)
    explorer = active_;
  if (!explorer)
    throw std::invalid_argument("no explorer is open to close");
  if (!IsListed(explorers_, explorer) || explorer->IsClosing()) {
    throw std::invalid_argument("explorer " + std::to_string(explorer->Number()) + " is not open");
  }
  explorer->BeginClose();
  // Outlook has moved on before the window's Close arrives: a receiver that
  // asks for the active explorer gets the next one, or none after the last.
  if (active_ == explorer)
    active_ = LastOpenExplorer();
  explorer->RaiseClose();
  Unlist(explorers_, explorer);
  explorer->MarkClosed();
  state_->Notify("explorer " + std::to_string(explorer->Number()) + " closed");
}

void StandinApplication::ActivateExplorer(const std::shared_ptr<StandinExplorer>& explorer) {
  if (!explorer || !IsListed(explorers_, explorer) || explorer->IsClosing())
    throw std::invalid_argument("only an open explorer can become the active one");
  if (active_ == explorer)
    return;
  active_ = explorer;
  explorer->RaiseActivate();
}

std::shared_ptr<StandinInspector> StandinApplication::OpenInspector() {
  const int number = ++inspectorsOpened_;
  auto inspector = std::make_shared<StandinInspector>(state_, number);
  inspectors_.push_back(inspector);
  state_->Notify("inspector " + std::to_string(number) + " opened");
  inspectorList_->Sinks().Raise([&](host::outlook::InspectorsEvents& sink) {
    sink.NewInspector(state_->HandOut(std::shared_ptr<host::outlook::Inspector>(inspector)));
  });
  return inspector;
}

void StandinApplication::CloseInspector(std::shared_ptr<StandinInspector> inspector) {
  if (!inspector) {
    for (auto it = inspectors_.rbegin(); it != inspectors_.rend() && !inspector; ++it) {
      if (!(*it)->IsClosing())
        inspector = *it;
    }
  }
  if (!inspector)
    throw std::invalid_argument("no inspector is open to close");
  if (!IsListed(inspectors_, inspector) || inspector->IsClosing()) {
    throw std::invalid_argument("inspector " + std::to_string(inspector->Number()) +
                                " is not open");
  }
  inspector->BeginClose();
  inspector->RaiseClose();
  Unlist(inspectors_, inspector);
  inspector->MarkClosed();
  state_->Notify("inspector " + std::to_string(inspector->Number()) + " closed");
}

bool StandinApplication::SwitchFolder(const String& folder) {
  if (!active_)
    throw std::invalid_argument("no explorer is open to switch folders in");
  return active_->SwitchFolder(folder);
}

std::shared_ptr<StandinButton> StandinApplication::FindButton(const String& tag) const {
  ButtonSearch search;
  if (active_) {
    for (const auto& bar : active_->Bars().Bars())
      SearchControls(bar->Controls(), tag, true, search);
  }
  return search.button;
}

bool StandinApplication::ClickControl(const String& tag) {
  if (!active_)
    throw std::invalid_argument("no explorer is open, so there is no toolbar to click");
  ButtonSearch search;
  for (const auto& bar : active_->Bars().Bars())
    SearchControls(bar->Controls(), tag, true, search);
  const std::string name = Utf16ToUtf8(tag);
  if (!search.button) {
    throw std::invalid_argument(search.hidden  ? "the button tagged \"" + name + "\" is hidden"
                                : search.popup ? "\"" + name + "\" is a popup; a popup has no Click"
                                               : "no control is tagged \"" + name +
                                                     "\" in the active explorer");
  }
  state_->Notify("click " + name);
  return search.button->Click();
}

void StandinApplication::Quit() {
  while (!inspectors_.empty() && !inspectors_.back()->IsClosing())
    CloseInspector(inspectors_.back());
  while (const auto explorer = active_ ? active_ : LastOpenExplorer())
    CloseExplorer(explorer);
  state_->Notify("outlook quit");
}

std::vector<BarView> StandinApplication::Toolbars() const {
  return active_ ? active_->Bars().View() : std::vector<BarView>{};
}

std::vector<std::string> StandinApplication::DescribeToolbars() const {
  return standin::DescribeToolbars(Toolbars());
}

const String& StandinApplication::ToolbarSettingsFile() const {
  return state_->toolbars.FilePath();
}

void StandinApplication::FailOn(std::string operation) {
  state_->faults.FailOn(operation);
}

void StandinApplication::ClearFailures() {
  state_->faults.Clear();
}

std::vector<std::string> StandinApplication::FailureNames() const {
  return state_->faults.Operations();
}

void StandinApplication::SetListener(Listener listener) {
  state_->listener = std::move(listener);
}

const std::vector<DisplayedMail>& StandinApplication::Displayed() const {
  return state_->displayed;
}

const String& StandinApplication::OutboxFolder() const {
  return state_->outbox;
}

}  // namespace ostrel::standin

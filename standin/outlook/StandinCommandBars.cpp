#include "outlook/StandinCommandBars.h"

#include <algorithm>

#include "common/Text.h"
#include "host/HostError.h"

namespace ostrel::standin {
namespace {

[[noreturn]] void Disconnected(std::string_view operation, const char* what) {
  throw host::HostError(kEDisconnected,
                        std::string(operation) + ": " + what + " belonged to a window that closed");
}

}  // namespace

StandinCommandBar::StandinCommandBar(std::shared_ptr<OutlookState> state, SavedBar settings,
                                     bool temporary, Kind kind)
    : state_(std::move(state)),
      settings_(std::move(settings)),
      temporary_(temporary),
      kind_(kind) {}

void StandinCommandBar::Enter(std::string_view operation) const {
  if (disconnected_)
    Disconnected(operation, kind_ == Kind::kMenu ? "the menu" : "the command bar");
  state_->faults.Check(operation);
}

void StandinCommandBar::Announce(const std::string& what) const {
  if (kind_ == Kind::kToolbar)
    state_->Notify("toolbar " + Utf16ToUtf8(settings_.name) + what);
}

String StandinCommandBar::Name() const {
  Enter("CommandBar.Name");
  return settings_.name;
}

StandinCommandBar::~StandinCommandBar() {
  for (const auto& control : controls_)
    control->SetBar(nullptr);
}

void StandinCommandBar::Reset() {
  Enter("CommandBar.Reset");
  Announce(" reset");
}

void StandinCommandBar::Detach(const StandinControl& control) {
  controls_.erase(std::remove_if(controls_.begin(), controls_.end(),
                                 [&](const auto& held) { return held.get() == &control; }),
                  controls_.end());
}

std::shared_ptr<host::office::CommandBarControl> StandinCommandBar::AddControl(
    int type, const std::optional<String>& parameter, bool temporary) {
  Enter("Controls.Add");
  std::shared_ptr<StandinControl> control;
  if (type == host::office::msoControlButton) {
    control = std::make_shared<StandinButton>(state_, temporary);
  } else if (type == host::office::msoControlPopup) {
    control = std::make_shared<StandinPopup>(state_, temporary);
  } else {
    throw host::HostError(kEInvalidArg,
                          "Controls.Add: the stand-in makes buttons (1) and popups "
                          "(10), not controls of type " +
                              std::to_string(type));
  }
  if (parameter)
    control->InitParameter(*parameter);
  control->SetBar(this);
  controls_.push_back(control);
  return state_->HandOut(control->AsHost());
}

std::shared_ptr<host::office::CommandBarControl> StandinCommandBar::FindControl(const String& tag) {
  Enter("FindControl");
  for (const auto& control : controls_) {
    if (control->TagText() == tag)
      return state_->HandOut(control->AsHost());
  }
  return nullptr;
}

bool StandinCommandBar::Visible() const {
  Enter("CommandBar.Visible");
  return settings_.visible;
}

void StandinCommandBar::SetVisible(bool visible) {
  Enter("CommandBar.Visible");
  if (kind_ == Kind::kToolbar && !temporary_)
    state_->toolbars.Keep(SavedBar{settings_.name, settings_.position, visible});
  settings_.visible = visible;
  if (!visible) {
    Announce(" hidden");
    return;
  }
  std::vector<ControlView> controls;
  for (const auto& control : controls_)
    controls.push_back(control->View());
  Announce(": " + std::to_string(CountControls(controls)) + " controls");
}

void StandinCommandBar::SetAdaptiveMenu(bool adaptive) {
  Enter("AdaptiveMenu");
  adaptiveMenu_ = adaptive;
}

BarView StandinCommandBar::View() const {
  BarView view{settings_.name, settings_.position, settings_.visible,
               temporary_,     adaptiveMenu_,      {}};
  for (const auto& control : controls_)
    view.controls.push_back(control->View());
  return view;
}

void StandinCommandBar::Disconnect() {
  disconnected_ = true;
  for (const auto& control : controls_)
    control->Remove();
}

StandinCommandBars::StandinCommandBars(std::shared_ptr<OutlookState> state)
    : state_(std::move(state)) {
  for (const SavedBar& saved : state_->toolbars.Bars()) {
    bars_.push_back(std::make_shared<StandinCommandBar>(state_, saved, false,
                                                        StandinCommandBar::Kind::kToolbar));
  }
}

void StandinCommandBars::Enter(std::string_view operation) const {
  if (disconnected_)
    Disconnected(operation, "the command bars");
  state_->faults.Check(operation);
}

std::shared_ptr<StandinCommandBar> StandinCommandBars::Find(const String& name) const {
  for (const auto& bar : bars_) {
    if (SameBarName(bar->SavedName(), name))
      return bar;
  }
  return nullptr;
}

std::shared_ptr<host::office::CommandBar> StandinCommandBars::Item(const String& name) {
  Enter("CommandBars.Item");
  auto bar = Find(name);
  if (!bar) {
    throw host::HostError(kEInvalidArg, "CommandBars.Item: invalid index, no bar is named \"" +
                                            Utf16ToUtf8(name) + "\"");
  }
  return state_->HandOut(std::shared_ptr<host::office::CommandBar>(bar));
}

std::shared_ptr<host::office::CommandBar> StandinCommandBars::Add(const String& name, int position,
                                                                  bool temporary) {
  Enter("CommandBars.Add");
  if (name.empty())
    throw host::HostError(kEInvalidArg, "CommandBars.Add: the stand-in needs a name for the bar");
  if (position < 0 || position > kMsoBarPopup) {
    throw host::HostError(kEInvalidArg,
                          "CommandBars.Add: " + std::to_string(position) + " is no bar position");
  }
  if (Find(name)) {
    throw host::HostError(kEInvalidArg,
                          "CommandBars.Add: a bar named \"" + Utf16ToUtf8(name) + "\" exists");
  }
  const SavedBar settings{name, position, false};
  if (!temporary)
    state_->toolbars.Keep(settings);
  auto bar = std::make_shared<StandinCommandBar>(state_, settings, temporary,
                                                 StandinCommandBar::Kind::kToolbar);
  bars_.push_back(bar);
  state_->Notify("toolbar " + Utf16ToUtf8(name) + " added");
  return state_->HandOut(std::shared_ptr<host::office::CommandBar>(bar));
}

std::vector<BarView> StandinCommandBars::View() const {
  std::vector<BarView> views;
  for (const auto& bar : bars_)
    views.push_back(bar->View());
  return views;
}

void StandinCommandBars::Disconnect() {
  disconnected_ = true;
  for (const auto& bar : bars_)
    bar->Disconnect();
}

}  // namespace ostrel::standin

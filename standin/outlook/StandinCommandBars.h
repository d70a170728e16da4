// The command bars of one explorer window of the stand-in. A window starts
// with its profile's permanent bars (ToolbarProfile), empty; the controls and
// temporary bars it gets live as long as the window. Custom bars only: the
// stand-in has none of Office's built-in bars.
#pragma once

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "host/Office.h"
#include "outlook/OutlookState.h"
#include "outlook/StandinControls.h"
#include "outlook/ToolbarProfile.h"
#include "outlook/ToolbarView.h"

namespace ostrel::standin {

class StandinCommandBar final : public host::office::CommandBar {
 public:
  enum class Kind { kToolbar, kMenu };  // a bar of the window, or a popup's menu

  StandinCommandBar(std::shared_ptr<OutlookState> state, SavedBar settings, bool temporary,
                    Kind kind);
  ~StandinCommandBar() override;
  StandinCommandBar(const StandinCommandBar&) = delete;
  StandinCommandBar& operator=(const StandinCommandBar&) = delete;

  String Name() const override;
  // CommandBar.Reset is documented for built-in bars only ("Resets a built-in
  // command bar to its default configuration", Office VBA reference,
  // CommandBar.Reset method). What it does to a custom bar is not documented:
  // the stand-in leaves its controls in place, so an add-in that counts on
  // Reset to clear its old controls finds them doubled.
  void Reset() override;
  // msoControlButton or msoControlPopup, appended; other types raise
  // E_INVALIDARG (the stand-in has no edit boxes or lists).
  std::shared_ptr<host::office::CommandBarControl> AddControl(
      int type, const std::optional<String>& parameter, bool temporary) override;
  // The first control of this bar whose tag is the text (compared exactly);
  // popups' menus are not searched, as without FindControl's Recursive.
  std::shared_ptr<host::office::CommandBarControl> FindControl(const String& tag) override;
  // A new bar is hidden. A permanent bar's visibility is saved with the
  // profile first; when that fails it stays as it was.
  bool Visible() const override;
  void SetVisible(bool visible) override;
  void SetAdaptiveMenu(bool adaptive) override;

  // The stand-in's side: no faults, no events.
  const String& SavedName() const { return settings_.name; }
  void Rename(const String& name) { settings_.name = name; }
  bool IsTemporary() const { return temporary_; }
  const std::vector<std::shared_ptr<StandinControl>>& Controls() const { return controls_; }
  // A control deleted by the host leaves the bar.
  void Detach(const StandinControl& control);
  BarView View() const;
  // The window is gone: the controls are deleted and every host call on the
  // bar raises RPC_E_DISCONNECTED.
  void Disconnect();

 private:
  void Enter(std::string_view operation) const;
  void Announce(const std::string& what) const;

  std::shared_ptr<OutlookState> state_;
  SavedBar settings_;
  bool temporary_;
  Kind kind_;
  bool adaptiveMenu_ = false;
  bool disconnected_ = false;
  std::vector<std::shared_ptr<StandinControl>> controls_;
};

class StandinCommandBars final : public host::office::CommandBars {
 public:
  // The profile's permanent bars, as it keeps them now, without controls.
  explicit StandinCommandBars(std::shared_ptr<OutlookState> state);

  // The bar of that name (ASCII letters without regard to case); "invalid
  // index" (E_INVALIDARG) when there is none.
  std::shared_ptr<host::office::CommandBar> Item(const String& name) override;
  // A new, empty, hidden bar. E_INVALIDARG for an empty name, a name the
  // window has already, or a position outside msoBarLeft..msoBarPopup. A
  // permanent bar is saved with the profile first; when that fails nothing
  // is added.
  std::shared_ptr<host::office::CommandBar> Add(const String& name, int position,
                                                bool temporary) override;

  const std::vector<std::shared_ptr<StandinCommandBar>>& Bars() const { return bars_; }
  std::vector<BarView> View() const;
  // The window is gone (see StandinCommandBar::Disconnect).
  void Disconnect();

 private:
  void Enter(std::string_view operation) const;
  std::shared_ptr<StandinCommandBar> Find(const String& name) const;

  std::shared_ptr<OutlookState> state_;
  bool disconnected_ = false;
  std::vector<std::shared_ptr<StandinCommandBar>> bars_;
};

}  // namespace ostrel::standin

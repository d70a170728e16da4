// The controls of the stand-in's command bars: buttons and popups. Each host
// call first checks that the control still exists, then the failures asked
// for (Faults), then acts. A control removed from its bar (by Reset) or whose
// window closed raises RPC_E_DISCONNECTED from then on, as a released Office
// control does; only Unadvise keeps working, so receivers can still go.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "host/HostError.h"
#include "host/Office.h"
#include "outlook/EventSinks.h"
#include "outlook/OutlookState.h"
#include "outlook/ToolbarView.h"

namespace ostrel::standin {

class StandinCommandBar;

// What PasteFace took from the clipboard: the two blocks as they were there.
struct PastedFace {
  std::vector<std::uint8_t> face;  // "Toolbar Button Face"
  std::vector<std::uint8_t> mask;  // "Toolbar Button Mask"
};

// The stand-in's side of every control, beside the host interface.
class StandinControl : public std::enable_shared_from_this<StandinControl> {
 public:
  StandinControl(std::shared_ptr<OutlookState> state, int type, bool temporary);
  virtual ~StandinControl() = default;

  // The control's properties as they are, without faults or checks.
  virtual ControlView View() const { return data_; }
  // Takes the control away: every later host call but Unadvise raises.
  virtual void Remove() { deleted_ = true; }
  bool Deleted() const { return deleted_; }
  // The bar the control is on; nullptr once it is off it or the bar is gone.
  void SetBar(StandinCommandBar* bar) { bar_ = bar; }
  const String& TagText() const { return data_.tag; }
  // Controls.Add's Parameter, set as the control is made.
  void InitParameter(const String& parameter) { data_.parameter = parameter; }

  std::shared_ptr<host::office::CommandBarControl> AsHost();

 protected:
  // For a host call: RPC_E_DISCONNECTED once deleted, then the faults.
  void Enter(std::string_view operation) const;

  // CommandBarControl.Delete: off its bar, and gone.
  void DeleteFromBar(std::string_view operation);

  std::shared_ptr<OutlookState> state_;
  ControlView data_;

 private:
  bool deleted_ = false;
  StandinCommandBar* bar_ = nullptr;
};

// The properties every control has, on top of its host interface.
template <typename Interface>
class ControlProperties : public Interface, public StandinControl {
 public:
  using StandinControl::StandinControl;

  int Type() const override {
    Enter("Type");
    return data_.type;
  }
  String Caption() const override { return Get("Caption", data_.caption); }
  void SetCaption(const String& caption) override { Set("Caption", data_.caption, caption); }
  String Tag() const override { return Get("Tag", data_.tag); }
  void SetTag(const String& tag) override { Set("Tag", data_.tag, tag); }
  String TooltipText() const override { return Get("TooltipText", data_.tooltip); }
  void SetTooltipText(const String& text) override { Set("TooltipText", data_.tooltip, text); }
  bool BeginGroup() const override { return Get("BeginGroup", data_.beginGroup); }
  void SetBeginGroup(bool begin) override { Set("BeginGroup", data_.beginGroup, begin); }
  bool Visible() const override { return Get("Visible", data_.visible); }
  void SetVisible(bool visible) override { Set("Visible", data_.visible, visible); }
  String OnAction() const override { return Get("OnAction", data_.onAction); }
  void SetOnAction(const String& action) override { Set("OnAction", data_.onAction, action); }
  String Parameter() const override { return Get("Parameter", data_.parameter); }
  void SetParameter(const String& parameter) override {
    Set("Parameter", data_.parameter, parameter);
  }
  void Delete() override { DeleteFromBar("Delete"); }

 private:
  template <typename T>
  T Get(std::string_view operation, const T& field) const {
    Enter(operation);
    return field;
  }
  template <typename T>
  void Set(std::string_view operation, T& field, const T& value) {
    Enter(operation);
    field = value;
  }
};

class StandinButton final : public ControlProperties<host::office::CommandBarButton> {
 public:
  StandinButton(std::shared_ptr<OutlookState> state, bool temporary);

  // A new button has face 0 and style msoButtonAutomatic (0). A face below 0
  // and a style that is no MsoButtonStyle raise E_INVALIDARG.
  int FaceId() const override;
  void SetFaceId(int face) override;
  int Style() const override;
  void SetStyle(int style) override;

  // Opens the clipboard and takes the blocks of "Toolbar Button Face" and
  // "Toolbar Button Mask"; both must be there (E_FAIL otherwise, the button
  // keeps its face). FaceId is left as it was. Tells the listener
  // "face pasted on <tag>".
  void PasteFace() override;
  // Picture takes a bitmap picture (E_INVALIDARG for another) and tells the
  // listener "picture set on <tag>"; Mask takes one too, after Picture
  // (E_FAIL before: the documentation gives the mask as the picture's, and is
  // silent on the other order). Neither touches the clipboard.
  // https://learn.microsoft.com/office/vba/api/office.commandbarbutton.picture
  // https://learn.microsoft.com/office/vba/api/office.commandbarbutton.mask
  void SetPicture(const host::Picture& picture) override;
  void SetMask(const host::Picture& mask) override;

  std::uint32_t Advise(host::office::CommandBarButtonEvents* sink) override;
  void Unadvise(std::uint32_t cookie) override;

  // A user's click: Click for each connected receiver, with the button and a
  // CancelDefault flag that starts false and is passed on from one to the
  // next. Returns the flag.
  bool Click();

  const std::optional<PastedFace>& Face() const { return face_; }
  std::size_t Receivers() const { return sinks_.Count(); }

 private:
  std::optional<PastedFace> face_;
  EventSinks<host::office::CommandBarButtonEvents> sinks_;
};

class StandinPopup final : public ControlProperties<host::office::CommandBarPopup> {
 public:
  StandinPopup(std::shared_ptr<OutlookState> state, bool temporary);

  // The popup's menu, the same bar every time; its name is the popup's caption.
  std::shared_ptr<host::office::CommandBar> CommandBar() override;
  void SetCaption(const String& caption) override;

  StandinCommandBar& Menu() { return *menu_; }
  ControlView View() const override;
  // Takes the menu's controls away too.
  void Remove() override;

 private:
  std::shared_ptr<StandinCommandBar> menu_;
};

}  // namespace ostrel::standin

// Office command bars as the add-in uses them (the toolbar and its menu). Every
// call may fail, raising host::HostError to the calling step.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "host/Picture.h"
#include "host/String.h"

namespace ostrel::host::office {

// MsoBarPosition, MsoControlType, MsoButtonStyle.
inline constexpr int msoBarTop = 1;
inline constexpr int msoControlButton = 1;
inline constexpr int msoControlPopup = 10;
inline constexpr int msoButtonCaption = 2;
inline constexpr int msoButtonIconAndCaption = 3;

class CommandBar;
class CommandBarButton;

class CommandBarControl {
 public:
  virtual ~CommandBarControl() = default;
  virtual int Type() const = 0;
  virtual String Caption() const = 0;
  virtual void SetCaption(const String& caption) = 0;
  virtual String Tag() const = 0;
  virtual void SetTag(const String& tag) = 0;
  virtual String TooltipText() const = 0;
  virtual void SetTooltipText(const String& text) = 0;
  virtual bool BeginGroup() const = 0;
  virtual void SetBeginGroup(bool begin) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual String OnAction() const = 0;
  virtual void SetOnAction(const String& action) = 0;
  virtual String Parameter() const = 0;
  virtual void SetParameter(const String& parameter) = 0;
  // Removes the control from its bar (Temporary omitted: for good).
  virtual void Delete() = 0;
};

// The receiver of a button's Click (an event interface of the host).
class CommandBarButtonEvents {
 public:
  virtual ~CommandBarButtonEvents() = default;
  virtual void Click(CommandBarButton& ctrl, bool& cancelDefault) = 0;
};

class CommandBarButton : public CommandBarControl {
 public:
  virtual int FaceId() const = 0;
  virtual void SetFaceId(int face) = 0;
  virtual int Style() const = 0;
  virtual void SetStyle(int style) = 0;
  // Takes the face (picture and mask) from the clipboard.
  virtual void PasteFace() = 0;
  // The face as pictures (IPictureDisp): Picture first, then its Mask, white
  // where the face is transparent.
  // https://learn.microsoft.com/office/vba/api/office.commandbarbutton.mask
  virtual void SetPicture(const host::Picture& picture) = 0;
  virtual void SetMask(const host::Picture& mask) = 0;
  // Connects a receiver of the Click event; the cookie disconnects it again.
  virtual std::uint32_t Advise(CommandBarButtonEvents* sink) = 0;
  virtual void Unadvise(std::uint32_t cookie) = 0;
};

class CommandBarPopup : public CommandBarControl {
 public:
  // The popup's menu.
  virtual std::shared_ptr<::ostrel::host::office::CommandBar> CommandBar() = 0;
};

class CommandBar {
 public:
  virtual ~CommandBar() = default;
  virtual String Name() const = 0;
  virtual void Reset() = 0;
  // Controls.Add: a new control of the type appended at the end. A parameter
  // that is present becomes the control's Parameter.
  virtual std::shared_ptr<CommandBarControl> AddControl(int type,
                                                        const std::optional<String>& parameter,
                                                        bool temporary) = 0;
  // FindControl by tag only; nullptr when the bar has none with that tag.
  virtual std::shared_ptr<CommandBarControl> FindControl(const String& tag) = 0;
  virtual bool Visible() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetAdaptiveMenu(bool adaptive) = 0;
};

class CommandBars {
 public:
  virtual ~CommandBars() = default;
  // The bar of that name; HostError when there is none.
  virtual std::shared_ptr<CommandBar> Item(const String& name) = 0;
  virtual std::shared_ptr<CommandBar> Add(const String& name, int position, bool temporary) = 0;
};

// A ribbon control as its callbacks are handed it (IRibbonControl).
struct RibbonControl {
  String id;
  String tag;
};

// The add-in's ribbon as Office reaches it: IRibbonExtensibility's
// GetCustomUI, and the callbacks the markup names, found by name without
// regard to case (IDispatch::GetIDsOfNames) and invoked with the control.
// None of them throws; a callback that fails answers nothing.
// https://learn.microsoft.com/office/vba/library-reference/concepts/customizing-the-office-fluent-ribbon-by-using-a-managed-com-add-in
class RibbonExtensibility {
 public:
  virtual ~RibbonExtensibility() = default;
  // The markup for the ribbon of that ID; empty for a ribbon the add-in
  // leaves alone.
  virtual String GetCustomUI(const String& ribbonId) = 0;
  // Whether a callback of that name exists.
  virtual bool HasCallback(const String& name) = 0;
  // A text callback (getLabel, getScreentip); nothing when it fails.
  virtual std::optional<String> CallText(const String& name, const RibbonControl& control) = 0;
  // getImage: an IPictureDisp; nullptr when it fails.
  virtual PicturePtr CallImage(const String& name, const RibbonControl& control) = 0;
  // onAction; false when it fails.
  virtual bool CallAction(const String& name, const RibbonControl& control) = 0;
};

}  // namespace ostrel::host::office

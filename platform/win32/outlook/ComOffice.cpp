// Office's command bars over the host's automation objects.
#include <cwchar>
#include <optional>

#include "common/Text.h"
#include "host/HostError.h"
#include "win32/OlePicture.h"
#include "win32/WideText.h"
#include "win32/com/ComIds.h"
#include "win32/com/LateBinding.h"
#include "win32/outlook/ComOutlook.h"

namespace ostrel::win32::outlook {

namespace names = com::names;
namespace office = host::office;
using com::Call;
using com::Get;
using com::GetObject;
using com::NamedArgument;
using com::Put;
using com::Variant;

namespace {

class ComCommandBar;

// The properties every control has, for any of the control interfaces.
template <typename Base>
class ComControl : public Base {
 public:
  explicit ComControl(ComPtr<IDispatch> control) : control_(std::move(control)) {}

  int Type() const override { return Get(object(), names::kType).AsLong(); }
  String Caption() const override { return Text(names::kCaption); }
  void SetCaption(const String& caption) override { SetText(names::kCaption, caption); }
  String Tag() const override { return Text(names::kTag); }
  void SetTag(const String& tag) override { SetText(names::kTag, tag); }
  String TooltipText() const override { return Text(names::kTooltipText); }
  void SetTooltipText(const String& text) override { SetText(names::kTooltipText, text); }
  bool BeginGroup() const override { return Get(object(), names::kBeginGroup).AsBool(); }
  void SetBeginGroup(bool begin) override { Put(object(), names::kBeginGroup, Variant(begin)); }
  bool Visible() const override { return Get(object(), names::kVisible).AsBool(); }
  void SetVisible(bool visible) override { Put(object(), names::kVisible, Variant(visible)); }
  String OnAction() const override { return Text(names::kOnAction); }
  void SetOnAction(const String& action) override { SetText(names::kOnAction, action); }
  String Parameter() const override { return Text(names::kParameter); }
  void SetParameter(const String& parameter) override { SetText(names::kParameter, parameter); }
  // CommandBarControl.Delete(Temporary) with Temporary left out: the control
  // goes for good (Office VBA reference, CommandBarControl.Delete method).
  void Delete() override { Call(object(), names::kDelete); }

 protected:
  IDispatch* object() const { return control_.get(); }

 private:
  String Text(const wchar_t* property) const { return Get(object(), property).AsString(); }
  void SetText(const wchar_t* property, const String& text) {
    Put(object(), property, Variant(text));
  }

  ComPtr<IDispatch> control_;
};

class ComPlainControl final : public ComControl<office::CommandBarControl> {
 public:
  using ComControl::ComControl;
};

class ComCommandBarButton final : public ComControl<office::CommandBarButton> {
 public:
  using ComControl::ComControl;

  int FaceId() const override { return Get(object(), names::kFaceId).AsLong(); }
  void SetFaceId(int face) override {
    Put(object(), names::kFaceId, Variant(static_cast<std::int32_t>(face)));
  }
  int Style() const override { return Get(object(), names::kStyle).AsLong(); }
  void SetStyle(int style) override {
    Put(object(), names::kStyle, Variant(static_cast<std::int32_t>(style)));
  }
  void PasteFace() override { Call(object(), names::kPasteFace); }
  void SetPicture(const host::Picture& picture) override { PutPicture(names::kPicture, picture); }
  void SetMask(const host::Picture& mask) override { PutPicture(names::kMask, mask); }

  std::uint32_t Advise(office::CommandBarButtonEvents* sink) override {
    if (sink == nullptr)
      com::RaiseFailedCall(E_POINTER, "Advise");
    return connections_.Add(
        object(), {com::kDiidCommandBarButtonEvents}, [sink](DISPID id, DISPPARAMS& parameters) {
          if (id != com::kDispidClick || parameters.cArgs != 2)
            return;
          // Click(Ctrl, CancelDefault): rgvarg holds them last first.
          VARIANT& flag = parameters.rgvarg[0];
          if (flag.vt != (VT_BOOL | VT_BYREF) || flag.pboolVal == nullptr)
            return;
          ComPtr<IDispatch> ctrl = Variant::Borrow(parameters.rgvarg[1]).AsDispatch();
          ComCommandBarButton clicked(std::move(ctrl));
          bool cancel = *flag.pboolVal != VARIANT_FALSE;
          sink->Click(clicked, cancel);
          *flag.pboolVal = cancel ? VARIANT_TRUE : VARIANT_FALSE;
        });
  }
  void Unadvise(std::uint32_t cookie) override { connections_.Remove(cookie); }

 private:
  // An IPictureDisp as the property's value (Office's CommandBarButton.Picture
  // and Mask take one).
  void PutPicture(const wchar_t* name, const host::Picture& picture) {
    IDispatch* dispatch = DispatchOf(picture);
    if (dispatch == nullptr)
      com::RaiseFailedCall(E_INVALIDARG,
                           "no OLE picture for " + Utf16ToUtf8(FromWide(name, std::wcslen(name))));
    const Variant value(dispatch);
    dispatch->Release();
    Put(object(), name, value);
  }

  Connections connections_;
};

class ComCommandBarPopup final : public ComControl<office::CommandBarPopup> {
 public:
  using ComControl::ComControl;
  std::shared_ptr<office::CommandBar> CommandBar() override;
};

class ComCommandBar final : public office::CommandBar {
 public:
  explicit ComCommandBar(ComPtr<IDispatch> bar) : bar_(std::move(bar)) {}

  String Name() const override { return Get(bar_.get(), names::kName).AsString(); }
  void Reset() override { Call(bar_.get(), names::kReset); }

  std::shared_ptr<office::CommandBarControl> AddControl(int type,
                                                        const std::optional<String>& parameter,
                                                        bool temporary) override {
    const ComPtr<IDispatch> controls = GetObject(bar_.get(), names::kControls);
    std::vector<NamedArgument> named;
    named.push_back({names::kType, Variant(static_cast<std::int32_t>(type))});
    if (parameter)
      named.push_back({names::kParameter, Variant(*parameter)});
    named.push_back({names::kTemporary, Variant(temporary)});
    ComPtr<IDispatch> control = Call(controls.get(), names::kAdd, {}, named).AsDispatch();
    if (!control)
      com::RaiseFailedCall(E_FAIL, "Controls.Add: no control");
    if (type == office::msoControlButton)
      return std::make_shared<ComCommandBarButton>(std::move(control));
    if (type == office::msoControlPopup)
      return std::make_shared<ComCommandBarPopup>(std::move(control));
    return std::make_shared<ComPlainControl>(std::move(control));
  }

  std::shared_ptr<office::CommandBarControl> FindControl(const String& tag) override {
    ComPtr<IDispatch> control =
        Call(bar_.get(), names::kFindControl, {}, {{names::kTag, Variant(tag)}}).AsDispatch();
    if (!control)
      return nullptr;
    return WrapControl(std::move(control));
  }

  bool Visible() const override { return Get(bar_.get(), names::kVisible).AsBool(); }
  void SetVisible(bool visible) override { Put(bar_.get(), names::kVisible, Variant(visible)); }
  void SetAdaptiveMenu(bool adaptive) override {
    Put(bar_.get(), names::kAdaptiveMenu, Variant(adaptive));
  }

 private:
  ComPtr<IDispatch> bar_;
};

std::shared_ptr<office::CommandBar> ComCommandBarPopup::CommandBar() {
  ComPtr<IDispatch> menu = GetObject(object(), names::kCommandBar);
  if (!menu)
    com::RaiseFailedCall(E_FAIL, "CommandBar: the popup has no menu");
  return std::make_shared<ComCommandBar>(std::move(menu));
}

class ComCommandBars final : public office::CommandBars {
 public:
  explicit ComCommandBars(ComPtr<IDispatch> bars) : bars_(std::move(bars)) {}

  std::shared_ptr<office::CommandBar> Item(const String& name) override {
    ComPtr<IDispatch> bar = Get(bars_.get(), names::kItem, {Variant(name)}).AsDispatch();
    if (!bar)
      com::RaiseFailedCall(E_INVALIDARG, "CommandBars.Item: no such bar");
    return std::make_shared<ComCommandBar>(std::move(bar));
  }

  // MenuBar is left out; the rest are passed by name.
  std::shared_ptr<office::CommandBar> Add(const String& name, int position,
                                          bool temporary) override {
    ComPtr<IDispatch> bar = Call(bars_.get(), names::kAdd, {},
                                 {{names::kName, Variant(name)},
                                  {names::kPosition, Variant(static_cast<std::int32_t>(position))},
                                  {names::kTemporary, Variant(temporary)}})
                                .AsDispatch();
    if (!bar)
      com::RaiseFailedCall(E_FAIL, "CommandBars.Add: no bar");
    return std::make_shared<ComCommandBar>(std::move(bar));
  }

 private:
  ComPtr<IDispatch> bars_;
};

}  // namespace

std::shared_ptr<office::CommandBarControl> WrapControl(ComPtr<IDispatch> control) {
  // A control whose type cannot be read is taken for a button, the only kind
  // the add-in looks up.
  int type = office::msoControlButton;
  try {
    type = Get(control.get(), names::kType).AsLong();
  } catch (const host::HostError&) {
  }
  if (type == office::msoControlButton)
    return std::make_shared<ComCommandBarButton>(std::move(control));
  if (type == office::msoControlPopup)
    return std::make_shared<ComCommandBarPopup>(std::move(control));
  return std::make_shared<ComPlainControl>(std::move(control));
}

std::shared_ptr<office::CommandBars> ComExplorer::CommandBars() {
  ComPtr<IDispatch> bars = GetObject(explorer_.get(), names::kCommandBars);
  if (!bars)
    com::RaiseFailedCall(E_FAIL, "CommandBars: none");
  return std::make_shared<ComCommandBars>(std::move(bars));
}

}  // namespace ostrel::win32::outlook

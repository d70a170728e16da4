#include "standin/com/OfficeObjects.h"

#include "win32/OlePicture.h"
#include "win32/com/ComIds.h"

namespace ostrel::standin::com {

namespace ids = win32::com;
namespace office = host::office;

namespace {

// Reading an optional argument: the default when it is left out.
std::int32_t LongOr(const VARIANT& value, std::int32_t fallback) {
  return Variant::IsMissing(value) ? fallback : Variant::Borrow(value).AsLong();
}
bool BoolOr(const VARIANT& value, bool fallback) {
  return Variant::IsMissing(value) ? fallback : Variant::Borrow(value).AsBool();
}

VARIANT_BOOL Flag(bool value) {
  return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// The members every control has, for the button's and the popup's interface.
template <typename I, typename Model>
class ControlObject : public Automation<I> {
 public:
  ControlObject(const IID& iid, std::shared_ptr<Model> model)
      : Automation<I>(iid, IID__StandinControl), model_(std::move(model)) {}

  STDMETHODIMP get_Type(LONG* type) override {
    return Read(type, [&] { return static_cast<LONG>(model_->Type()); });
  }
  STDMETHODIMP get_Caption(BSTR* caption) override {
    return ReadText(caption, [&] { return model_->Caption(); });
  }
  STDMETHODIMP put_Caption(BSTR caption) override {
    return Guard([&] { model_->SetCaption(Bstr::ToString(caption)); });
  }
  STDMETHODIMP get_Tag(BSTR* tag) override {
    return ReadText(tag, [&] { return model_->Tag(); });
  }
  STDMETHODIMP put_Tag(BSTR tag) override {
    return Guard([&] { model_->SetTag(Bstr::ToString(tag)); });
  }
  STDMETHODIMP get_TooltipText(BSTR* text) override {
    return ReadText(text, [&] { return model_->TooltipText(); });
  }
  STDMETHODIMP put_TooltipText(BSTR text) override {
    return Guard([&] { model_->SetTooltipText(Bstr::ToString(text)); });
  }
  STDMETHODIMP get_BeginGroup(VARIANT_BOOL* begin) override {
    return Read(begin, [&] { return Flag(model_->BeginGroup()); });
  }
  STDMETHODIMP put_BeginGroup(VARIANT_BOOL begin) override {
    return Guard([&] { model_->SetBeginGroup(begin != VARIANT_FALSE); });
  }
  STDMETHODIMP get_Visible(VARIANT_BOOL* visible) override {
    return Read(visible, [&] { return Flag(model_->Visible()); });
  }
  STDMETHODIMP put_Visible(VARIANT_BOOL visible) override {
    return Guard([&] { model_->SetVisible(visible != VARIANT_FALSE); });
  }
  STDMETHODIMP get_OnAction(BSTR* action) override {
    return ReadText(action, [&] { return model_->OnAction(); });
  }
  STDMETHODIMP put_OnAction(BSTR action) override {
    return Guard([&] { model_->SetOnAction(Bstr::ToString(action)); });
  }
  STDMETHODIMP get_Parameter(BSTR* parameter) override {
    return ReadText(parameter, [&] { return model_->Parameter(); });
  }
  STDMETHODIMP put_Parameter(BSTR parameter) override {
    return Guard([&] { model_->SetParameter(Bstr::ToString(parameter)); });
  }
  // CommandBarControl.Delete(Temporary): with Temporary True the control goes
  // for the current session only (Office VBA reference, CommandBarControl.Delete
  // method). The model deletes for good only, so Temporary:=True is refused
  // rather than taken for the other.
  STDMETHODIMP Delete(VARIANT temporary) override {
    return Guard([&] {
      if (BoolOr(temporary, false))
        throw host::HostError(E_INVALIDARG, "the stand-in deletes controls for good only");
      model_->Delete();
    });
  }

 protected:
  template <typename T, typename Read_>
  static HRESULT Read(T* out, Read_&& read) {
    if (out == nullptr)
      return E_POINTER;
    *out = T();
    return Guard([&] { *out = read(); });
  }
  template <typename Read_>
  static HRESULT ReadText(BSTR* out, Read_&& read) {
    if (out == nullptr)
      return E_POINTER;
    *out = nullptr;
    return Guard([&] { HandOut(read(), out); });
  }

  std::shared_ptr<Model> model_;
};

class ButtonObject final : public ControlObject<_StandinButton, office::CommandBarButton>,
                           public IConnectionPointContainer {
 public:
  static ComPtr<ButtonObject> Make(std::shared_ptr<office::CommandBarButton> model) {
    return ComPtr<ButtonObject>::Attach(new ButtonObject(std::move(model)));
  }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    return ControlObject::QueryInterface(iid, out);
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ControlObject::AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return ControlObject::Release(); }
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override {
    if (points != nullptr)
      *points = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override {
    return FindPoint(iid, point, click_);
  }

  STDMETHODIMP get_FaceId(int* face) override {
    return Read(face, [&] { return model_->FaceId(); });
  }
  STDMETHODIMP put_FaceId(int face) override {
    return Guard([&] { model_->SetFaceId(face); });
  }
  STDMETHODIMP get_Style(LONG* style) override {
    return Read(style, [&] { return static_cast<LONG>(model_->Style()); });
  }
  STDMETHODIMP put_Style(LONG style) override {
    return Guard([&] { model_->SetStyle(style); });
  }
  STDMETHODIMP PasteFace() override {
    return Guard([&] { model_->PasteFace(); });
  }
  STDMETHODIMP put_Picture(IDispatch* picture) override {
    return PutPicture(picture, [this](const host::Picture& p) { model_->SetPicture(p); });
  }
  STDMETHODIMP put_Mask(IDispatch* mask) override {
    return PutPicture(mask, [this](const host::Picture& p) { model_->SetMask(p); });
  }

 private:
  // Only an OLE picture is a picture (E_INVALIDARG for another object).
  template <typename Set>
  HRESULT PutPicture(IDispatch* object, Set set) {
    IPicture* picture = nullptr;
    if (object == nullptr ||
        FAILED(object->QueryInterface(IID_IPicture, reinterpret_cast<void**>(&picture))))
      return E_INVALIDARG;
    const host::PicturePtr held = win32::PictureOf(picture);
    picture->Release();
    return Guard([&] { set(*held); });
  }

  explicit ButtonObject(std::shared_ptr<office::CommandBarButton> model)
      : ControlObject(IID__StandinButton, std::move(model)),
        click_(
            this, ids::kDiidCommandBarButtonEvents,
            [this](ButtonForwarder* forwarder) { return model_->Advise(forwarder); },
            [this](std::uint32_t cookie) { model_->Unadvise(cookie); }) {}
  void* QueryOther(REFIID iid) override {
    return iid == IID_IConnectionPointContainer ? static_cast<IConnectionPointContainer*>(this)
                                                : nullptr;
  }

  EventPoint<ButtonForwarder> click_;
};

class PopupObject final : public ControlObject<_StandinPopup, office::CommandBarPopup> {
 public:
  static ComPtr<PopupObject> Make(std::shared_ptr<office::CommandBarPopup> model) {
    return ComPtr<PopupObject>::Attach(new PopupObject(std::move(model)));
  }
  STDMETHODIMP get_CommandBar(IDispatch** menu) override {
    if (menu == nullptr)
      return E_POINTER;
    *menu = nullptr;
    return Guard([&] { HandOut(CommandBarObject::Make(model_->CommandBar()), menu); });
  }

 private:
  explicit PopupObject(std::shared_ptr<office::CommandBarPopup> model)
      : ControlObject(IID__StandinPopup, std::move(model)) {}
};

}  // namespace

ComPtr<IDispatch> WrapControl(const std::shared_ptr<office::CommandBarControl>& control) {
  ComPtr<IDispatch> wrapped;
  if (auto button = std::dynamic_pointer_cast<office::CommandBarButton>(control))
    HandOut(ButtonObject::Make(std::move(button)), wrapped.Out());
  else if (auto popup = std::dynamic_pointer_cast<office::CommandBarPopup>(control))
    HandOut(PopupObject::Make(std::move(popup)), wrapped.Out());
  return wrapped;
}

// ---- CommandBars ----------------------------------------------------------

CommandBarsObject::CommandBarsObject(std::shared_ptr<office::CommandBars> model)
    : Automation(IID__StandinCommandBars), model_(std::move(model)) {}

ComPtr<CommandBarsObject> CommandBarsObject::Make(std::shared_ptr<office::CommandBars> model) {
  return ComPtr<CommandBarsObject>::Attach(new CommandBarsObject(std::move(model)));
}

STDMETHODIMP CommandBarsObject::get_Item(VARIANT index, IDispatch** bar) {
  if (bar == nullptr)
    return E_POINTER;
  *bar = nullptr;
  return Guard([&] {
    HandOut(CommandBarObject::Make(model_->Item(Variant::Borrow(index).AsString())), bar);
  });
}

STDMETHODIMP CommandBarsObject::Add(VARIANT name, VARIANT position, VARIANT, VARIANT temporary,
                                    IDispatch** bar) {
  if (bar == nullptr)
    return E_POINTER;
  *bar = nullptr;
  return Guard([&] {
    const String barName = Variant::IsMissing(name) ? String() : Variant::Borrow(name).AsString();
    HandOut(CommandBarObject::Make(model_->Add(barName, LongOr(position, office::msoBarTop),
                                               BoolOr(temporary, false))),
            bar);
  });
}

// ---- CommandBar, Controls -------------------------------------------------

CommandBarObject::CommandBarObject(std::shared_ptr<office::CommandBar> model)
    : Automation(IID__StandinCommandBar), model_(std::move(model)) {}

ComPtr<CommandBarObject> CommandBarObject::Make(std::shared_ptr<office::CommandBar> model) {
  return ComPtr<CommandBarObject>::Attach(new CommandBarObject(std::move(model)));
}

STDMETHODIMP CommandBarObject::get_Name(BSTR* name) {
  if (name == nullptr)
    return E_POINTER;
  *name = nullptr;
  return Guard([&] { HandOut(model_->Name(), name); });
}

STDMETHODIMP CommandBarObject::get_Controls(IDispatch** controls) {
  if (controls == nullptr)
    return E_POINTER;
  *controls = nullptr;
  return Guard([&] { HandOut(ControlsObject::Make(model_), controls); });
}

STDMETHODIMP CommandBarObject::Reset() {
  return Guard([&] { model_->Reset(); });
}

STDMETHODIMP CommandBarObject::FindControl(VARIANT, VARIANT, VARIANT tag, VARIANT, VARIANT,
                                           IDispatch** control) {
  if (control == nullptr)
    return E_POINTER;
  *control = nullptr;
  return Guard([&] {
    if (Variant::IsMissing(tag))
      return;
    HandOut(WrapControl(model_->FindControl(Variant::Borrow(tag).AsString())), control);
  });
}

STDMETHODIMP CommandBarObject::get_Visible(VARIANT_BOOL* visible) {
  if (visible == nullptr)
    return E_POINTER;
  *visible = VARIANT_FALSE;
  return Guard([&] { *visible = Flag(model_->Visible()); });
}

STDMETHODIMP CommandBarObject::put_Visible(VARIANT_BOOL visible) {
  return Guard([&] { model_->SetVisible(visible != VARIANT_FALSE); });
}

STDMETHODIMP CommandBarObject::put_AdaptiveMenu(VARIANT_BOOL adaptive) {
  return Guard([&] { model_->SetAdaptiveMenu(adaptive != VARIANT_FALSE); });
}

ControlsObject::ControlsObject(std::shared_ptr<office::CommandBar> bar)
    : Automation(IID__StandinControls), bar_(std::move(bar)) {}

ComPtr<ControlsObject> ControlsObject::Make(std::shared_ptr<office::CommandBar> bar) {
  return ComPtr<ControlsObject>::Attach(new ControlsObject(std::move(bar)));
}

STDMETHODIMP ControlsObject::Add(VARIANT type, VARIANT, VARIANT parameter, VARIANT,
                                 VARIANT temporary, IDispatch** control) {
  if (control == nullptr)
    return E_POINTER;
  *control = nullptr;
  return Guard([&] {
    std::optional<String> text;
    if (!Variant::IsMissing(parameter))
      text = Variant::Borrow(parameter).AsString();
    HandOut(WrapControl(bar_->AddControl(LongOr(type, office::msoControlButton), text,
                                         BoolOr(temporary, false))),
            control);
  });
}

RibbonControlObject::RibbonControlObject(String id, String tag)
    : Automation(IID_IRibbonControl), id_(std::move(id)), tag_(std::move(tag)) {}

ComPtr<RibbonControlObject> RibbonControlObject::Make(String id, String tag) {
  return ComPtr<RibbonControlObject>::Attach(
      new RibbonControlObject(std::move(id), std::move(tag)));
}

STDMETHODIMP RibbonControlObject::get_Id(BSTR* id) {
  if (id == nullptr)
    return E_POINTER;
  HandOut(id_, id);
  return S_OK;
}

STDMETHODIMP RibbonControlObject::get_Context(IDispatch** context) {
  if (context == nullptr)
    return E_POINTER;
  *context = nullptr;
  return S_OK;
}

STDMETHODIMP RibbonControlObject::get_Tag(BSTR* tag) {
  if (tag == nullptr)
    return E_POINTER;
  HandOut(tag_, tag);
  return S_OK;
}

}  // namespace ostrel::standin::com

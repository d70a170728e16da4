#include "standin/com/ComAddIns.h"

#include "standin/com/OfficeObjects.h"
#include "win32/OlePicture.h"
#include "win32/Win32Handles.h"
#include "win32/com/Variant.h"

namespace ostrel::standin::com {
namespace {

// The custom argument: an empty array of variants, as Outlook passes it.
class Custom {
 public:
  Custom() : array_(::SafeArrayCreateVector(VT_VARIANT, 0, 0)) {}
  ~Custom() {
    if (array_ != nullptr)
      ::SafeArrayDestroy(array_);
  }
  Custom(const Custom&) = delete;
  Custom& operator=(const Custom&) = delete;
  SAFEARRAY** get() { return &array_; }

 private:
  SAFEARRAY* array_;
};

// The add-in's ribbon as Office reaches it: GetCustomUI through
// IRibbonExtensibility's vtable, and each callback the markup names through
// the object's IDispatch (asked of IRibbonExtensibility, the same object):
// GetIDsOfNames for its name, then Invoke with the IRibbonControl as the one
// argument and the answer as the result.
class ComRibbon final : public host::office::RibbonExtensibility {
 public:
  ComRibbon(win32::com::ComPtr<IRibbonExtensibility> ribbon,
            win32::com::ComPtr<IDispatch> callbacks)
      : ribbon_(std::move(ribbon)), callbacks_(std::move(callbacks)) {}

  String GetCustomUI(const String& ribbonId) override {
    BSTR markup = nullptr;
    const HRESULT hr = ribbon_->GetCustomUI(win32::com::Bstr(ribbonId).get(), &markup);
    String text =
        SUCCEEDED(hr) && markup != nullptr ? win32::com::Bstr::ToString(markup) : String();
    ::SysFreeString(markup);
    return text;
  }
  bool HasCallback(const String& name) override { return Lookup(name).has_value(); }
  std::optional<String> CallText(const String& name,
                                 const host::office::RibbonControl& control) override {
    win32::com::Variant result;
    if (!Call(name, control, &result))
      return std::nullopt;
    VARIANT text;
    ::VariantInit(&text);
    if (FAILED(::VariantChangeType(&text, &result.get(), 0, VT_BSTR)))
      return std::nullopt;
    String answer = win32::com::Bstr::ToString(text.bstrVal);
    ::VariantClear(&text);
    return answer;
  }
  host::PicturePtr CallImage(const String& name,
                             const host::office::RibbonControl& control) override {
    win32::com::Variant result;
    if (!Call(name, control, &result))
      return nullptr;
    const VARIANT& value = result.get();
    IUnknown* object = value.vt == VT_DISPATCH  ? value.pdispVal
                       : value.vt == VT_UNKNOWN ? value.punkVal
                                                : nullptr;
    win32::com::ComPtr<IPicture> picture;
    if (object == nullptr || FAILED(object->QueryInterface(IID_IPicture, picture.OutVoid())))
      return nullptr;
    return win32::PictureOf(picture.get());
  }
  bool CallAction(const String& name, const host::office::RibbonControl& control) override {
    win32::com::Variant ignored;
    return Call(name, control, &ignored);
  }

 private:
  std::optional<DISPID> Lookup(const String& name) {
    win32::com::Bstr text(name);
    LPOLESTR names[] = {text.get()};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(callbacks_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
      return std::nullopt;
    return id;
  }
  bool Call(const String& name, const host::office::RibbonControl& control,
            win32::com::Variant* result) {
    const std::optional<DISPID> id = Lookup(name);
    if (!id)
      return false;
    const win32::com::ComPtr<RibbonControlObject> ribbonControl =
        RibbonControlObject::Make(control.id, control.tag);
    VARIANT argument;
    ::VariantInit(&argument);
    argument.vt = VT_DISPATCH;
    argument.pdispVal = static_cast<IDispatch*>(static_cast<IRibbonControl*>(ribbonControl.get()));
    DISPPARAMS parameters{&argument, nullptr, 1, 0};
    return SUCCEEDED(callbacks_->Invoke(*id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                        &parameters, result->Out(), nullptr, nullptr));
  }

  win32::com::ComPtr<IRibbonExtensibility> ribbon_;
  win32::com::ComPtr<IDispatch> callbacks_;
};

}  // namespace

ComAddIn::ComAddIn(win32::com::ComPtr<IDTExtensibility2> object) : object_(std::move(object)) {}

ComAddIn::~ComAddIn() = default;

host::office::RibbonExtensibility* ComAddIn::Ribbon() {
  if (ribbonAsked_)
    return ribbon_.get();
  ribbonAsked_ = true;
  win32::com::ComPtr<IRibbonExtensibility> ribbon;
  win32::com::ComPtr<IDispatch> callbacks;
  if (SUCCEEDED(object_->QueryInterface(IID_IRibbonExtensibility, ribbon.OutVoid())) && ribbon &&
      SUCCEEDED(ribbon->QueryInterface(IID_IDispatch, callbacks.OutVoid())) && callbacks)
    ribbon_ = std::make_unique<ComRibbon>(std::move(ribbon), std::move(callbacks));
  return ribbon_.get();
}

std::unique_ptr<ComAddIn> ComAddIn::Create(const String& progId, std::string* problem) {
  CLSID clsid{};
  HRESULT hr = ::CLSIDFromProgID(win32::com::Wide(progId), &clsid);
  if (FAILED(hr)) {
    *problem = "COM knows no class for the ProgID (" + win32::HresultText(hr) + ")";
    return nullptr;
  }
  win32::com::ComPtr<IDTExtensibility2> object;
  hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2,
                          object.OutVoid());
  if (FAILED(hr) || !object) {
    *problem = "CoCreateInstance failed (" + win32::HresultText(hr) + ")";
    return nullptr;
  }
  return std::unique_ptr<ComAddIn>(new ComAddIn(std::move(object)));
}

HRESULT ComAddIn::OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addInInst) {
  Custom custom;
  return object_->OnConnection(application, mode, addInInst, custom.get());
}

HRESULT ComAddIn::OnDisconnection(ext_DisconnectMode mode) {
  Custom custom;
  return object_->OnDisconnection(mode, custom.get());
}

HRESULT ComAddIn::OnStartupComplete() {
  Custom custom;
  return object_->OnStartupComplete(custom.get());
}

HRESULT ComAddIn::OnBeginShutdown() {
  Custom custom;
  return object_->OnBeginShutdown(custom.get());
}

}  // namespace ostrel::standin::com

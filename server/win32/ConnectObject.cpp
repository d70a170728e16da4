#include "ConnectObject.h"

#include <vector>

#include "addin/AddIn.h"
#include "addin/Ribbon.h"
#include "common/Entry.h"
#include "server/win32/Module.h"
#include "win32/OlePicture.h"
#include "win32/com/ComIds.h"
#include "win32/com/Variant.h"

namespace ostrel::server {
namespace {

using win32::com::ComPtr;

// The custom data Outlook passes: the elements that read as text.
std::vector<String> CustomData(SAFEARRAY** custom) noexcept {
  std::vector<String> data;
  if (custom == nullptr || *custom == nullptr)
    return data;
  SAFEARRAY* array = *custom;
  VARTYPE type = VT_EMPTY;
  LONG lower = 0;
  LONG upper = -1;
  if (::SafeArrayGetDim(array) != 1 || FAILED(::SafeArrayGetVartype(array, &type)) ||
      type != VT_VARIANT || FAILED(::SafeArrayGetLBound(array, 1, &lower)) ||
      FAILED(::SafeArrayGetUBound(array, 1, &upper)))
    return data;
  for (LONG i = lower; i <= upper; ++i) {
    VARIANT element;
    ::VariantInit(&element);
    if (SUCCEEDED(::SafeArrayGetElement(array, &i, &element))) {
      VARIANT text;
      ::VariantInit(&text);
      if (SUCCEEDED(::VariantChangeType(&text, &element, 0, VT_BSTR)))
        data.push_back(win32::com::Bstr::ToString(text.bstrVal));
      ::VariantClear(&text);
    }
    ::VariantClear(&element);
  }
  return data;
}

}  // namespace

ConnectObject::ConnectObject() : connect_(platform_.services(), ModuleFolder()) {}

ConnectObject::~ConnectObject() = default;

STDMETHODIMP ConnectObject::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr)
    return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IDTExtensibility2 ||
      iid == IID__Connect) {
    *out = static_cast<_Connect*>(this);
    AddRef();
    return S_OK;
  }
  if (iid == IID_IRibbonExtensibility) {
    *out = static_cast<IRibbonExtensibility*>(&ribbon_);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) ConnectObject::AddRef() {
  return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) ConnectObject::Release() {
  const LONG left = ::InterlockedDecrement(&references_);
  if (left == 0) {
    // Outlook may let go of the add-in from inside one of the add-in's own
    // calls (a message box's loop delivers the disconnection): the object
    // goes when that call has returned.
    Entry::AfterOutermost([this] { delete this; });
  }
  return static_cast<ULONG>(left);
}

ITypeInfo* ConnectObject::TypeInfo() {
  if (!typeInfo_) {
    ComPtr<ITypeLib> library;
    const String path = ModulePath();
    if (SUCCEEDED(::LoadTypeLibEx(reinterpret_cast<LPCOLESTR>(path.c_str()), REGKIND_NONE,
                                  library.Out())))
      library->GetTypeInfoOfGuid(IID__Connect, typeInfo_.Out());
  }
  return typeInfo_.get();
}

STDMETHODIMP ConnectObject::GetTypeInfoCount(UINT* count) {
  if (count == nullptr)
    return E_POINTER;
  *count = TypeInfo() != nullptr ? 1 : 0;
  return S_OK;
}

STDMETHODIMP ConnectObject::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr)
    return E_POINTER;
  *info = nullptr;
  if (index != 0)
    return DISP_E_BADINDEX;
  ITypeInfo* typeInfo = TypeInfo();
  if (typeInfo == nullptr)
    return E_FAIL;
  typeInfo->AddRef();
  *info = typeInfo;
  return S_OK;
}

STDMETHODIMP ConnectObject::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) {
  if (iid != IID_NULL)
    return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* typeInfo = TypeInfo();
  if (typeInfo == nullptr)
    return E_FAIL;
  return ::DispGetIDsOfNames(typeInfo, names, count, ids);
}

STDMETHODIMP ConnectObject::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  if (iid != IID_NULL)
    return DISP_E_UNKNOWNINTERFACE;
  ITypeInfo* typeInfo = TypeInfo();
  if (typeInfo == nullptr)
    return E_FAIL;
  // The type information checks the argument count and types, and converts
  // them, before the vtable method is called.
  return ::DispInvoke(static_cast<_Connect*>(this), typeInfo, id, flags, parameters, result,
                      exception, argumentError);
}

// Each of the five is a door into the add-in: the object stays for the call
// (Outlook may release it meanwhile) and nothing thrown reaches Outlook.
template <typename Call>
HRESULT ConnectObject::Door(Call&& call) noexcept {
  Guarded(
      [&] {
        const ComPtr<_Connect> self = ComPtr<_Connect>::Copy(this);
        call();
      },
      [] {});
  return S_OK;
}

STDMETHODIMP ConnectObject::OnConnection(IDispatch* Application, ext_ConnectMode ConnectMode,
                                         IDispatch* AddInInst, SAFEARRAY** custom) {
  return Door([&] {
    // The add-in holds the Application for as long as Outlook has a window,
    // no longer.
    auto application =
        std::make_shared<win32::outlook::ComApplication>(ComPtr<IDispatch>::Copy(Application));
    win32::outlook::ComAddInInstance instance(ComPtr<IDispatch>::Copy(AddInInst));
    connect_.OnConnection(std::move(application), static_cast<int>(ConnectMode), instance,
                          CustomData(custom));
  });
}

STDMETHODIMP ConnectObject::OnDisconnection(ext_DisconnectMode RemoveMode, SAFEARRAY** custom) {
  return Door([&] { connect_.OnDisconnection(static_cast<int>(RemoveMode), CustomData(custom)); });
}

STDMETHODIMP ConnectObject::OnAddInsUpdate(SAFEARRAY** custom) {
  return Door([&] { connect_.OnAddInsUpdate(CustomData(custom)); });
}

STDMETHODIMP ConnectObject::OnStartupComplete(SAFEARRAY** custom) {
  return Door([&] { connect_.OnStartupComplete(CustomData(custom)); });
}

STDMETHODIMP ConnectObject::OnBeginShutdown(SAFEARRAY** custom) {
  return Door([&] { connect_.OnBeginShutdown(CustomData(custom)); });
}

host::office::RibbonControl ConnectObject::ControlOf(IRibbonControl* control) {
  host::office::RibbonControl answer;
  if (control == nullptr)
    return answer;
  for (const auto& [get, text] : {std::pair{&IRibbonControl::get_Id, &answer.id},
                                  std::pair{&IRibbonControl::get_Tag, &answer.tag}}) {
    BSTR value = nullptr;
    if (SUCCEEDED((control->*get)(&value)))
      *text = win32::com::Bstr::ToString(value);
    ::SysFreeString(value);
  }
  return answer;
}

HRESULT ConnectObject::TextCallback(IRibbonControl* control, BSTR* out, std::u16string_view name) {
  if (out == nullptr)
    return E_POINTER;
  std::optional<String> answer;
  const HRESULT hr = Door([&] { answer = connect_.CallText(String(name), ControlOf(control)); });
  *out = win32::com::Bstr(answer.value_or(String())).Detach();
  return answer ? hr : E_FAIL;
}

STDMETHODIMP ConnectObject::GetLabel(IRibbonControl* control, BSTR* label) {
  return TextCallback(control, label, ribbon::kGetLabel);
}

STDMETHODIMP ConnectObject::GetScreentip(IRibbonControl* control, BSTR* tip) {
  return TextCallback(control, tip, ribbon::kGetScreentip);
}

STDMETHODIMP ConnectObject::GetImage(IRibbonControl* control, IDispatch** image) {
  if (image == nullptr)
    return E_POINTER;
  *image = nullptr;
  Door([&] {
    const host::PicturePtr picture =
        connect_.CallImage(String(ribbon::kGetImage), ControlOf(control));
    if (picture)
      *image = win32::DispatchOf(*picture);
  });
  return *image != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP ConnectObject::OnAction(IRibbonControl* control) {
  bool done = false;
  const HRESULT hr =
      Door([&] { done = connect_.CallAction(String(ribbon::kOnAction), ControlOf(control)); });
  return done ? hr : E_FAIL;
}

STDMETHODIMP ConnectObject::Ribbon::GetTypeInfoCount(UINT* count) {
  if (count == nullptr)
    return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP ConnectObject::Ribbon::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr)
    *info = nullptr;
  return DISP_E_BADINDEX;
}

STDMETHODIMP ConnectObject::Ribbon::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                                  DISPID* ids) {
  if (iid != IID_NULL)
    return DISP_E_UNKNOWNINTERFACE;
  if (names == nullptr || ids == nullptr || count == 0)
    return E_INVALIDARG;
  for (UINT i = 0; i < count; ++i)
    ids[i] = DISPID_UNKNOWN;
  if (count != 1 || ::CompareStringOrdinal(names[0], -1, L"GetCustomUI", -1, TRUE) != CSTR_EQUAL)
    return DISP_E_UNKNOWNNAME;
  ids[0] = 1;
  return S_OK;
}

STDMETHODIMP ConnectObject::Ribbon::Invoke(DISPID id, REFIID iid, LCID, WORD flags,
                                           DISPPARAMS* parameters, VARIANT* result, EXCEPINFO*,
                                           UINT* argumentError) {
  if (iid != IID_NULL)
    return DISP_E_UNKNOWNINTERFACE;
  if (id != 1)
    return DISP_E_MEMBERNOTFOUND;
  if ((flags & DISPATCH_METHOD) == 0)
    return DISP_E_MEMBERNOTFOUND;
  if (parameters == nullptr || parameters->cArgs != 1 || parameters->cNamedArgs != 0)
    return DISP_E_BADPARAMCOUNT;
  VARIANT text;
  ::VariantInit(&text);
  if (FAILED(::VariantChangeType(&text, &parameters->rgvarg[0], 0, VT_BSTR))) {
    if (argumentError != nullptr)
      *argumentError = 0;
    return DISP_E_TYPEMISMATCH;
  }
  BSTR markup = nullptr;
  const HRESULT hr = GetCustomUI(text.bstrVal, &markup);
  ::VariantClear(&text);
  if (result != nullptr) {
    ::VariantInit(result);
    result->vt = VT_BSTR;
    result->bstrVal = markup;
  } else {
    ::SysFreeString(markup);
  }
  return hr;
}

STDMETHODIMP ConnectObject::Ribbon::GetCustomUI(BSTR ribbonId, BSTR* markup) {
  if (markup == nullptr)
    return E_POINTER;
  String text;
  const HRESULT hr = owner_.Door(
      [&] { text = owner_.connect_.GetCustomUI(win32::com::Bstr::ToString(ribbonId)); });
  // No markup for another ribbon: a null string, as Office takes it.
  *markup = text.empty() ? nullptr : win32::com::Bstr(text).Detach();
  return hr;
}

}  // namespace ostrel::server

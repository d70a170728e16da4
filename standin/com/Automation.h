// What the stand-in's automation objects share: IDispatch from the type library
// embedded in the program (DispInvoke gives Automation's own rules for names,
// named and omitted arguments and coercion), error reporting through
// IErrorInfo, and the translation of the model's failures into HRESULTs.
#pragma once

#include "win32/WindowsHeaders.h"  // before widl's header, which includes <windows.h>

#include <exception>
#include <new>

#include "OutlookModel.h"  // made by widl from OutlookModel.idl
#include "common/Text.h"
#include "host/HostError.h"
#include "host/String.h"
#include "win32/com/ComPtr.h"
#include "win32/com/Variant.h"

namespace ostrel::standin::com {

using win32::com::Bstr;
using win32::com::ComPtr;
using win32::com::Variant;

// The description of an interface of the object model, from the TYPELIB
// resource of the program; nullptr when it cannot be loaded.
ITypeInfo* TypeInfoOf(const IID& iid);

// Sets the calling thread's error information (the text a late-bound caller
// sees as the exception's description) and returns hr.
HRESULT RaiseError(HRESULT hr, const String& description);

// Runs a member's body and turns what it throws into the member's result: the
// model's host::HostError with its number (an HRESULT) and text, E_OUTOFMEMORY,
// or E_FAIL.
template <typename Body>
HRESULT Guard(Body&& body) noexcept {
  try {
    body();
    return S_OK;
  } catch (const host::HostError& error) {
    const HRESULT hr = error.Number() < 0 ? static_cast<HRESULT>(error.Number()) : E_FAIL;
    return RaiseError(hr, Utf8ToUtf16(error.what()));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception& error) {
    return RaiseError(E_FAIL, Utf8ToUtf16(error.what()));
  } catch (...) {
    return E_FAIL;
  }
}

// Hands an object out through an [out, retval] IDispatch**, with its reference.
template <typename T>
void HandOut(const ComPtr<T>& object, IDispatch** out) {
  *out = object.get();
  if (*out != nullptr)
    (*out)->AddRef();
}

// A text for an [out, retval] BSTR*.
inline void HandOut(const String& text, BSTR* out) {
  Bstr b(text);
  *out = b.Detach();
}

// An object of the model: one dual interface I (and those it derives from,
// listed in `also`), IDispatch through the type library, ISupportErrorInfo.
template <typename I>
class Automation : public I, public ISupportErrorInfo {
 public:
  Automation(const IID& iid, const IID& also = IID_NULL) : iid_(iid), also_(also) {}
  virtual ~Automation() = default;
  Automation(const Automation&) = delete;
  Automation& operator=(const Automation&) = delete;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr)
      return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == iid_ ||
        (iid == also_ && also_ != IID_NULL))
      *out = static_cast<I*>(this);
    else if (iid == IID_ISupportErrorInfo)
      *out = static_cast<ISupportErrorInfo*>(this);
    else
      *out = QueryOther(iid);
    if (*out == nullptr)
      return E_NOINTERFACE;
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override {
    return static_cast<ULONG>(::InterlockedIncrement(&references_));
  }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0)
      delete this;
    return static_cast<ULONG>(left);
  }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count == nullptr)
      return E_POINTER;
    *count = TypeInfoOf(iid_) != nullptr ? 1 : 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr)
      return E_POINTER;
    *info = nullptr;
    if (index != 0)
      return DISP_E_BADINDEX;
    ITypeInfo* typeInfo = TypeInfoOf(iid_);
    if (typeInfo == nullptr)
      return E_FAIL;
    typeInfo->AddRef();
    *info = typeInfo;
    return S_OK;
  }
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (iid != IID_NULL)
      return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* typeInfo = TypeInfoOf(iid_);
    return typeInfo != nullptr ? ::DispGetIDsOfNames(typeInfo, names, count, ids) : E_FAIL;
  }
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override {
    if (iid != IID_NULL)
      return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* typeInfo = TypeInfoOf(iid_);
    if (typeInfo == nullptr)
      return E_FAIL;
    return ::DispInvoke(static_cast<I*>(this), typeInfo, id, flags, parameters, result, exception,
                        argumentError);
  }

  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override {
    return iid == iid_ || iid == also_ ? S_OK : S_FALSE;
  }

  // The object's IDispatch, for handing it to a caller.
  IDispatch* AsDispatch() { return static_cast<I*>(this); }

 protected:
  // Other interfaces the object offers (a connection point container).
  virtual void* QueryOther(REFIID) { return nullptr; }

 private:
  LONG references_ = 1;
  IID iid_;
  IID also_;
};

}  // namespace ostrel::standin::com

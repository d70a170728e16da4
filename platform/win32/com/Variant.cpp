#include "win32/com/Variant.h"

#include "win32/com/LateBinding.h"

namespace ostrel::win32::com {
namespace {

// A copy of `from` converted to `type`.
VARIANT Converted(const VARIANT& from, VARTYPE type) {
  VARIANT to;
  ::VariantInit(&to);
  const HRESULT hr = ::VariantChangeType(&to, const_cast<VARIANT*>(&from), 0, type);
  if (FAILED(hr))
    RaiseFailedCall(hr, "converting an Automation value");
  return to;
}

}  // namespace

Bstr::Bstr(const String& text)
    : b_(::SysAllocStringLen(Wide(text), static_cast<UINT>(text.size()))) {
  if (b_ == nullptr && !text.empty())
    RaiseFailedCall(E_OUTOFMEMORY, "SysAllocStringLen");
}

Variant::Variant(const String& text) : Variant() {
  Bstr b(text);
  v_.vt = VT_BSTR;
  v_.bstrVal = b.Detach();
}

Variant::Variant(std::int32_t number) : Variant() {
  v_.vt = VT_I4;
  v_.lVal = number;
}

Variant::Variant(bool flag) : Variant() {
  v_.vt = VT_BOOL;
  v_.boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
}

Variant::Variant(IDispatch* object) : Variant() {
  v_.vt = VT_DISPATCH;
  v_.pdispVal = object;
  if (object != nullptr)
    object->AddRef();
}

Variant::Variant(const Variant& other) : Variant() {
  const HRESULT hr = ::VariantCopy(&v_, const_cast<VARIANT*>(&other.v_));
  if (FAILED(hr))
    RaiseFailedCall(hr, "VariantCopy");
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    *this = std::move(copy);
  }
  return *this;
}

Variant::Variant(Variant&& other) noexcept : v_(other.v_) {
  ::VariantInit(&other.v_);
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    ::VariantClear(&v_);
    v_ = other.v_;
    ::VariantInit(&other.v_);
  }
  return *this;
}

Variant Variant::Borrow(const VARIANT& value) {
  Variant copy;
  const HRESULT hr = ::VariantCopy(&copy.v_, const_cast<VARIANT*>(&value));
  if (FAILED(hr))
    RaiseFailedCall(hr, "VariantCopy");
  return copy;
}

Variant Variant::Missing() {
  Variant missing;
  missing.v_.vt = VT_ERROR;
  missing.v_.scode = DISP_E_PARAMNOTFOUND;
  return missing;
}

bool Variant::IsMissing(const VARIANT& v) {
  return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND;
}

String Variant::AsString() const {
  VARIANT text = Converted(v_, VT_BSTR);
  String result = Bstr::ToString(text.bstrVal);
  ::VariantClear(&text);
  return result;
}

std::int32_t Variant::AsLong() const {
  return Converted(v_, VT_I4).lVal;
}

bool Variant::AsBool() const {
  return Converted(v_, VT_BOOL).boolVal != VARIANT_FALSE;
}

ComPtr<IDispatch> Variant::AsDispatch() const {
  const VARIANT* v = &v_;
  if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal != nullptr)
    v = v->pvarVal;
  switch (v->vt) {
    case VT_EMPTY:
    case VT_NULL:
      return {};
    case VT_DISPATCH:
      return ComPtr<IDispatch>::Copy(v->pdispVal);
    case VT_DISPATCH | VT_BYREF:
      return ComPtr<IDispatch>::Copy(v->ppdispVal != nullptr ? *v->ppdispVal : nullptr);
    case VT_UNKNOWN: {
      ComPtr<IDispatch> object;
      if (v->punkVal == nullptr)
        return object;
      const HRESULT hr = v->punkVal->QueryInterface(IID_IDispatch, object.OutVoid());
      if (FAILED(hr))
        RaiseFailedCall(hr, "QueryInterface(IDispatch)");
      return object;
    }
    default:
      RaiseFailedCall(DISP_E_TYPEMISMATCH, "expected an object");
  }
}

}  // namespace ostrel::win32::com

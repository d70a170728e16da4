// BSTR and VARIANT, each owned by one object, and the conversions between them
// and the system's strings. Conversions of a VARIANT follow Automation's own
// coercion (VariantChangeType), so "True" reads as a true flag and 3 as "3".
#pragma once

#include <cstdint>
#include <utility>

#include "host/String.h"
#include "win32/WideText.h"
#include "win32/WindowsHeaders.h"
#include "win32/com/ComPtr.h"

namespace ostrel::win32::com {

using win32::FromWide;
using win32::Wide;

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(const String& text);
  ~Bstr() { ::SysFreeString(b_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}

  BSTR get() const { return b_; }
  BSTR* Out() {
    ::SysFreeString(std::exchange(b_, nullptr));
    return &b_;
  }
  BSTR Detach() { return std::exchange(b_, nullptr); }
  // A NULL BSTR is the empty text.
  static String ToString(BSTR b) { return FromWide(b, b == nullptr ? 0 : ::SysStringLen(b)); }
  String ToString() const { return ToString(b_); }

 private:
  BSTR b_ = nullptr;
};

class Variant {
 public:
  Variant() { ::VariantInit(&v_); }
  explicit Variant(const String& text);
  explicit Variant(const char16_t* text) : Variant(String(text)) {}
  explicit Variant(std::int32_t number);
  explicit Variant(bool flag);
  explicit Variant(IDispatch* object);  // adds a reference
  ~Variant() { ::VariantClear(&v_); }
  Variant(const Variant& other);
  Variant& operator=(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(Variant&& other) noexcept;

  // A copy of a value the caller keeps (an event's argument).
  static Variant Borrow(const VARIANT& value);
  // An optional argument that is left out (VT_ERROR, DISP_E_PARAMNOTFOUND).
  static Variant Missing();
  static bool IsMissing(const VARIANT& v);

  VARIANT& get() { return v_; }
  const VARIANT& get() const { return v_; }
  VARIANT* Out() {
    ::VariantClear(&v_);
    return &v_;
  }
  VARTYPE Type() const { return v_.vt; }

  // Automation's coercion to the type; host::HostError (DISP_E_TYPEMISMATCH and
  // the like) when the value does not convert.
  String AsString() const;
  std::int32_t AsLong() const;
  bool AsBool() const;
  // The object held: empty for Nothing (a NULL object, VT_EMPTY or VT_NULL);
  // host::HostError for a value that is no object.
  ComPtr<IDispatch> AsDispatch() const;

 private:
  VARIANT v_;
};

}  // namespace ostrel::win32::com

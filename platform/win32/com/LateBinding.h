// Late binding: members of an automation object called by name through
// IDispatch, as Visual Basic calls an object declared As Object. A call that
// fails raises host::HostError with the HRESULT as its number and, when the
// object raised an exception (DISP_E_EXCEPTION), its own code and description.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "win32/WindowsHeaders.h"
#include "win32/com/ComPtr.h"
#include "win32/com/Variant.h"

namespace ostrel::win32::com {

// Raises the failed HRESULT as the host error of the calling step.
[[noreturn]] void RaiseFailedCall(HRESULT hr, const std::string& what,
                                  const String& description = String());

struct NamedArgument {
  const wchar_t* name;
  Variant value;
};

// object.member(positional..., name:=value...) with the given dispatch flags.
// Positional arguments are in their natural order (the first is the member's
// first parameter). An empty object raises error 91, as an unset object
// variable does.
Variant Invoke(IDispatch* object, const wchar_t* member, WORD flags,
               const std::vector<Variant>& positional = {},
               const std::vector<NamedArgument>& named = {});

// A property read as Visual Basic makes it (DISPATCH_METHOD | DISPATCH_PROPERTYGET).
inline Variant Get(IDispatch* object, const wchar_t* property,
                   const std::vector<Variant>& arguments = {}) {
  return Invoke(object, property, DISPATCH_METHOD | DISPATCH_PROPERTYGET, arguments);
}
inline void Put(IDispatch* object, const wchar_t* property, Variant value) {
  Invoke(object, property, DISPATCH_PROPERTYPUT, {std::move(value)});
}
inline Variant Call(IDispatch* object, const wchar_t* method,
                    const std::vector<Variant>& positional = {},
                    const std::vector<NamedArgument>& named = {}) {
  return Invoke(object, method, DISPATCH_METHOD, positional, named);
}
// A property that holds an object; empty for Nothing.
inline ComPtr<IDispatch> GetObject(IDispatch* object, const wchar_t* property) {
  return Get(object, property).AsDispatch();
}

}  // namespace ostrel::win32::com

#include "win32/com/LateBinding.h"

#include "common/Text.h"
#include "host/ErrorNumbers.h"
#include "host/HostError.h"
#include "win32/Win32Handles.h"

namespace ostrel::win32::com {
namespace {

// What an EXCEPINFO says; its strings are freed here.
struct Exception {
  HRESULT code = S_OK;
  String description;
};

Exception TakeException(EXCEPINFO& info) {
  if (info.pfnDeferredFillIn != nullptr)
    info.pfnDeferredFillIn(&info);
  Exception exception;
  exception.code = info.scode != 0 ? info.scode : DISP_E_EXCEPTION;
  exception.description = Bstr::ToString(info.bstrDescription);
  ::SysFreeString(info.bstrDescription);
  ::SysFreeString(info.bstrSource);
  ::SysFreeString(info.bstrHelpFile);
  return exception;
}

}  // namespace

void RaiseFailedCall(HRESULT hr, const std::string& what, const String& description) {
  std::string message = what + " failed (" + HresultText(hr) + ")";
  if (!description.empty())
    message += ": " + Utf16ToUtf8(description);
  throw host::HostError(static_cast<long>(hr), message);
}

Variant Invoke(IDispatch* object, const wchar_t* member, WORD flags,
               const std::vector<Variant>& positional, const std::vector<NamedArgument>& named) {
  const std::string what = Utf16ToUtf8(FromWide(member, std::wcslen(member)));
  if (object == nullptr)
    throw host::HostError(host::errors::kObjectNotSet,
                          what + ": object variable or With block variable not set");

  std::vector<LPOLESTR> names{const_cast<LPOLESTR>(member)};
  for (const NamedArgument& argument : named)
    names.push_back(const_cast<LPOLESTR>(argument.name));
  std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
  HRESULT hr = object->GetIDsOfNames(IID_NULL, names.data(), static_cast<UINT>(names.size()),
                                     LOCALE_USER_DEFAULT, ids.data());
  if (FAILED(hr))
    RaiseFailedCall(hr, what);

  // rgvarg holds the named arguments first, in the order of their DISPIDs,
  // then the positional ones last to first.
  std::vector<VARIANT> arguments;
  std::vector<DISPID> namedIds;
  for (std::size_t i = 0; i < named.size(); ++i) {
    arguments.push_back(named[i].value.get());
    namedIds.push_back(ids[i + 1]);
  }
  for (auto it = positional.rbegin(); it != positional.rend(); ++it)
    arguments.push_back(it->get());
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{arguments.data(), namedIds.empty() ? nullptr : namedIds.data(),
                        static_cast<UINT>(arguments.size()), static_cast<UINT>(namedIds.size())};
  if ((flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0) {
    // The value of a property put is the one named DISPID_PROPERTYPUT.
    parameters.rgdispidNamedArgs = &putId;
    parameters.cNamedArgs = 1;
  }
  Variant result;
  EXCEPINFO info{};
  UINT argumentError = 0;
  hr = object->Invoke(ids[0], IID_NULL, LOCALE_USER_DEFAULT, flags, &parameters, result.Out(),
                      &info, &argumentError);
  if (hr == DISP_E_EXCEPTION) {
    const Exception exception = TakeException(info);
    RaiseFailedCall(exception.code, what, exception.description);
  }
  if (FAILED(hr))
    RaiseFailedCall(hr, what);
  return result;
}

}  // namespace ostrel::win32::com

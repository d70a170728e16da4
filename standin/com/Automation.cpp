#include "standin/com/Automation.h"
#include "win32/ModuleFile.h"

#include <map>

namespace ostrel::standin::com {
namespace {

// The module that holds this code: the program the stand-in's objects are
// linked into, whose TYPELIB resource describes them.
String ThisModulePath() {
  return win32::ModulePath(win32::ThisModule());
}

}  // namespace

ITypeInfo* TypeInfoOf(const IID& iid) {
  // Loaded once and kept for the life of the program, as the objects are
  // made and called on its one thread.
  static ITypeLib* library = [] {
    ITypeLib* loaded = nullptr;
    const String path = ThisModulePath();
    if (FAILED(::LoadTypeLibEx(win32::com::Wide(path), REGKIND_NONE, &loaded)))
      return static_cast<ITypeLib*>(nullptr);
    return loaded;
  }();
  static std::map<std::wstring, ITypeInfo*> infos;
  if (library == nullptr)
    return nullptr;
  wchar_t key[40] = {};
  ::StringFromGUID2(iid, key, 40);
  const auto found = infos.find(key);
  if (found != infos.end())
    return found->second;
  ITypeInfo* info = nullptr;
  if (FAILED(library->GetTypeInfoOfGuid(iid, &info)))
    return nullptr;
  infos.emplace(key, info);
  return info;
}

HRESULT RaiseError(HRESULT hr, const String& description) {
  ComPtr<ICreateErrorInfo> create;
  if (SUCCEEDED(::CreateErrorInfo(create.Out()))) {
    create->SetDescription(const_cast<LPOLESTR>(win32::com::Wide(description)));
    create->SetSource(const_cast<LPOLESTR>(L"Outlook"));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, info.OutVoid())))
      ::SetErrorInfo(0, info.get());
  }
  return hr;
}

}  // namespace ostrel::standin::com

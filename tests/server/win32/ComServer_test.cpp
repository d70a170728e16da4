// Ostrel.dll as COM sees it, tested the way Wine tests its own COM: poisoned
// out values, every out value checked, the reference rules of the class
// factory and of unloading, IDispatch over the embedded type library, the type
// library's identity and the version resource, and self-registration leaving
// the registry as it found it.
#include "win32/WindowsHeaders.h"  // first: it undoes the A/W macros of <windows.h>

#include <gtest/gtest.h>

#include <olectl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Extensibility.h"
#include "addin/ServerIdentity.h"
#include "common/Text.h"
#include "help/VersionInfo.h"
#include "support/TestPlatform.h"
#include "win32/com/ComPtr.h"
#include "win32/com/Variant.h"

namespace ostrel {
namespace {

using win32::com::ComPtr;

GUID ToGuid(const identity::Guid& g) {
  GUID guid{g.data1, g.data2, g.data3, {}};
  for (int i = 0; i < 8; ++i)
    guid.Data4[i] = g.data4[i];
  return guid;
}

void* const kPoison = reinterpret_cast<void*>(0xdeadbeef);

class ComServer : public ::testing::Test {
 protected:
  using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  using NoArguments = HRESULT(WINAPI*)();

  void SetUp() override {
    path_ = test::AddinFolder() + u"\\Ostrel.dll";
    module_ = ::LoadLibraryW(reinterpret_cast<const wchar_t*>(path_.c_str()));
    ASSERT_NE(module_, nullptr) << "error " << ::GetLastError();
    getClassObject_ = Entry<GetClassObject>("DllGetClassObject");
    canUnloadNow_ = Entry<NoArguments>("DllCanUnloadNow");
    ASSERT_NE(getClassObject_, nullptr);
    ASSERT_NE(canUnloadNow_, nullptr);
  }
  void TearDown() override { ::FreeLibrary(module_); }

  template <typename F>
  F Entry(const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
  }
  ComPtr<IClassFactory> Factory() {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(
        getClassObject_(ToGuid(identity::kClsidConnect.guid), IID_IClassFactory, factory.OutVoid()),
        S_OK);
    return factory;
  }

  String path_;
  HMODULE module_ = nullptr;
  GetClassObject getClassObject_ = nullptr;
  NoArguments canUnloadNow_ = nullptr;
};

TEST_F(ComServer, ClassFactoryAndQueryInterfaceFollowTheRules) {
  // Only Connect is creatable; AddIn and strangers are not.
  for (const GUID& clsid : {ToGuid(identity::kClsidAddIn.guid), IID_IUnknown}) {
    void* out = kPoison;
    EXPECT_EQ(getClassObject_(clsid, IID_IClassFactory, &out), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(out, nullptr);
  }
  void* out = kPoison;
  EXPECT_EQ(getClassObject_(ToGuid(identity::kClsidConnect.guid), IID_IDispatch, &out),
            E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);

  ComPtr<IClassFactory> factory = Factory();
  ASSERT_TRUE(factory);
  IUnknown* outer = reinterpret_cast<IUnknown*>(factory.get());
  out = kPoison;
  EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, &out), CLASS_E_NOAGGREGATION);
  EXPECT_EQ(out, nullptr);
  out = kPoison;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IClassFactory, &out), E_NOINTERFACE);
  EXPECT_EQ(out, nullptr);

  ComPtr<IUnknown> object;
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.OutVoid()), S_OK);
  // IDTExtensibility2, IDispatch and _Connect are one interface, IUnknown the
  // object's identity.
  const GUID same[] = {IID_IUnknown, IID_IDispatch, IID_IDTExtensibility2,
                       ToGuid(identity::kIidConnect.guid)};
  for (const GUID& iid : same) {
    ComPtr<IUnknown> again;
    EXPECT_EQ(object->QueryInterface(iid, again.OutVoid()), S_OK);
    EXPECT_NE(again.get(), nullptr);
  }
  ComPtr<IUnknown> identity;
  ComPtr<IDTExtensibility2> extensibility;
  ASSERT_EQ(object->QueryInterface(IID_IDTExtensibility2, extensibility.OutVoid()), S_OK);
  ASSERT_EQ(extensibility->QueryInterface(IID_IUnknown, identity.OutVoid()), S_OK);
  EXPECT_EQ(identity.get(), object.get());
  for (const GUID& iid : {ToGuid(identity::kIidAddIn.guid), IID_IClassFactory,
                          IID_IConnectionPointContainer, ToGuid(identity::kLibId.guid)}) {
    out = kPoison;
    EXPECT_EQ(object->QueryInterface(iid, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
  }
  EXPECT_EQ(object->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
}

TEST_F(ComServer, UnloadsOnlyWithoutObjectsAndLocks) {
  EXPECT_EQ(canUnloadNow_(), S_OK);
  {
    ComPtr<IClassFactory> factory = Factory();
    ComPtr<IUnknown> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.OutVoid()), S_OK);
    EXPECT_EQ(canUnloadNow_(), S_FALSE) << "an object lives";
    object.Reset();
    EXPECT_EQ(canUnloadNow_(), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(canUnloadNow_(), S_FALSE) << "the server is locked";
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
  }
  EXPECT_EQ(canUnloadNow_(), S_OK);
}

TEST_F(ComServer, IDispatchCallsTheConnectionEventsByTheirPublicNumbers) {
  ComPtr<IDispatch> object;
  ASSERT_EQ(Factory()->CreateInstance(nullptr, IID_IDispatch, object.OutVoid()), S_OK);
  UINT count = 7;
  ASSERT_EQ(object->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 1u);

  const wchar_t* names[] = {L"OnConnection", L"OnDisconnection", L"OnAddInsUpdate",
                            L"OnStartupComplete", L"onbeginshutdown"};
  for (DISPID expected = 1; expected <= 5; ++expected) {
    DISPID id = 0x7777;
    LPOLESTR name = const_cast<LPOLESTR>(names[expected - 1]);
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, expected) << names[expected - 1];
  }
  DISPID id = 0x7777;
  LPOLESTR unknown = const_cast<LPOLESTR>(L"OnSomethingElse");
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, &unknown, 1, LOCALE_USER_DEFAULT, &id),
            DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);

  // OnStartupComplete(custom): the custom array by reference, as hosts pass it.
  SAFEARRAY* custom = ::SafeArrayCreateVector(VT_VARIANT, 0, 0);
  VARIANT argument;
  argument.vt = VT_ARRAY | VT_VARIANT | VT_BYREF;
  argument.pparray = &custom;
  DISPPARAMS one{&argument, nullptr, 1, 0};
  EXCEPINFO exception{};
  UINT argumentError = 0;
  EXPECT_EQ(object->Invoke(4, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &one, nullptr,
                           &exception, &argumentError),
            S_OK);
  // The type information checks what arrives before the add-in sees it.
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(object->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, nullptr,
                           &exception, &argumentError),
            DISP_E_BADPARAMCOUNT);
  VARIANT text[4];
  for (VARIANT& v : text) {
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(L"not an object");
  }
  DISPPARAMS four{text, nullptr, 4, 0};
  EXPECT_EQ(object->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &four, nullptr,
                           &exception, &argumentError),
            DISP_E_TYPEMISMATCH);
  for (VARIANT& v : text)
    ::VariantClear(&v);
  EXPECT_EQ(object->Invoke(4, IID_IUnknown, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &one, nullptr,
                           &exception, &argumentError),
            DISP_E_UNKNOWNINTERFACE);
  ::SafeArrayDestroy(custom);
}

// The identity of the server: its type library as embedded, and its version.
TEST_F(ComServer, TypeLibraryAndVersionCarryTheServersIdentity) {
  ComPtr<ITypeLib> library;
  ASSERT_EQ(
      ::LoadTypeLibEx(reinterpret_cast<LPCOLESTR>(path_.c_str()), REGKIND_NONE, library.Out()),
      S_OK);
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, ToGuid(identity::kLibId.guid)));
  EXPECT_EQ(attributes->wMajorVerNum, identity::kTypeLibMajor);
  EXPECT_EQ(attributes->wMinorVerNum, identity::kTypeLibMinor);
  library->ReleaseTLibAttr(attributes);
  win32::com::Bstr name, help, file;
  ASSERT_EQ(library->GetDocumentation(-1, name.Out(), help.Out(), nullptr, file.Out()), S_OK);
  EXPECT_EQ(name.ToString(), identity::kTypeLibName);
  EXPECT_EQ(help.ToString(), identity::kTypeLibHelpString);
  const String helpFile = file.ToString();
  EXPECT_EQ(helpFile.substr(helpFile.find_last_of(u"\\/") + 1), identity::kTypeLibHelpFile);

  const struct {
    identity::ComId clsid;
    identity::ComId defaultInterface;
    bool creatable;
  } classes[] = {{identity::kClsidConnect, identity::kIidConnect, true},
                 {identity::kClsidAddIn, identity::kIidAddIn, false}};
  for (const auto& c : classes) {
    SCOPED_TRACE(Utf16ToUtf8(String(c.clsid.text)));
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(library->GetTypeInfoOfGuid(ToGuid(c.clsid.guid), info.Out()), S_OK);
    TYPEATTR* type = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&type), S_OK);
    EXPECT_EQ(type->typekind, TKIND_COCLASS);
    EXPECT_EQ((type->wTypeFlags & TYPEFLAG_FCANCREATE) != 0, c.creatable);
    info->ReleaseTypeAttr(type);
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> first;
    ASSERT_EQ(info->GetRefTypeOfImplType(0, &reference), S_OK);
    ASSERT_EQ(info->GetRefTypeInfo(reference, first.Out()), S_OK);
    ASSERT_EQ(first->GetTypeAttr(&type), S_OK);
    EXPECT_TRUE(IsEqualGUID(type->guid, ToGuid(c.defaultInterface.guid)));
    first->ReleaseTypeAttr(type);
  }

  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(reinterpret_cast<LPCWSTR>(path_.c_str()), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(
      ::GetFileVersionInfoW(reinterpret_cast<LPCWSTR>(path_.c_str()), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, DWORD(OSTREL_VERSION_MAJOR << 16 | OSTREL_VERSION_MINOR));
  EXPECT_EQ(fixed->dwFileVersionLS, DWORD(OSTREL_VERSION_REVISION));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
  const std::pair<const char*, std::string> strings[] = {
      {"FileDescription", OSTREL_FILE_DESCRIPTION},
      {"LegalCopyright", OSTREL_LEGAL_COPYRIGHT},
      {"Comments", OSTREL_COMMENTS},
      {"FileVersion", OSTREL_VERSION_TEXT},
      {"ProductVersion", OSTREL_VERSION_TEXT},
      {"OriginalFilename", "Ostrel.dll"}};
  for (const auto& [key, expected] : strings) {
    char* value = nullptr;
    const std::string query = std::string("\\StringFileInfo\\040904E4\\") + key;
    ASSERT_TRUE(
        ::VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << key;
    EXPECT_EQ(std::string(value), expected) << key;
  }
}

// Every value below a key, one line each with its key's path; nothing when the
// key is missing. Keys without values of their own are not listed: the standard
// containers (Software\Classes\CLSID and the like) that a registration in an
// empty registry creates stay after it, as they do on every Windows.
void Snapshot(HKEY root, const std::wstring& path, std::vector<std::wstring>* lines) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    BYTE data[2048];
    DWORD dataLength = sizeof data;
    DWORD type = 0;
    if (::RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &dataLength) !=
        ERROR_SUCCESS)
      break;
    lines->push_back(path + L" : " + std::wstring(name, nameLength) + L" = " +
                     std::to_wstring(type) + L":" +
                     std::wstring(reinterpret_cast<wchar_t*>(data), dataLength / 2));
  }
  std::vector<std::wstring> children;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD nameLength = 256;
    if (::RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    children.emplace_back(name, nameLength);
  }
  ::RegCloseKey(key);
  for (const std::wstring& child : children)
    Snapshot(root, path + L"\\" + child, lines);
}

std::vector<std::wstring> Registrations() {
  std::vector<std::wstring> lines;
  Snapshot(HKEY_CURRENT_USER, L"Software\\Classes", &lines);
  Snapshot(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\Outlook", &lines);
  Snapshot(HKEY_LOCAL_MACHINE, L"Software\\Classes\\Interface", &lines);
  Snapshot(HKEY_LOCAL_MACHINE, L"Software\\Classes\\TypeLib", &lines);
  return lines;
}

// Registering writes the per-user entries and touches no other program's:
// in particular the shared IDTExtensibility2 interface key, which Office
// registers, stays as it was. Unregistering leaves the registry as before.
TEST_F(ComServer, SelfRegistrationLeavesOtherRegistrationsAlone) {
  const wchar_t* shared = L"Software\\Classes\\Interface\\{B65AD801-ABAF-11D0-BB8B-00A0C90F2744}";
  const std::wstring typeLib = std::wstring(shared) + L"\\TypeLib";
  ASSERT_EQ(
      ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, shared, nullptr, REG_SZ, L"IDTExtensibility2", 36),
      ERROR_SUCCESS);
  ASSERT_EQ(::RegSetKeyValueW(HKEY_LOCAL_MACHINE, typeLib.c_str(), nullptr, REG_SZ,
                              L"{00000000-0000-0000-0000-0000000000AD}", 78),
            ERROR_SUCCESS);
  const std::vector<std::wstring> before = Registrations();

  const auto registerServer = Entry<NoArguments>("DllRegisterServer");
  const auto unregisterServer = Entry<NoArguments>("DllUnregisterServer");
  ASSERT_EQ(registerServer(), S_OK);
  wchar_t server[MAX_PATH] = {};
  LONG size = sizeof server;
  const std::wstring inproc =
      L"Software\\Classes\\CLSID\\" +
      std::wstring(identity::kClsidConnect.text.begin(), identity::kClsidConnect.text.end()) +
      L"\\InprocServer32";
  EXPECT_EQ(::RegQueryValueW(HKEY_CURRENT_USER, inproc.c_str(), server, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(server)), path_);
  DWORD behavior = 0;
  DWORD length = sizeof behavior;
  EXPECT_EQ(::RegGetValueW(HKEY_CURRENT_USER,
                           L"Software\\Microsoft\\Office\\Outlook\\Addins\\Ostrel.Connect",
                           L"LoadBehavior", RRF_RT_REG_DWORD, nullptr, &behavior, &length),
            ERROR_SUCCESS);
  EXPECT_EQ(behavior, 3u);
  const std::vector<std::wstring> registered = Registrations();
  for (const std::wstring& line : before) {
    if (line.find(L"{B65AD801") != std::wstring::npos) {
      EXPECT_NE(std::find(registered.begin(), registered.end(), line), registered.end());
    }
  }

  ASSERT_EQ(unregisterServer(), S_OK);
  EXPECT_EQ(Registrations(), before);
  ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, shared);
}

}  // namespace
}  // namespace ostrel

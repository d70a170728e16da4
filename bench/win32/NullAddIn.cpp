// A COM add-in that does nothing, registered and loaded exactly as Ostrel.dll
// is: the baseline of the connection benchmark.
#include "win32/WindowsHeaders.h"  // before widl's header, which includes <windows.h>

#include <olectl.h>

#include <string>

#include "Extensibility.h"

namespace {

HMODULE module = nullptr;
LONG objects = 0;

// {6D1C5B9E-7A4F-4E0B-8F3A-2B9C0D1E5A77}
const CLSID kClsid = {0x6D1C5B9E, 0x7A4F, 0x4E0B, {0x8F, 0x3A, 0x2B, 0x9C, 0x0D, 0x1E, 0x5A, 0x77}};
const wchar_t kClsidText[] = L"{6D1C5B9E-7A4F-4E0B-8F3A-2B9C0D1E5A77}";
const wchar_t kProgId[] = L"OstrelBench.NullAddIn";

class NullAddIn final : public IDTExtensibility2 {
 public:
  NullAddIn() { ::InterlockedIncrement(&objects); }
  ~NullAddIn() { ::InterlockedDecrement(&objects); }
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr)
      return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IDTExtensibility2) {
      *out = static_cast<IDTExtensibility2*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ::InterlockedIncrement(&references_); }
  STDMETHODIMP_(ULONG) Release() override {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0)
      delete this;
    return left;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP OnConnection(IDispatch*, ext_ConnectMode, IDispatch*, SAFEARRAY**) override {
    return S_OK;
  }
  STDMETHODIMP OnDisconnection(ext_DisconnectMode, SAFEARRAY**) override { return S_OK; }
  STDMETHODIMP OnAddInsUpdate(SAFEARRAY**) override { return S_OK; }
  STDMETHODIMP OnStartupComplete(SAFEARRAY**) override { return S_OK; }
  STDMETHODIMP OnBeginShutdown(SAFEARRAY**) override { return S_OK; }

 private:
  LONG references_ = 1;
};

class Factory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr)
      return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IClassFactory) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    *out = nullptr;
    if (outer != nullptr)
      return CLASS_E_NOAGGREGATION;
    NullAddIn* addin = new NullAddIn();
    const HRESULT hr = addin->QueryInterface(iid, out);
    addin->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    lock ? ::InterlockedIncrement(&objects) : ::InterlockedDecrement(&objects);
    return S_OK;
  }
} factory;

bool SetText(const std::wstring& key, const wchar_t* value) {
  return ::RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), nullptr, REG_SZ, value,
                           static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH)
    module = instance;
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  *out = nullptr;
  if (clsid != kClsid)
    return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() {
  return objects == 0 ? S_OK : S_FALSE;
}

STDAPI DllRegisterServer() {
  wchar_t path[MAX_PATH] = {};
  ::GetModuleFileNameW(module, path, MAX_PATH);
  const std::wstring cls = std::wstring(L"Software\\Classes\\CLSID\\") + kClsidText;
  const std::wstring progId = std::wstring(L"Software\\Classes\\") + kProgId;
  const bool written =
      SetText(cls + L"\\InprocServer32", path) &&
      ::RegSetKeyValueW(HKEY_CURRENT_USER, (cls + L"\\InprocServer32").c_str(), L"ThreadingModel",
                        REG_SZ, L"Apartment", 20) == ERROR_SUCCESS &&
      SetText(progId + L"\\CLSID", kClsidText);
  return written ? S_OK : SELFREG_E_CLASS;
}

STDAPI DllUnregisterServer() {
  ::RegDeleteTreeW(HKEY_CURRENT_USER,
                   (std::wstring(L"Software\\Classes\\CLSID\\") + kClsidText).c_str());
  ::RegDeleteTreeW(HKEY_CURRENT_USER, (std::wstring(L"Software\\Classes\\") + kProgId).c_str());
  return S_OK;
}

// Ostrel.dll's entry points: the class factory of Connect, unloading, and the
// self-registration for the current user.
#include <olectl.h>

#include <atomic>
#include <new>

#include "ConnectObject.h"
#include "addin/Registration.h"
#include "server/win32/Module.h"
#include "win32/ModuleFile.h"
#include "win32/Win32Services.h"
#include "win32/com/ObjectCount.h"
#include "win32/ui/DialogViews.h"

namespace ostrel::server {
namespace {

std::atomic<long> serverLocks{0};

// The one class factory, a static object: only Connect is creatable.
class ConnectFactory final : public IClassFactory {
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
  // Static: its references do not matter, the server locks do.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr)
      return E_POINTER;
    *out = nullptr;
    if (outer != nullptr)
      return CLASS_E_NOAGGREGATION;
    ostrel::Entry entry;
    ConnectObject* object = nullptr;
    try {
      object = new ConnectObject();
    } catch (...) {
      return E_OUTOFMEMORY;
    }
    const HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    if (lock)
      ++serverLocks;
    else
      --serverLocks;
    return S_OK;
  }
};

ConnectFactory factory;

}  // namespace

String ModulePath() {
  return win32::ModulePath(win32::ThisModule());
}

String ModuleFolder() {
  return win32::FolderOf(ModulePath());
}

}  // namespace ostrel::server

using ostrel::server::factory;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    ::DisableThreadLibraryCalls(instance);
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    // Unloaded by FreeLibrary (COM's CoFreeUnusedLibraries), not at the
    // process's end: a class left registered would point into the old image.
    ostrel::win32::view::UnregisterWindowClasses();
  }
  return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr)
    return E_POINTER;
  *out = nullptr;
  // AddIn is made only inside the server.
  if (clsid != CLSID_Connect)
    return CLASS_E_CLASSNOTAVAILABLE;
  return factory.QueryInterface(iid, out);
}

STDAPI DllCanUnloadNow() {
  return ostrel::win32::com::ObjectCount::Live() == 0 && ostrel::server::serverLocks == 0 ? S_OK
                                                                                          : S_FALSE;
}

STDAPI DllRegisterServer() {
  try {
    ostrel::win32::Win32Platform platform;
    return ostrel::RegisterServer(platform.services(), ostrel::server::ModulePath())
               ? S_OK
               : SELFREG_E_CLASS;
  } catch (...) {
    return SELFREG_E_CLASS;
  }
}

STDAPI DllUnregisterServer() {
  try {
    ostrel::win32::Win32Platform platform;
    return ostrel::UnregisterServer(platform.services(), ostrel::server::ModulePath())
               ? S_OK
               : SELFREG_E_CLASS;
  } catch (...) {
    return SELFREG_E_CLASS;
  }
}

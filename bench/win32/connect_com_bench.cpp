// Connection through COM under Wine: from CoCreateInstance to the return of
// OnConnection with the resources applied, then, as Outlook 2016 goes on, the
// ribbon's markup asked for (IRibbonExtensibility::GetCustomUI; the
// do-nothing add-in has none). For Ostrel and for a do-nothing add-in loaded
// the same way, each on its first load (the DLL loaded by COM) and on later
// loads (the DLL already in the process); Ostrel also in Outlook 2003, where
// it builds its toolbar at connection.
// Both servers must be registered where COM finds them (scripts/wine-bench.sh).
#include "win32/WindowsHeaders.h"  // before widl's headers, which include <windows.h>

#include <benchmark/benchmark.h>

#include <filesystem>

#include "Extensibility.h"
#include "common/Text.h"
#include "outlook/StandinApplication.h"
#include "standin/com/OutlookObjects.h"
#include "win32/Win32Services.h"
#include "win32/com/Variant.h"
#include "win32/outlook/ComOutlook.h"

namespace {

using ostrel::win32::com::ComPtr;

void Connect(benchmark::State& state, const wchar_t* progId, bool firstLoad, int version = 16) {
  ::CoInitialize(nullptr);
  CLSID clsid{};
  if (FAILED(::CLSIDFromProgID(progId, &clsid))) {
    state.SkipWithError("the add-in is not registered (run scripts/wine-bench.sh)");
    return;
  }
  ostrel::win32::Win32Platform platform;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / "ostrel-bench" / std::filesystem::path(progId);
  std::filesystem::create_directories(folder);
  const ostrel::String profile = folder.u16string();
  ComPtr<IClassFactory> keep;
  if (!firstLoad) {
    // A lock keeps the server's DLL in the process between the iterations.
    ::CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory, keep.OutVoid());
    if (keep)
      keep->LockServer(TRUE);
  }
  SAFEARRAY* custom = ::SafeArrayCreateVector(VT_VARIANT, 0, 0);
  for (auto _ : state) {
    state.PauseTiming();
    ostrel::standin::StandinApplication model(platform.services().files,
                                              platform.services().clipboard, profile + u"\\Outbox",
                                              profile, [] { return std::int64_t{0}; });
    model.SetVersion(version);
    model.OpenExplorer();
    auto app = ostrel::standin::com::ApplicationObject::Make(model);
    auto instance = ostrel::standin::com::AddInObject::Make(
        model.MakeAddInInstance(ostrel::String(reinterpret_cast<const char16_t*>(progId))));
    if (firstLoad)
      ::CoFreeUnusedLibrariesEx(0, 0);
    state.ResumeTiming();

    ComPtr<IDTExtensibility2> addin;
    if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2,
                                  addin.OutVoid())) ||
        FAILED(addin->OnConnection(app->AsDispatch(), ext_cm_Startup, instance->AsDispatch(),
                                   &custom))) {
      state.SkipWithError("the add-in could not be created or connected");
      break;
    }
    ComPtr<IRibbonExtensibility> ribbon;
    if (version >= 14 &&
        SUCCEEDED(addin->QueryInterface(IID_IRibbonExtensibility, ribbon.OutVoid()))) {
      BSTR markup = nullptr;
      ribbon->GetCustomUI(ostrel::win32::com::Bstr(u"Microsoft.Outlook.Explorer").get(), &markup);
      ::SysFreeString(markup);
    }

    state.PauseTiming();
    addin->OnDisconnection(ext_dm_HostShutdown, &custom);
    addin.Reset();
    state.ResumeTiming();
  }
  ::SafeArrayDestroy(custom);
  if (keep)
    keep->LockServer(FALSE);
}

void BM_ConnectOstrel_FirstLoad(benchmark::State& state) {
  Connect(state, L"Ostrel.Connect", true);
}
void BM_ConnectOstrel_LaterLoads(benchmark::State& state) {
  Connect(state, L"Ostrel.Connect", false);
}
void BM_ConnectOstrel_FirstLoad_Outlook2003(benchmark::State& state) {
  Connect(state, L"Ostrel.Connect", true, 11);
}
void BM_ConnectOstrel_LaterLoads_Outlook2003(benchmark::State& state) {
  Connect(state, L"Ostrel.Connect", false, 11);
}
void BM_ConnectDoNothing_FirstLoad(benchmark::State& state) {
  Connect(state, L"OstrelBench.NullAddIn", true);
}
void BM_ConnectDoNothing_LaterLoads(benchmark::State& state) {
  Connect(state, L"OstrelBench.NullAddIn", false);
}

BENCHMARK(BM_ConnectOstrel_FirstLoad)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_ConnectDoNothing_FirstLoad)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_ConnectOstrel_LaterLoads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConnectDoNothing_LaterLoads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConnectOstrel_FirstLoad_Outlook2003)->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_ConnectOstrel_LaterLoads_Outlook2003)->Unit(benchmark::kMillisecond);

// What a connection spends on the resource library alone: LoadLibraryExW of
// RES_ENU.DLL as the add-in loads it (no flags), and FreeLibrary; against a
// load as a resource image only (LOAD_LIBRARY_AS_DATAFILE |
// LOAD_LIBRARY_AS_IMAGE_RESOURCE), which maps it without making a module.
void LoadResourceLibrary(benchmark::State& state, DWORD flags) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::filesystem::path library =
      std::filesystem::path(self).parent_path() / ".." / ".." / "addin" / "RES_ENU.DLL";
  for (auto _ : state) {
    const HMODULE module = ::LoadLibraryExW(library.c_str(), nullptr, flags);
    if (module == nullptr) {
      state.SkipWithError("RES_ENU.DLL is not in the build's addin folder");
      break;
    }
    ::FreeLibrary(module);
  }
}
void BM_LoadResourceLibrary(benchmark::State& state) {
  LoadResourceLibrary(state, 0);
}
void BM_LoadResourceLibrary_Baseline_AsImageResource(benchmark::State& state) {
  LoadResourceLibrary(state, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}
BENCHMARK(BM_LoadResourceLibrary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadResourceLibrary_Baseline_AsImageResource)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// One property put through COM by name (GetIDsOfNames, then Invoke through the
// type information), against the same put on the model directly.
void BM_LateBoundCaption(benchmark::State& state) {
  ostrel::win32::Win32Platform platform;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "ostrel-bench-put";
  std::filesystem::create_directories(folder);
  ostrel::standin::StandinApplication model(
      platform.services().files, platform.services().clipboard, folder.u16string() + u"\\Outbox",
      folder.u16string(), [] { return std::int64_t{0}; });
  model.OpenExplorer();
  auto object = ostrel::standin::com::ApplicationObject::Make(model);
  ostrel::win32::outlook::ComApplication app(ComPtr<IDispatch>::Copy(object->AsDispatch()));
  auto bar = app.ActiveExplorer()->CommandBars()->Add(u"Bench", 1, true);
  auto button = bar->AddControl(1, std::nullopt, true);
  for (auto _ : state)
    button->SetCaption(u"Payment request");
}
BENCHMARK(BM_LateBoundCaption)->Unit(benchmark::kMicrosecond);

void BM_DirectCaption(benchmark::State& state) {
  ostrel::win32::Win32Platform platform;
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "ostrel-bench-put";
  std::filesystem::create_directories(folder);
  ostrel::standin::StandinApplication model(
      platform.services().files, platform.services().clipboard, folder.u16string() + u"\\Outbox",
      folder.u16string(), [] { return std::int64_t{0}; });
  auto bar = model.OpenExplorer()->CommandBars()->Add(u"Bench", 1, true);
  auto button = bar->AddControl(1, std::nullopt, true);
  for (auto _ : state)
    button->SetCaption(u"Payment request");
}
BENCHMARK(BM_DirectCaption)->Unit(benchmark::kMicrosecond);

}  // namespace

// The wizard as a person meets it under Wine: from the toolbar's command to
// the wizard's window shown and idle, and a page change (a click on Next or
// Back, through the button's window) until the windows are idle again; the
// baseline is an empty top-level window of the wizard's size, made and shown
// in the same run. Needs the installation data in the registry and a display
// or Wine's null graphics driver (scripts/wine-bench.sh).
#include "win32/WindowsHeaders.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "addin/AddInState.h"
#include "common/Text.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "win32/Win32Services.h"
#include "win32/ui/ControlNames.h"
#include "wizard/frmWizard.h"

namespace {

using namespace ostrel;

// Lets every waiting message through: the windows are idle afterwards.
void UntilIdle() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

// The add-in's state as the connection leaves it, for the add-in's folder
// beside this program's build (OSTREL_BENCH_ADDIN_DIR).
struct AddIn {
  win32::Win32Platform platform;
  AddInState state{platform.services(), Utf8ToUtf16(OSTREL_BENCH_ADDIN_DIR)};
  AddIn() {
    OpenResourceLibrary(state);
    state.appTitle = ResString(state, res::kAppTitle);
    for (int i = 0; i < 3; ++i)
      state.messageTable[static_cast<std::size_t>(i)] =
          ResString(state, res::kMessageInvalidAccount + i);
  }
  ~AddIn() {
    state.CloseDialogs();
    CloseResourceLibrary(state);
  }
};

struct Search {
  const wchar_t* name;
  HWND found;
};

BOOL CALLBACK MatchName(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<Search*>(data);
  if (win32::view::TextProperty(window, win32::view::kControlName) != search->name)
    return TRUE;
  search->found = window;
  return FALSE;
}

HWND ControlWindow(HWND dialog, const wchar_t* name) {
  Search search{name, nullptr};
  ::EnumChildWindows(dialog, MatchName, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

void BM_ShowWizard(benchmark::State& state) {
  AddIn addin;
  for (auto _ : state) {
    OpenWizard(addin.state);
    UntilIdle();
    state.PauseTiming();
    if (addin.state.Wizard() == nullptr || !addin.state.WizardReady) {
      state.SkipWithError("the wizard did not open (installation data missing?)");
      break;
    }
    addin.state.CloseDialogs();
    UntilIdle();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ShowWizard)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_PageChange(benchmark::State& state) {
  AddIn addin;
  OpenWizard(addin.state);
  UntilIdle();
  frmWizard* wizard = addin.state.Wizard();
  const HWND window = wizard != nullptr
                          ? reinterpret_cast<HWND>(static_cast<std::uintptr_t>(wizard->hWnd))
                          : nullptr;
  const HWND next = ControlWindow(window, L"cmdNext");
  const HWND back = ControlWindow(window, L"cmdBack");
  if (next == nullptr || back == nullptr) {
    state.SkipWithError("no wizard window with its Next and Back buttons");
    return;
  }
  bool forward = true;
  for (auto _ : state) {
    // Between the welcome page and the type page: no field rule runs.
    ::SendMessageW(forward ? next : back, BM_CLICK, 0, 0);
    UntilIdle();
    forward = !forward;
  }
}
BENCHMARK(BM_PageChange)->Unit(benchmark::kMillisecond);

// The baseline: an empty dialog-like window of the wizard's size. Both window
// benchmarks run a fixed count: the untimed closing costs far more than the
// timed part here, and Google Benchmark would otherwise grow the count until
// the timed part alone fills its minimum time.
void BM_EmptyWindowOfTheWizardsSize(benchmark::State& state) {
  WNDCLASSW type{};
  type.lpfnWndProc = ::DefWindowProcW;
  type.hInstance = ::GetModuleHandleW(nullptr);
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  type.lpszClassName = L"OstrelBenchEmpty";
  ::RegisterClassW(&type);
  for (auto _ : state) {
    const HWND window =
        ::CreateWindowExW(WS_EX_DLGMODALFRAME, type.lpszClassName, L"Quarro Payment Request Wizard",
                          WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100, 508, 385, nullptr, nullptr,
                          type.hInstance, nullptr);
    ::ShowWindow(window, SW_SHOWNORMAL);
    UntilIdle();
    state.PauseTiming();
    ::DestroyWindow(window);
    UntilIdle();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_EmptyWindowOfTheWizardsSize)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  ::OleInitialize(nullptr);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  ::OleUninitialize();
  return 0;
}

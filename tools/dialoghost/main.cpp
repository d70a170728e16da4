// ostrel-dialoghost: the add-in's dialogs on a Windows desktop without Outlook,
// for the keystroke test and the screenshots. The real Win32 platform and view,
// a plain GetMessage/DispatchMessage loop as Outlook has (no IsDialogMessage),
// and a script read from standard input, one action a line, each answered by
// its output and a line holding a single ".":
//   open | open-type N | options | about   what the toolbar's commands do
//   click C | type C TEXT | select C N | tab | close | show | answer OK
//   front                                  the front dialog's screen rectangle
//   quit
// In TEXT, \s is a space, \n a line break and \\ a backslash. Links and help
// topics are printed, not opened.
#include <cstdio>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "addin/AddInState.h"
#include "com/DialogDriver.h"
#include "common/Text.h"
#include "help/frmAbout.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"
#include "settings/frmOptions.h"
#include "win32/Win32Services.h"
#include "win32/WindowsHeaders.h"
#include "wizard/frmWizard.h"

namespace {

using namespace ostrel;

std::mutex printing;

void Print(const std::string& line) {
  std::lock_guard<std::mutex> lock(printing);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

class PrintingShell final : public host::Shell {
 public:
  std::intptr_t ShellExecute(host::WindowHandle, const String& verb, const String& file,
                             const String&, const String&, int) override {
    Print("shell: " + Utf16ToUtf8(verb.empty() ? u"(default)" : verb) + " " + Utf16ToUtf8(file));
    return 42;
  }
  void StartProgram(const String& path) override { Print("start: " + Utf16ToUtf8(path)); }
};

class PrintingHelp final : public host::HelpViewer {
 public:
  host::WindowHandle HtmlHelp(host::WindowHandle, const String& file, std::uint32_t,
                              const String& topic) override {
    Print("help: " + Utf16ToUtf8(file) + " " + Utf16ToUtf8(topic));
    return host::WindowHandle::None;
  }
};

String Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      out += next == 's' ? ' ' : next == 'n' ? '\n' : next == 't' ? '\t' : next;
    } else {
      out += text[i];
    }
  }
  return Utf8ToUtf16(out);
}

// The toolbar's commands run on the dialogs' thread, as Outlook's clicks do.
constexpr UINT kCommand = WM_APP + 1;
enum Command : WPARAM { kOpen, kOpenType, kOptions, kAbout, kQuit };

struct Host {
  AddInState* state;
  HWND window;
};

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kCommand)
    return ::DefWindowProcW(window, message, wParam, lParam);
  auto* state = reinterpret_cast<AddInState*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  try {
    switch (wParam) {
      case kOpen:
        OpenWizard(*state);
        break;
      case kOpenType:
        OpenWizardForType(*state, static_cast<std::int32_t>(lParam));
        break;
      case kOptions:
        ShowOptions(*state);
        break;
      case kAbout:
        ShowAbout(*state);
        break;
      case kQuit:
        state->CloseDialogs();
        ::PostQuitMessage(0);
        break;
      default:
        break;
    }
  } catch (const std::exception& error) {
    Print(std::string("command failed: ") + error.what());
  }
  return 0;
}

// What a dialog action came to, as the stand-ins print it.
void Report(standin::DialogOutcome outcome, const std::string& what) {
  switch (outcome) {
    case standin::DialogOutcome::Done:
      return;
    case standin::DialogOutcome::Refused:
      Print(what + ": refused, the focus stays where it was");
      return;
    case standin::DialogOutcome::NotPossible:
      Print("error: " + what + ": not possible now (hidden, disabled or behind another dialog)");
      return;
    case standin::DialogOutcome::NoDialog:
      Print("error: " + what + ": no dialog is open");
      return;
    case standin::DialogOutcome::NoControl:
      Print("error: " + what + ": no such control");
      return;
  }
}

void RunScript(standin::com::WindowDialogDriver& driver, HWND host) {
  auto command = [&](Command which, LPARAM argument = 0) {
    ::PostMessageW(host, kCommand, which, argument);
    driver.Settle();
  };
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r')
      line.pop_back();
    std::istringstream words(line);
    std::string verb, target;
    words >> verb >> target;
    try {
      if (verb.empty() || verb[0] == '#') {
      } else if (verb == "open") {
        command(kOpen);
      } else if (verb == "open-type") {
        command(kOpenType, std::stoi(target));
      } else if (verb == "options") {
        command(kOptions);
      } else if (verb == "about") {
        command(kAbout);
      } else if (verb == "click") {
        Report(driver.Click(target), "click " + target);
      } else if (verb == "type") {
        std::string text;
        std::getline(words >> std::ws, text);
        Report(driver.Type(target, Utf16ToUtf8(Unescape(text))), "type " + target);
      } else if (verb == "select") {
        int position = -1;
        words >> position;
        Report(driver.Select(target, position), "select " + target);
      } else if (verb == "tab") {
        Report(driver.Tab(), "tab");
      } else if (verb == "close") {
        Report(driver.Close(), "close");
      } else if (verb == "show") {
        if (const auto box = driver.MessageBox())
          Print("message box up: \"" + box->caption + "\": " + box->text);
        const std::vector<std::string> lines = driver.Show();
        if (lines.empty())
          Print("no dialog is open");
        for (const std::string& shown : lines)
          Print(shown);
      } else if (verb == "answer") {
        const auto box = driver.MessageBox();
        if (box && driver.AnswerMessageBox(target))
          Print("answer OK: \"" + box->caption + "\": " + box->text);
        else
          Print("error: answer: no message box is up");
      } else if (verb == "front") {
        // The screen rectangle of the dialog in front and of a message box
        // over it, which a screenshot shows together.
        RECT r{};
        if (const HWND dialog = driver.FrontDialog())
          ::GetWindowRect(dialog, &r);
        if (const HWND box = driver.MessageBoxUp()) {
          RECT b{};
          ::GetWindowRect(box, &b);
          ::UnionRect(&r, &r, &b);
        }
        Print("front " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
              std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
      } else if (verb == "quit") {
        break;
      } else {
        Print("unknown action: " + verb);
      }
    } catch (const std::exception& error) {
      Print(std::string("error: ") + error.what());
    }
    Print(".");
  }
  ::PostMessageW(host, kCommand, kQuit, 0);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: ostrel-dialoghost ADDIN_FOLDER < script\n");
    return 2;
  }
  ::OleInitialize(nullptr);
  ::SetProcessDPIAware();
  win32::Win32Platform platform;
  PrintingShell shell;
  PrintingHelp help;
  host::Platform base = platform.services();
  host::Platform services{base.ansi, base.registry,  base.locale,     base.resources, base.gdi,
                          base.ole,  base.clipboard, base.windows,    base.files,     shell,
                          help,      base.dialogs,   platform.views()};
  AddInState state(services, Utf8ToUtf16(argv[1]));
  // What the add-in loads when Outlook connects it.
  if (!OpenResourceLibrary(state))
    Print("no resource library in " + std::string(argv[1]));
  state.appTitle = ResString(state, res::kAppTitle);
  state.messageFooter = ResString(state, res::kMessageFooter);
  for (int i = 0; i < 3; ++i)
    state.messageTable[static_cast<std::size_t>(i)] =
        ResString(state, res::kMessageInvalidAccount + i);

  WNDCLASSW type{};
  type.lpfnWndProc = &HostProc;
  type.hInstance = ::GetModuleHandleW(nullptr);
  type.lpszClassName = L"OstrelDialogHost";
  ::RegisterClassW(&type);
  const HWND host = ::CreateWindowExW(0, type.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                      nullptr, type.hInstance, nullptr);
  ::SetWindowLongPtrW(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));

  standin::com::WindowDialogDriver driver;
  std::thread script(RunScript, std::ref(driver), host);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  script.join();
  CloseResourceLibrary(state);
  return 0;
}

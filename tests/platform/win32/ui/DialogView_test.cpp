// The Win32 view of the dialog model, under Wine: the windows mirror the model
// on every page of every request, nothing is clipped at 96 and 144 DPI, one
// user action gives the messages a person's action gives, and the keyboard
// works inside a host's plain message loop.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <stdexcept>

#include "com/DialogDriver.h"
#include "help/frmAbout.h"
#include "platform/win32/ui/ViewSupport.h"
#include "settings/frmOptions.h"
#include "templates/frmTemplate.h"
#include "win32/ui/ControlNames.h"

namespace ostrel::test {
namespace {

using ui::Kind;

TEST(DialogView, WindowsMirrorTheModelOnEveryPageOfEveryRequest) {
  struct Request {
    int type;
    std::vector<std::pair<std::u16string_view, String>> typed;
  } requests[] = {
      {0,
       {{u"txtGeneralQuarroID", u"you@example.org"},
        {u"mebGeneralAmount", u"1234.5"},
        {u"txtGeneralNote", u"Two lines\nof note"}}},
      {1,
       {{u"txtProductQuarroID", u"shop@example.org"},
        {u"txtProductQuantity", u"3"},
        {u"mebProductAmount", u"2.50"},
        {u"mebProductShipping", u"1"}}},
      {2, {{u"txtServiceQuarroID", u"me@example.org"}, {u"mebServiceAmount", u"80"}}},
      {3, {{u"txtAuctionQuarroID", u"bids@example.org"}, {u"txtAuctionItemNumber", u"A-17"}}},
      {4, {{u"txtDonationQuarroID", u"fund@example.org"}, {u"txtDonationNote", u"Roof"}}},
  };
  for (const Request& request : requests) {
    SCOPED_TRACE("type " + std::to_string(request.type));
    Shown s;
    frmWizard& w = *s.f.Open();
    Pump();
    auto expectMirror = [&](int page) {
      EXPECT_EQ(w.CurrentPage, page);
      EXPECT_EQ(Names(Mismatches(s, w)), "") << "page " << page;
    };
    expectMirror(0);
    s.Click(w.cmdNext);
    s.Click(*w.optPaymentRequestType[static_cast<std::size_t>(request.type)]);
    expectMirror(1);
    s.Click(w.cmdNext);
    expectMirror(DetailsPageOfType(request.type));
    for (const auto& [name, text] : request.typed)
      s.Type(w.Get(name), text);
    expectMirror(DetailsPageOfType(request.type));
    s.Click(w.cmdNext);
    expectMirror(7);
    s.Click(*w.picButton[1]);
    EXPECT_EQ(w.SelectedButton, 1) << "a click on an image selects its option";
    expectMirror(7);
    s.Click(w.cmdNext);
    expectMirror(8);
    EXPECT_FALSE(w.txtCompletionSummary.Text().empty());
  }
}

// What Windows can do to a dialog at its doors: a handler that throws stops
// in the dialog procedure, is reported once and leaves the dialog working; an
// Outlook window that owns the wizard goes while another stays, and the
// wizard comes back under the one that stays, with a live handle.
TEST(DialogView, ThrownHandlersAndVanishedOwnersLeaveTheDialogWorking) {
  Shown s;
  const auto outlookWindow = [] {
    const HWND window = ::CreateWindowExW(0, L"STATIC", L"Outlook", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                          100, nullptr, nullptr, nullptr, nullptr);
    ::ShowWindow(window, SW_SHOW);
    return window;
  };
  const HWND first = outlookWindow();
  const HWND second = outlookWindow();
  s.views.SetOwner(static_cast<host::WindowHandle>(reinterpret_cast<std::uintptr_t>(first)));
  frmWizard& w = *s.f.Open();
  Pump();
  int reports = 0;
  w.onFailure = [&reports] { ++reports; };
  w.cmdHelp.onClick = [] { throw std::runtime_error("a handler that fails"); };
  s.Click(w.cmdHelp);
  EXPECT_EQ(reports, 1) << "stopped at the door and reported";
  s.Click(w.cmdNext);
  EXPECT_EQ(w.CurrentPage, 1) << "later clicks still work";

  const HWND before = s.Window(w);
  ASSERT_EQ(::GetWindow(before, GW_OWNER), first);
  ::DestroyWindow(first);
  EXPECT_EQ(w.hWnd, host::WindowHandle::None) << "no dead handle left in the dialog";
  ::SetActiveWindow(second);
  Pump();
  const HWND after = s.Window(w);
  ASSERT_NE(after, nullptr) << "the wizard is shown again";
  EXPECT_TRUE(::IsWindowVisible(after));
  EXPECT_NE(::GetWindow(after, GW_OWNER), first);
  EXPECT_EQ(Native(w.hWnd), after);
  s.Click(w.cmdNext);
  EXPECT_EQ(w.CurrentPage, 2) << "the new window takes clicks";
  ::DestroyWindow(second);
}

// Options centres itself at every DPI: all of it, its buttons included, lies
// within the work area.
TEST(DialogView, OptionsIsOnTheScreenAtEveryDpi) {
  for (const int dpi : {96, 144}) {
    SCOPED_TRACE(dpi);
    Shown s(dpi);
    ShowOptions(s.f.state);
    Pump();
    RECT window{};
    RECT work{};
    ASSERT_TRUE(::GetWindowRect(s.Window(*s.f.state.Options()), &window));
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_GE(window.left, work.left);
    EXPECT_GE(window.top, work.top);
    EXPECT_LE(window.right, work.right);
    EXPECT_LE(window.bottom, work.bottom);
    // Centred: as much room left as right.
    EXPECT_LE(std::abs((window.left - work.left) - (work.right - window.right)), 1);
  }
}

// Outlook 2016 and later run per-monitor DPI aware; the dialogs' windows are
// system aware whatever the thread was when they were made, pages made later
// included.
TEST(DialogView, DialogsAreSystemDpiAwareInAPerMonitorAwareHost) {
  using Context = HANDLE;
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  const auto find = [user32](const char* name) {
    return reinterpret_cast<void (*)()>(::GetProcAddress(user32, name));
  };
  const auto set =
      reinterpret_cast<Context(WINAPI*)(Context)>(find("SetThreadDpiAwarenessContext"));
  const auto of = reinterpret_cast<Context(WINAPI*)(HWND)>(find("GetWindowDpiAwarenessContext"));
  const auto same =
      reinterpret_cast<BOOL(WINAPI*)(Context, Context)>(find("AreDpiAwarenessContextsEqual"));
  if (set == nullptr || of == nullptr || same == nullptr)
    GTEST_SKIP() << "no DPI awareness contexts before Windows 10 1607";
  const auto systemAware = reinterpret_cast<Context>(static_cast<INT_PTR>(-2));
  const auto perMonitor = reinterpret_cast<Context>(static_cast<INT_PTR>(-3));
  const Context before = set(perMonitor);
  ASSERT_NE(before, nullptr);
  {
    Shown s;
    frmWizard& w = *s.f.Open();
    Pump();
    EXPECT_TRUE(same(of(s.Window(w)), systemAware));
    EXPECT_TRUE(same(of(s.Window(w.cmdNext)), systemAware));
    s.Click(w.cmdNext);
    EXPECT_TRUE(same(of(s.Window(*w.optPaymentRequestType[0])), systemAware));
    EXPECT_FALSE(same(of(s.Window(w)), perMonitor));
  }
  set(before);
}

// The controls are Common Controls 6, made in the add-in's own activation
// context: only version 6 buttons answer BCM_GETIDEALSIZE, and only version 6
// static controls are drawn by comctl32.
// https://learn.microsoft.com/windows/win32/controls/bcm-getidealsize
TEST(DialogView, ControlsAreCommonControlsVersion6) {
  Shown s;
  frmWizard& w = *s.f.Open();
  Pump();
  SIZE ideal{};
  EXPECT_TRUE(
      ::SendMessageW(s.Window(w.cmdNext), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
  EXPECT_GT(ideal.cx, 0);
}

// Whether a control's window shows all of its text, measured as the script
// driver's `show` measures it.
std::string Clipped(HWND window, const ui::Control& c) {
  const std::string what = standin::com::ClippedText(window);
  return what.empty() ? what : Utf16ToUtf8(c.DisplayName()) + " " + what;
}

TEST(DialogView, NothingIsClippedAt96And144Dpi) {
  for (const bool german : {false, true})
    for (const int dpi : {96, 144}) {
      SCOPED_TRACE(std::to_string(dpi) + " dpi" + (german ? ", German" : ""));
      Shown s(dpi, german ? GermanNumbers() : UsNumbers());
      frmWizard& wizard = *s.f.Open();
      Pump();
      std::vector<std::string> clipped;
      // Every page of the wizard: the details pages of all five types among them.
      const auto pageOf = [&wizard](const ui::Control& c) {
        return "page " + std::to_string(wizard.CurrentPage) + " " + Utf16ToUtf8(c.DisplayName());
      };
      for (int page = 0; page <= 8; ++page) {
        wizard.ChangePage(static_cast<std::int16_t>(page));
        s.views.SyncAll();  // a change made from code, not through a window
        Pump();
        ASSERT_TRUE(::IsWindowVisible(s.Window(*wizard.fraWizard[static_cast<std::size_t>(page)])))
            << "page " << page << " is on the screen";
        EXPECT_EQ(wizard.CurrentPage, page);
        for (const auto& c : wizard.Controls()) {
          const HWND window = s.Window(*c);
          if (window == nullptr || !c->IsShown() || !::IsWindowVisible(window))
            continue;
          if (std::string what = Clipped(window, *c); !what.empty())
            clipped.push_back("frmWizard " + pageOf(*c) + ": " + what);
        }
      }
      wizard.ChangePage(0);
      ShowOptions(s.f.state);
      ShowAbout(s.f.state);
      s.f.state.NewTemplateChooser().ShowModal(wizard);
      Pump();
      for (const ui::Dialog* dialog : std::initializer_list<const ui::Dialog*>{
               &wizard, s.f.state.Options(), s.f.state.About(), s.f.state.TemplateChooser()}) {
        ASSERT_NE(s.Window(*dialog), nullptr) << Utf16ToUtf8(dialog->name());
        RECT client{};
        ::GetClientRect(s.Window(*dialog), &client);
        for (const auto& c : dialog->Controls()) {
          const HWND window = s.Window(*c);
          if (window == nullptr)
            continue;  // not shown yet: a later page's
          if (std::string what = Clipped(window, *c); !what.empty())
            clipped.push_back(Utf16ToUtf8(dialog->name()) + "." + what);
          RECT r{};
          ::GetWindowRect(window, &r);
          ::MapWindowPoints(nullptr, s.Window(*dialog), reinterpret_cast<POINT*>(&r), 2);
          if (c->kind() != Kind::ComboBox && (r.right > client.right || r.bottom > client.bottom))
            clipped.push_back(Utf16ToUtf8(dialog->name()) + "." + Utf16ToUtf8(c->DisplayName()) +
                              " reaches out of the dialog");
        }
      }
      EXPECT_EQ(Names(clipped), "");
    }
}

// The messages one user action gives, as Wine's own control tests record them:
// focus changes of the dialog's controls, their notifications, message boxes.
class Recorder {
 public:
  explicit Recorder(Shown& shown) : shown_(shown) {
    active_ = this;
    hook_ = ::SetWindowsHookExW(WH_CALLWNDPROC, &Record, nullptr, ::GetCurrentThreadId());
    boxes_ = shown.f.dialogs.boxes.size();
  }
  ~Recorder() {
    ::UnhookWindowsHookEx(hook_);
    active_ = nullptr;
  }
  std::vector<std::string> Take() {
    for (std::size_t i = boxes_; i < shown_.f.dialogs.boxes.size(); ++i) {
      const auto& box = shown_.f.dialogs.boxes[i];
      const HWND owner = Native(box.owner);
      events_.push_back("message box of " +
                        Utf8(win32::view::TextProperty(owner, win32::view::kDialogName)));
    }
    boxes_ = shown_.f.dialogs.boxes.size();
    return std::exchange(events_, {});
  }

 private:
  static std::string Utf8(const std::wstring& text) {
    return Utf16ToUtf8(String(text.begin(), text.end()));
  }
  static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && active_ != nullptr) {
      const std::string name =
          Utf8(win32::view::TextProperty(sent->hwnd, win32::view::kControlName));
      if (!name.empty() && sent->message == WM_SETFOCUS)
        active_->events_.push_back(name + " gets the focus");
      if (!name.empty() && sent->message == WM_KILLFOCUS)
        active_->events_.push_back(name + " loses the focus");
      // As the dialog hears it (a frame hands its controls' notifications on).
      if (sent->message == WM_COMMAND && HIWORD(sent->wParam) == BN_CLICKED && sent->lParam != 0 &&
          !win32::view::TextProperty(sent->hwnd, win32::view::kDialogName).empty())
        active_->events_.push_back(
            Utf8(win32::view::TextProperty(reinterpret_cast<HWND>(sent->lParam),
                                           win32::view::kControlName)) +
            " clicked");
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static inline Recorder* active_ = nullptr;
  Shown& shown_;
  HHOOK hook_;
  std::size_t boxes_;
  std::vector<std::string> events_;
};

TEST(DialogView, OneUserActionGivesTheMessagesOfAPersonsAction) {
  Shown s;
  frmWizard& w = *s.f.OpenForType(0);
  Pump();
  s.Type(w.mebGeneralAmount, u"5");
  s.Type(w.txtGeneralQuarroID, u"nobody");
  const HWND account = s.Window(w.txtGeneralQuarroID);
  auto pressTab = [&] {
    ::PostMessageW(::GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    Pump();
  };
  struct Case {
    const char* what;
    std::function<void()> act;
    std::vector<std::string> expected;
  } cases[] = {
      {"Next with a bad account: the message, and the focus stays",
       [&] { s.Click(w.cmdNext); },
       {"message box of frmWizard"}},
      {"Tab with a bad account: the same", pressTab, {"message box of frmWizard"}},
      {"a good account, then Tab",
       [&] {
         s.Type(w.txtGeneralQuarroID, u"you@example.org");
         pressTab();
       },
       {"txtGeneralQuarroID loses the focus", "mebGeneralAmount gets the focus"}},
      {"Next: the focus on its way, the click, the style page's option",
       [&] { s.Click(w.cmdNext); },
       {"mebGeneralAmount loses the focus", "cmdNext gets the focus", "cmdNext clicked",
        "cmdNext loses the focus", "optButton(0) gets the focus"}},
  };
  for (const Case& c : cases) {
    Recorder recorder(s);
    c.act();
    EXPECT_EQ(recorder.Take(), c.expected) << c.what;
  }
  EXPECT_EQ(w.CurrentPage, 7);
  EXPECT_EQ(s.f.dialogs.boxes.size(), 2u);
  EXPECT_NE(account, nullptr);
}

}  // namespace
}  // namespace ostrel::test

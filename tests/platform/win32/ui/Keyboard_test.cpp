// The dialogs' keyboard inside a host's plain message loop (Outlook calls no
// IsDialogMessage): keys are posted to the focused window and taken off the
// queue as a host takes them, through the view's hook.
#include <gtest/gtest.h>

#include <functional>

#include "platform/win32/ui/ViewSupport.h"
#include "settings/SettingsLayout.h"
#include "settings/frmOptions.h"

namespace ostrel::test {
namespace {

void PostKey(UINT key, bool shift = false) {
  BYTE keys[256] = {};
  ::GetKeyboardState(keys);
  keys[VK_SHIFT] = shift ? 0x80 : 0;
  ::SetKeyboardState(keys);
  const HWND focus = ::GetFocus();
  ::PostMessageW(focus, WM_KEYDOWN, key, 1);
  ::PostMessageW(focus, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  Pump();
  keys[VK_SHIFT] = 0;
  ::SetKeyboardState(keys);
}

void PostChar(UINT message, wchar_t character) {
  ::PostMessageW(::GetFocus(), message, character, 1);
  Pump();
}

TEST(DialogKeyboard, KeysDoInTheHostsLoopWhatTheyDoInADialog) {
  Shown s;
  frmWizard& w = *s.f.OpenForType(1);
  Pump();
  auto focusName = [&] {
    const ui::Control* focused = w.Focused();
    return focused != nullptr ? Utf16ToUtf8(focused->DisplayName()) : std::string("(none)");
  };
  struct Case {
    const char* keys;
    std::function<void()> press;
    std::string focus;
    std::function<bool()> check;
  } cases[] = {
      {"typing", [] { PostChar(WM_CHAR, L'a'); }, "txtProductQuarroID",
       [&] { return w.txtProductQuarroID.Text() == u"a"; }},
      {"Tab from a bad account", [] { PostKey(VK_TAB); }, "txtProductQuarroID",
       [&] { return s.f.dialogs.boxes.size() == 1; }},
      {"Tab from a good account, into a box whose text is selected",
       [&] {
         s.Type(w.txtProductQuarroID, u"shop@example.org");
         s.Type(w.txtProductTo, u"buyer@example.com");
         s.Click(w.txtProductQuarroID);
         PostKey(VK_TAB);
       },
       "txtProductTo",
       [&] {
         DWORD start = 1, end = 0;
         ::SendMessageW(s.Window(w.txtProductTo), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                        reinterpret_cast<LPARAM>(&end));
         return start == 0 && end == 17;
       }},
      {"Shift+Tab", [] { PostKey(VK_TAB, true); }, "txtProductQuarroID", [] { return true; }},
      {"Up on the spinner steps the quantity",
       [&] {
         // A click on the upper arrow, then the Up key.
         ::SendMessageW(s.Window(w.UpDown1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
         ::SendMessageW(s.Window(w.UpDown1), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
         PostKey(VK_UP);
       },
       "UpDown1", [&] { return w.txtProductQuantity.Text() == u"3"; }},
      {"Alt+B, the accelerator of Back", [] { PostChar(WM_SYSCHAR, L'b'); }, "cmdBack",
       [&] { return w.CurrentPage == 1; }},
      {"Down in an option group selects the next option",
       [&] {
         s.Click(*w.optPaymentRequestType[0]);
         PostKey(VK_DOWN);
       },
       "optPaymentRequestType(1)", [&] { return s.f.state.PaymentRequestType == 1; }},
      {"Enter on the focused Next",
       [&] {
         s.Click(*w.optPaymentRequestType[4]);
         PostKey(VK_TAB);
         PostKey(VK_TAB);
         PostKey(VK_TAB);
         PostKey(VK_RETURN);
       },
       "txtDonationQuarroID", [&] { return w.CurrentPage == 6; }},
      {"Escape: the wizard has no cancel button", [] { PostKey(VK_ESCAPE); }, "txtDonationQuarroID",
       [&] { return s.f.state.Wizard() != nullptr; }},
  };
  for (const Case& c : cases) {
    c.press();
    EXPECT_EQ(focusName(), c.focus) << c.keys;
    EXPECT_EQ(::GetFocus(), s.Window(*w.Focused())) << c.keys;
    EXPECT_TRUE(c.check()) << c.keys;
  }

  ShowOptions(s.f.state);
  Pump();
  frmOptions& options = *s.f.state.Options();
  ASSERT_EQ(::GetActiveWindow(), s.Window(options));
  s.Type(options.txtNameFirst, u"Sam");
  PostKey(VK_SPACE);  // a box takes a space as text
  EXPECT_EQ(options.txtNameFirst.Text(), u"Sam ");
  PostKey(VK_ESCAPE);
  EXPECT_TRUE(options.Unloaded()) << "Escape clicks the options' cancel button";
  EXPECT_TRUE(s.f.Read(String(settings::kOptionsKey), settings::options_value::kFirstName).IsNone())
      << "nothing saved";
}

}  // namespace
}  // namespace ostrel::test

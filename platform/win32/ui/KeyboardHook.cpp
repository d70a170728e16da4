// The keyboard of dialogs that live in someone else's message loop. Outlook's
// loop never calls IsDialogMessage, so Tab, Enter, Escape and the accelerators
// would reach the focused control as plain keys. A WH_GETMESSAGE hook on the
// thread sees each message as the loop takes it: the keys whose meaning the
// model owns (Tab order, accelerators, Enter on a button, moving within an
// option group, the spinner) become a message to the dialog, which the loop then
// dispatches; the rest go through IsDialogMessage (Escape, typing, Space on a
// button, the keys of a list).
#include <string_view>

#include "common/Entry.h"
#include "common/Text.h"
#include "win32/ui/DialogViews.h"
#include "win32/ui/DialogWindow.h"

namespace ostrel::win32::view {

using ui::Kind;

namespace {

thread_local HHOOK hook = nullptr;
thread_local int hookUsers = 0;

LRESULT CALLBACK GetMessageHook(int code, WPARAM removal, LPARAM data) {
  auto* message = reinterpret_cast<MSG*>(data);
  // Only messages taken off the queue: a PeekMessage(PM_NOREMOVE) of the host
  // would otherwise be handled twice.
  if (code == HC_ACTION && removal == PM_REMOVE && message->message >= WM_KEYFIRST &&
      message->message <= WM_KEYLAST)
    if (DialogWindow* dialog = DialogWindow::Of(message->hwnd))
      Guarded([&] { dialog->input().PreTranslate(*message); },
              [dialog] { dialog->input().Failed(); });
  return ::CallNextHookEx(hook, code, removal, data);
}

bool HasAccelerator(Kind kind) {
  return kind == Kind::Label || kind == Kind::Frame || kind == Kind::CommandButton ||
         kind == Kind::CheckBox || kind == Kind::OptionButton;
}

bool TakesCharacters(const ui::Control* control) {
  return control != nullptr &&
         (control->kind() == Kind::TextBox || control->kind() == Kind::MaskedEdit ||
          control->kind() == Kind::ComboBox);
}

}  // namespace

void HookKeyboard() {
  if (hookUsers++ == 0)
    hook = ::SetWindowsHookExW(WH_GETMESSAGE, &GetMessageHook, nullptr, ::GetCurrentThreadId());
}

void UnhookKeyboard() {
  if (--hookUsers == 0 && hook != nullptr) {
    ::UnhookWindowsHookEx(hook);
    hook = nullptr;
  }
}

void InputRouter::PreTranslate(MSG& message) {
  const ui::Dialog* const model = window_.model();
  const HWND dialog = window_.hwnd();
  if (model == nullptr || dialog == nullptr)
    return;
  const auto& all = model->Controls();
  const ui::Control* focused = model->Focused();
  std::size_t focusedIndex = all.size();
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i].get() == focused)
      focusedIndex = i;

  auto become = [&](KeyAction action, std::size_t index) {
    message.hwnd = dialog;
    message.message = kKeyMessage;
    message.wParam = static_cast<WPARAM>(action);
    message.lParam = static_cast<LPARAM>(index);
  };
  auto swallow = [&] {
    message.message = WM_NULL;
    message.wParam = 0;
    message.lParam = 0;
  };

  const bool control = ::GetKeyState(VK_CONTROL) < 0;
  const bool dropped =
      focused != nullptr && focused->kind() == Kind::ComboBox &&
      ::SendMessageW(window_.ControlWindow(focusedIndex), CB_GETDROPPEDSTATE, 0, 0) != 0;
  if (message.message == WM_KEYDOWN && !dropped) {
    switch (message.wParam) {
      case VK_TAB:
        if (!control) {
          become(::GetKeyState(VK_SHIFT) < 0 ? KeyAction::TabBack : KeyAction::TabForward,
                 focusedIndex);
          return;
        }
        break;
      case VK_RETURN:
        // The focused button, as the dialog manager does for its default
        // button; these dialogs have none.
        if (focused != nullptr && focused->kind() == Kind::CommandButton) {
          become(KeyAction::Press, focusedIndex);
          return;
        }
        break;
      case VK_UP:
      case VK_DOWN:
      case VK_LEFT:
      case VK_RIGHT: {
        if (focused == nullptr)
          break;
        const bool forward = message.wParam == VK_DOWN || message.wParam == VK_RIGHT;
        const bool up = message.wParam == VK_UP || message.wParam == VK_RIGHT;
        switch (focused->kind()) {
          case Kind::OptionButton:
            become(forward ? KeyAction::OptionNext : KeyAction::OptionPrevious, focusedIndex);
            return;
          case Kind::UpDown:
            become(up ? KeyAction::SpinUp : KeyAction::SpinDown, focusedIndex);
            return;
          case Kind::CommandButton:
          case Kind::CheckBox:
            // The dialog manager would move along its own idea of a group.
            swallow();
            return;
          default:
            break;
        }
        break;
      }
      default:
        break;
    }
  }
  if (message.message == WM_SYSCHAR ||
      (message.message == WM_CHAR && !TakesCharacters(focused) && message.wParam > L' ')) {
    // Upper-cased as the captions' keys are.
    const char16_t typed[] = {u'&', static_cast<char16_t>(message.wParam)};
    const char16_t pressed = AccessKeyOf(std::u16string_view(typed, 2));
    for (std::size_t i = 0; i < all.size(); ++i) {
      const ui::Control& c = *all[i];
      if (HasAccelerator(c.kind()) && c.IsShown() && c.IsEnabled() &&
          AccessKeyOf(c.Caption()) == pressed) {
        become(KeyAction::Mnemonic, i);
        return;
      }
    }
  }
  if (::IsDialogMessageW(dialog, &message))
    swallow();
}

}  // namespace ostrel::win32::view

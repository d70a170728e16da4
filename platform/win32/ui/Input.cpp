// What the user does to the windows, turned into the model's user actions: a
// press on a control asks the model for the focus first (a refused validation
// keeps the focus where it was and the press never reaches the control), the
// controls' notifications become clicks, typing and selections, and after each
// action every window is brought in line with the model.
#include "win32/ui/InputRouter.h"

#include "common/Entry.h"
#include "win32/ui/ControlNames.h"
#include "win32/ui/DialogViews.h"
#include "win32/ui/DialogWindow.h"

namespace ostrel::win32::view {

using ui::Kind;
using ui::Outcome;

namespace {

String TextOf(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), length + 1)));
  return String(text.begin(), text.end());
}

// The next control after index in the dialog's order that can take the focus
// now: where an accelerator on a label leads.
ui::Control* FocusableAfter(ui::Dialog& dialog, std::size_t index) {
  const auto& all = dialog.Controls();
  for (std::size_t i = index + 1; i < all.size(); ++i)
    if (all[i]->CanHoldFocus() && all[i]->IsShown() && all[i]->IsEnabled())
      return all[i].get();
  return nullptr;
}

// The option of the same group after (or before) this one, wrapping around.
ui::Control* NeighbourOption(ui::Dialog& dialog, const ui::Control& option, bool forward) {
  std::vector<ui::Control*> group;
  for (const auto& c : dialog.Controls())
    if (c->kind() == Kind::OptionButton && c->container() == option.container() && c->IsShown() &&
        c->IsEnabled())
      group.push_back(c.get());
  for (std::size_t i = 0; i < group.size(); ++i)
    if (group[i] == &option)
      return group[(i + (forward ? 1 : group.size() - 1)) % group.size()];
  return nullptr;
}

}  // namespace

INT_PTR CALLBACK InputRouter::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<DialogWindow*>(lParam)->Attached(window);
    // The model decides where the focus goes.
    return FALSE;
  }
  auto* owner = reinterpret_cast<DialogWindow*>(::GetWindowLongPtrW(window, DWLP_USER));
  if (owner == nullptr || owner->hwnd() != window)
    return FALSE;
  InputRouter& self = owner->input();
  // Nothing thrown may unwind through user32 into Outlook's message loop: the
  // message counts as handled and the dialog stays usable.
  INT_PTR result = TRUE;
  Guarded([&] { result = self.OnMessage(message, wParam, lParam); }, [&self] { self.Failed(); });
  return result;
}

INT_PTR InputRouter::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  DialogViews::Entry entry(window_.views());
  ui::Dialog* const model = window_.model();
  const HWND dialog = window_.hwnd();
  switch (message) {
    case WM_COMMAND:
      return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
    case WM_CLOSE:
      // The close box, Alt+F4 and the system menu's Close.
      if (model != nullptr)
        Act([model] { return ui::CloseWindow(*model); }, false);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        // Kept for whoever reads the windows while a message box is up.
        const HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(dialog, focus))
          ::SetPropW(dialog, kHeldFocus, focus);
      } else {
        OnActivated();
      }
      // Not the dialog manager's own focus saving: the model holds the focus.
      return TRUE;
    case WM_SETFOCUS:
      OnActivated();
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      return reinterpret_cast<INT_PTR>(
          Background(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
    case kSyncMessage:
      window_.views().SyncAll();
      return TRUE;
    case kKeyMessage:
      OnKey(static_cast<KeyAction>(wParam), static_cast<std::size_t>(lParam));
      return TRUE;
    case kFocusArrived: {
      // A control took the focus by a way the view did not see coming; the
      // model has its say now, and the windows follow it.
      const auto index = static_cast<std::size_t>(wParam);
      const HWND focused = window_.ControlWindow(index);
      if (model == nullptr || focused == nullptr || ::GetFocus() != focused)
        return TRUE;
      ui::Control& control = *model->Controls()[index];
      if (model->Focused() != &control)
        Act([&control] { return ui::Focus(control); }, false);
      return TRUE;
    }
    case WM_DESTROY:
      window_.Detaching();
      return FALSE;
    case WM_NCDESTROY:
      window_.Detached();
      return FALSE;
    default:
      return FALSE;
  }
}

void InputRouter::OnActivated() {
  ::RemovePropW(window_.hwnd(), kHeldFocus);
  if (window_.model() == nullptr)
    return;
  const SyncScope syncing(window_.syncingFlag());
  // SyncFocus asks for the active window, which is this one now.
  window_.SyncFocus(false);
}

INT_PTR InputRouter::OnCommand(int id, int code, HWND control) {
  ui::Dialog* const model = window_.model();
  if (model == nullptr || window_.syncing())
    return TRUE;
  if (id == IDCANCEL && control == nullptr) {
    // Escape, from the dialog manager: the dialog's cancel button, if it has one.
    for (const auto& c : model->Controls())
      if (c->cancel && c->kind() == Kind::CommandButton) {
        ui::Control& button = *c;
        Act([&button] { return ui::Click(button); }, true);
        break;
      }
    return TRUE;
  }
  ui::Control* target = window_.ControlOf(control);
  if (target == nullptr)
    return TRUE;
  ui::Control& c = *target;
  switch (c.kind()) {
    case Kind::CommandButton:
    case Kind::CheckBox:
    case Kind::OptionButton:
      if (code == BN_CLICKED)
        Act([&c] { return ui::Click(c); }, false);
      break;
    case Kind::TextBox:
    case Kind::MaskedEdit:
      if (code == EN_CHANGE) {
        const String typed = TextOf(control);
        window_.NoteTyped(window_.IndexOf(c), typed);
        Act([&c, &typed] { return ui::Type(c, typed); }, false);
      }
      break;
    case Kind::ComboBox:
      if (code == CBN_SELCHANGE) {
        const int position = static_cast<int>(::SendMessageW(control, CB_GETCURSEL, 0, 0));
        window_.NoteChosen(window_.IndexOf(c), position);
        Act([&c, position] { return ui::Select(c, position); }, false);
      }
      break;
    case Kind::Label:
    case Kind::PictureBox:
    case Kind::Image:
      if (code == STN_CLICKED)
        Act([&c] { return ui::Click(c); }, false);
      break;
    default:
      break;
  }
  return TRUE;
}

LRESULT CALLBACK InputRouter::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR, DWORD_PTR data) {
  auto* self = reinterpret_cast<DialogWindow*>(data);
  switch (message) {
    case WM_NCDESTROY:
      RemoveTextProperty(window, kControlName);
      RemoveTextProperty(window, kControlTag);
      ::RemoveWindowSubclass(window, &ControlProc, 0);
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      ui::Control* control = self->syncing() ? nullptr : self->ControlOf(window);
      if (control != nullptr) {
        bool press = true;
        Guarded(
            [&] {
              DialogViews::Entry entry(self->views());
              press = self->input().OnMouseDown(*control, window, lParam);
            },
            [&] {
              press = false;
              self->input().Failed();
            });
        if (!press)
          return 0;
      }
      break;
    }
    case WM_SETFOCUS: {
      ui::Control* control = self->syncing() ? nullptr : self->ControlOf(window);
      if (control != nullptr && self->model()->Focused() != control && control->CanHoldFocus())
        ::PostMessageW(self->hwnd(), kFocusArrived,
                       static_cast<WPARAM>(::GetDlgCtrlID(window) - kFirstControlId), 0);
      break;
    }
    default:
      break;
  }
  return ::DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK InputRouter::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      // The controls of a frame tell their parent; the dialog is the one that
      // listens.
      return ::SendMessageW(::GetAncestor(window, GA_ROOT), message, wParam, lParam);
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

bool InputRouter::OnMouseDown(ui::Control& c, HWND window, LPARAM point) {
  switch (c.kind()) {
    case Kind::TextBox:
    case Kind::MaskedEdit:
      // A click into a box is the box's click (after the focus), then the caret
      // goes where the mouse is.
      return Act([&c] { return ui::Click(c); }, false) == Outcome::Done;
    case Kind::CommandButton:
    case Kind::CheckBox:
    case Kind::OptionButton:
    case Kind::ComboBox:
      // The focus first; the click itself comes when the button is released.
      return Act([&c] { return ui::Focus(c); }, false) == Outcome::Done;
    case Kind::UpDown: {
      RECT client{};
      ::GetClientRect(window, &client);
      const int direction =
          static_cast<short>(HIWORD(point)) < (client.bottom - client.top) / 2 ? +1 : -1;
      Act([&c, direction] { return ui::Spin(c, direction); }, false);
      return false;
    }
    default:
      return true;
  }
}

void InputRouter::OnKey(KeyAction action, std::size_t index) {
  if (window_.model() == nullptr)
    return;
  ui::Dialog& dialog = *window_.model();
  const auto& all = dialog.Controls();
  ui::Control* control = index < all.size() ? all[index].get() : nullptr;
  switch (action) {
    case KeyAction::TabForward:
    case KeyAction::TabBack: {
      const bool back = action == KeyAction::TabBack;
      Act([&dialog, back] { return ui::Tab(dialog, back); }, true);
      return;
    }
    case KeyAction::Press:
      if (control != nullptr)
        Act([control] { return ui::Click(*control); }, true);
      return;
    case KeyAction::Mnemonic:
      if (control == nullptr)
        return;
      if (control->kind() == Kind::Label || control->kind() == Kind::Frame) {
        if (ui::Control* next = FocusableAfter(dialog, index))
          Act([next] { return ui::Focus(*next); }, true);
      } else {
        Act([control] { return ui::Click(*control); }, true);
      }
      return;
    case KeyAction::OptionNext:
    case KeyAction::OptionPrevious:
      if (control != nullptr)
        if (ui::Control* next = NeighbourOption(dialog, *control, action == KeyAction::OptionNext))
          Act([next] { return ui::Click(*next); }, true);
      return;
    case KeyAction::SpinUp:
    case KeyAction::SpinDown:
      if (control != nullptr) {
        const int direction = action == KeyAction::SpinUp ? +1 : -1;
        Act([control, direction] { return ui::Spin(*control, direction); }, true);
      }
      return;
  }
}

void InputRouter::Failed() {
  ui::Dialog* const model = window_.model();
  if (model != nullptr && model->onFailure)
    model->onFailure();
}

Outcome InputRouter::Act(const std::function<Outcome()>& action, bool keyboard) {
  if (window_.model() == nullptr)
    return Outcome::NotPossible;
  DialogViews::Entry entry(window_.views());
  const Outcome outcome = action();
  window_.views().SyncAll(keyboard);
  return outcome;
}

HBRUSH InputRouter::Background(HDC dc, HWND control) {
  const ui::Control* c = window_.ControlOf(control);
  if (c == nullptr || window_.model() == nullptr)
    return reinterpret_cast<HBRUSH>(::DefWindowProcW(window_.hwnd(), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(control)));
  // Labels, boxes and buttons lying on a white shape (a page header, the
  // welcome and completion pages) take its white.
  if (window_.plan().OnWhiteShape(*c)) {
    ::SetBkColor(dc, RGB(255, 255, 255));
    return static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  }
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  return ::GetSysColorBrush(COLOR_BTNFACE);
}

}  // namespace ostrel::win32::view

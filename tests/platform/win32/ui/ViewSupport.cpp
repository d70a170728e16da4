#include "platform/win32/ui/ViewSupport.h"

#include "win32/ui/ControlNames.h"

namespace ostrel::test {

namespace {

using ui::Kind;

// The control's rectangle in twips from the dialog's client area.
RECT Twips(const ui::Control& control) {
  RECT r{control.rect.left, control.rect.top, 0, 0};
  for (const ui::Control* c = control.container(); c != nullptr; c = c->container()) {
    r.left += c->rect.left;
    r.top += c->rect.top;
  }
  r.right = r.left + control.rect.width;
  r.bottom = r.top + control.rect.height;
  return r;
}

std::wstring WithoutCarriageReturns(std::wstring text) {
  std::erase(text, L'\r');
  return text;
}

}  // namespace

std::vector<std::string> Mismatches(const Shown& shown, const ui::Dialog& dialog) {
  std::vector<std::string> found;
  const HWND window = shown.Window(dialog);
  if (window == nullptr)
    return {"the dialog has no window"};
  if (WindowText(window) != Wide(dialog.caption))
    found.push_back("caption");
  if ((::IsWindowVisible(window) != FALSE) != dialog.visible)
    found.push_back("dialog visible");
  if ((::IsWindowEnabled(window) != FALSE) != (dialog.modalChild == nullptr))
    found.push_back("dialog enabled");
  const int dpi = shown.views.Dpi();
  for (const auto& c : dialog.Controls()) {
    const std::string name = Utf16ToUtf8(c->DisplayName());
    const HWND control = shown.Window(*c);
    const bool visible = c->IsShown();
    if (control == nullptr) {
      // A control's window is made when the control is first shown.
      if (visible)
        found.push_back(name + " has no window");
      continue;
    }
    if ((::IsWindowVisible(control) != FALSE) != visible)
      found.push_back(name + (visible ? " hidden" : " shown"));
    if (!visible)
      continue;
    if ((::IsWindowEnabled(control) != FALSE) != c->IsEnabled())
      found.push_back(name + " enabled");

    RECT placed{};
    ::GetWindowRect(control, &placed);
    ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&placed), 2);
    const RECT twips = Twips(*c);
    // Lines, drop-down lists and spinners have sizes of their own kind.
    const bool sized =
        c->kind() != Kind::Line && c->kind() != Kind::ComboBox && c->kind() != Kind::UpDown;
    if (placed.left != ::MulDiv(twips.left, dpi, 1440) ||
        placed.top != ::MulDiv(twips.top, dpi, 1440) ||
        (sized && (placed.right != ::MulDiv(twips.right, dpi, 1440) ||
                   placed.bottom != ::MulDiv(twips.bottom, dpi, 1440))))
      found.push_back(name + " placed");

    const LRESULT check = ::SendMessageW(control, BM_GETCHECK, 0, 0);
    switch (c->kind()) {
      case Kind::TextBox:
      case Kind::MaskedEdit:
        if (WithoutCarriageReturns(WindowText(control)) !=
            WithoutCarriageReturns(Wide(c->DisplayText())))
          found.push_back(name + " text \"" + Utf16ToUtf8(c->DisplayText()) + "\"");
        break;
      case Kind::Frame:
        if ((::IsWindowVisible(win32::view::FrameBox(control)) != FALSE) != c->border)
          found.push_back(name + " border");
        if (WindowText(control) != Wide(c->Caption()))
          found.push_back(name + " caption");
        break;
      case Kind::CheckBox:
        if (check != c->Value())
          found.push_back(name + " value");
        [[fallthrough]];
      case Kind::Label:
      case Kind::CommandButton:
        if (WindowText(control) != Wide(c->Caption()))
          found.push_back(name + " caption");
        break;
      case Kind::OptionButton:
        if ((check == BST_CHECKED) != c->Selected())
          found.push_back(name + " selected");
        break;
      case Kind::ComboBox: {
        const auto count = static_cast<std::size_t>(::SendMessageW(control, CB_GETCOUNT, 0, 0));
        if (count != c->Items().size() ||
            ::SendMessageW(control, CB_GETCURSEL, 0, 0) != c->ListIndex())
          found.push_back(name + " list");
        break;
      }
      case Kind::PictureBox:
      case Kind::Image:
        if ((::SendMessageW(control, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0) !=
            (c->picture != nullptr))
          found.push_back(name + " picture");
        break;
      default:
        break;
    }
  }
  if (::GetActiveWindow() == window && dialog.Focused() != nullptr &&
      ::GetFocus() != shown.Window(*dialog.Focused()))
    found.push_back("focus not in " + Utf16ToUtf8(dialog.Focused()->DisplayName()));
  return found;
}

}  // namespace ostrel::test

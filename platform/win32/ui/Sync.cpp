// Bringing the windows in line with the model: caption, text, enabled, visible,
// checked, selected and list state, pictures, places, and the focus. Only what
// differs is changed, so a sync after every event costs little and sends no
// needless notifications.
#include <string>

#include "win32/WideText.h"
#include "win32/ui/DialogViews.h"
#include "win32/ui/DialogWindow.h"

namespace ostrel::win32::view {

using ui::Kind;

namespace {

// A multi-line edit box breaks lines at CR LF only.
std::wstring EditText(const String& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
      out += L'\r';
    out += static_cast<wchar_t>(text[i]);
  }
  return out;
}

std::wstring TextFor(const ui::Control& c) {
  switch (c.kind()) {
    case Kind::TextBox:
    case Kind::MaskedEdit:
      return c.multiLine ? EditText(c.DisplayText()) : WideString(c.DisplayText());
    case Kind::Frame:
    case Kind::Label:
    case Kind::CommandButton:
    case Kind::CheckBox:
      return WideString(c.Caption());
    case Kind::OptionButton:
      // An option shown as a picture carries its name as its text, which it
      // does not draw (BS_BITMAP) and screen readers read.
      return WideString(c.Caption().empty() ? c.accessibleName : c.Caption());
    default:
      return {};
  }
}

}  // namespace

void DialogWindow::Sync(bool applyVisibility, bool keyboardFocus) {
  if (model_ == nullptr || hwnd_ == nullptr)
    return;
  ui::Dialog& dialog = *model_;
  {
    const SyncScope syncing(syncing_);
    if (const std::wstring caption = WideString(dialog.caption); caption != givenCaption_) {
      ::SetWindowTextW(hwnd_, caption.c_str());
      givenCaption_ = caption;
    }
    if (dialog.icon != givenIcon_) {
      ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
                     static_cast<LPARAM>(static_cast<std::uintptr_t>(dialog.icon)));
      givenIcon_ = dialog.icon;
    }
    if (dialog.rect.width != placedRect_.width || dialog.rect.height != placedRect_.height)
      PlaceDialog(false);
    const auto& all = dialog.Controls();
    // A page change shows and hides many windows: drawn once, at the end.
    std::size_t changes = 0;
    for (std::size_t i = 0; i < all.size() && i < controls_.size(); ++i)
      if (all[i]->visible != given_[i].visible)
        ++changes;
    const bool batch = changes > 2 && ::IsWindowVisible(hwnd_);
    if (batch)
      ::SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
    MakeShownWindows();
    for (std::size_t i = 0; i < all.size() && i < controls_.size(); ++i)
      if (controls_[i] != nullptr)
        SyncControl(*all[i], i);
    if (batch) {
      ::SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
      ::RedrawWindow(hwnd_, nullptr, nullptr,
                     RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    // A modal dialog over this one takes its input.
    if (const bool enabled = dialog.modalChild == nullptr; enabled != givenEnabled_) {
      ::EnableWindow(hwnd_, enabled);
      givenEnabled_ = enabled;
    }
  }
  if (applyVisibility && dialog.visible) {
    if (!::IsWindowVisible(hwnd_)) {
      ::ShowWindow(hwnd_, SW_SHOW);
      raise_ = false;
    } else if (raise_) {
      raise_ = false;
      HWND front = hwnd_;
      if (dialog.modalChild != nullptr)
        if (const DialogWindow* child = views_.WindowObject(*dialog.modalChild))
          front = child->hwnd();
      ::SetForegroundWindow(front);
      ::SetActiveWindow(front);
    }
  }
  if (model_ != nullptr)
    SyncFocus(keyboardFocus);
}

void DialogWindow::SyncControl(const ui::Control& c, std::size_t index) {
  const HWND window = controls_[index];
  Given& given = given_[index];
  // Each window shows or hides itself; the frame holding it does the rest.
  const bool visible = c.visible;
  if (!visible && given.visible) {
    ::ShowWindow(window, SW_HIDE);
    given.visible = false;
  }

  if (const HWND parent = ParentOf(c); parent != given.parent) {
    // Moved into another frame, or onto the dialog itself.
    ::SetParent(window, parent);
    given.parent = parent;
    given.rect = RECT{};
  }
  if (const RECT wanted = PixelRect(c); !::EqualRect(&wanted, &given.rect)) {
    ::SetWindowPos(window, nullptr, wanted.left, wanted.top, wanted.right - wanted.left,
                   wanted.bottom - wanted.top, SWP_NOZORDER | SWP_NOACTIVATE);
    given.rect = wanted;
    if (const HWND box = groupBoxes_[index])
      ::SetWindowPos(box, HWND_BOTTOM, 0, 0, wanted.right - wanted.left, wanted.bottom - wanted.top,
                     SWP_NOACTIVATE);
  }
  if (const HWND box = groupBoxes_[index]; box != nullptr && c.border != given.border) {
    ::ShowWindow(box, c.border ? SW_SHOWNA : SW_HIDE);
    given.border = c.border;
  }
  if (const bool enabled = c.IsEnabled(); enabled != given.enabled) {
    ::EnableWindow(window, enabled);
    given.enabled = enabled;
  }
  if (std::wstring text = TextFor(c); text != given.text) {
    ::SetWindowTextW(window, text.c_str());
    if (const HWND box = groupBoxes_[index])
      ::SetWindowTextW(box, text.c_str());
    given.text = std::move(text);
  }

  LRESULT check = BST_UNCHECKED;
  switch (c.kind()) {
    case Kind::CheckBox:
      check = c.Value() == 1 ? BST_CHECKED : c.Value() == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
      break;
    case Kind::OptionButton:
      check = c.Selected() ? BST_CHECKED : BST_UNCHECKED;
      break;
    case Kind::ComboBox:
      if (c.Items() != given.items) {
        ::SendMessageW(window, CB_RESETCONTENT, 0, 0);
        for (const String& item : c.Items())
          ::SendMessageW(window, CB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(WideString(item).c_str()));
        given.items = c.Items();
        given.listIndex = -1;
      }
      if (c.ListIndex() != given.listIndex) {
        ::SendMessageW(window, CB_SETCURSEL, static_cast<WPARAM>(c.ListIndex()), 0);
        given.listIndex = c.ListIndex();
      }
      break;
    case Kind::PictureBox:
    case Kind::Image:
      if (const HBITMAP bitmap = BitmapFor(c.picture); bitmap != given.bitmap) {
        // STM_SETIMAGE hands back the image the control showed. Ours are kept
        // (and deleted) with the window set; one the control made for itself
        // (comctl32 6 copies a bitmap with an alpha channel) is the caller's
        // to delete ("STM_SETIMAGE message").
        const auto previous = reinterpret_cast<HBITMAP>(
            ::SendMessageW(window, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
        if (previous != nullptr && previous != given.bitmap && !OwnsBitmap(previous))
          ::DeleteObject(previous);
        given.bitmap = bitmap;
      }
      break;
    case Kind::UpDown:
      if (c.minimum != given.low || c.maximum != given.high) {
        ::SendMessageW(window, UDM_SETRANGE32, static_cast<WPARAM>(c.minimum),
                       static_cast<LPARAM>(c.maximum));
        given.low = c.minimum;
        given.high = c.maximum;
      }
      break;
    default:
      break;
  }
  if (check != given.check) {
    ::SendMessageW(window, BM_SETCHECK, static_cast<WPARAM>(check), 0);
    given.check = check;
  }

  if (visible && !given.visible) {
    ::ShowWindow(window, SW_SHOWNA);
    given.visible = true;
  }
}

void DialogWindow::SyncFocus(bool keyboard) {
  // Only the active dialog holds the keyboard focus; an inactive one gets the
  // model's focus back when it is activated.
  if (model_ == nullptr || hwnd_ == nullptr || ::GetActiveWindow() != hwnd_)
    return;
  const ui::Control* focused = model_->Focused();
  const HWND target = focused != nullptr ? ControlWindow(*focused) : nullptr;
  const bool focusable =
      target != nullptr && given_[IndexOf(*focused)].visible && given_[IndexOf(*focused)].enabled;
  if (!focusable) {
    // Nothing of the model's to focus: the dialog itself takes the keys.
    const HWND now = ::GetFocus();
    if (now == nullptr || (now != hwnd_ && !::IsChild(hwnd_, now)) ||
        (now != hwnd_ && (!::IsWindowVisible(now) || !::IsWindowEnabled(now)))) {
      const SyncScope syncing(syncing_);
      ::SetFocus(hwnd_);
    }
    return;
  }
  if (::GetFocus() == target)
    return;
  const SyncScope syncing(syncing_);
  ::SetFocus(target);
  // As the dialog manager moves the focus for a key: an edit box it enters has
  // its text selected.
  if (keyboard && (::SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) != 0)
    ::SendMessageW(target, EM_SETSEL, 0, -1);
}

}  // namespace ostrel::win32::view

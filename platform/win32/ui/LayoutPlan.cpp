#include "win32/ui/LayoutPlan.h"

#include <algorithm>

namespace ostrel::win32::view {

using ui::Kind;

TwipRect LayoutPlan::Absolute(const ui::Control& control) const {
  int left = control.rect.left;
  int top = control.rect.top;
  for (const ui::Control* c = control.container(); c != nullptr; c = c->container()) {
    left += c->rect.left;
    top += c->rect.top;
  }
  return {left, top, left + control.rect.width, top + control.rect.height};
}

RECT LayoutPlan::DialogPixels(const ui::Control& control) const {
  const TwipRect t = Absolute(control);
  RECT r{Pixels(t.left), Pixels(t.top), Pixels(t.right), Pixels(t.bottom)};
  switch (control.kind()) {
    case Kind::Line:
      // A line has no thickness in the model; an etched line is two pixels.
      if (control.rect.height == 0)
        r.bottom = r.top + 2;
      if (control.rect.width == 0)
        r.right = r.left + 2;
      break;
    case Kind::ComboBox:
      // A drop-down list's window includes the list that drops down.
      r.bottom += ::MulDiv(160, dpi_, 96);
      break;
    default:
      break;
  }
  return r;
}

SIZE LayoutPlan::ClientSize(const ui::Dialog& dialog) const {
  SIZE size{Pixels(dialog.rect.width), Pixels(dialog.rect.height)};
  if (dialog.sizeIncludesFrame) {
    RECT frame{0, 0, 0, 0};
    ::AdjustWindowRectEx(&frame, kDialogStyle, FALSE, WS_EX_DLGMODALFRAME);
    size.cx -= frame.right - frame.left;
    size.cy -= frame.bottom - frame.top;
  }
  // Nothing is cut off, whatever the frame of this system measures.
  for (const auto& control : dialog.Controls()) {
    if (control->kind() == Kind::ComboBox || control->kind() == Kind::TabStrip)
      continue;
    const RECT r = DialogPixels(*control);
    size.cx = std::max<LONG>(size.cx, r.right);
    size.cy = std::max<LONG>(size.cy, r.bottom);
  }
  return size;
}

RECT LayoutPlan::Placement(const ui::Dialog& dialog, const RECT& area, const RECT& work) const {
  const SIZE client = ClientSize(dialog);
  RECT outer{0, 0, client.cx, client.cy};
  ::AdjustWindowRectEx(&outer, kDialogStyle, FALSE, WS_EX_DLGMODALFRAME);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  int left = Pixels(dialog.rect.left);
  int top = Pixels(dialog.rect.top);
  if (dialog.rect.left == 0 && dialog.rect.top == 0) {
    left = area.left + (area.right - area.left - width) / 2;
    top = area.top + (area.bottom - area.top - height) / 2;
  }
  if (work.right > work.left && work.bottom > work.top) {
    left = std::max<int>(work.left, std::min<int>(left, work.right - width));
    top = std::max<int>(work.top, std::min<int>(top, work.bottom - height));
  }
  return {left, top, left + width, top + height};
}

bool LayoutPlan::OnWhiteShape(const ui::Control& control) const {
  const TwipRect r = Absolute(control);
  for (const auto& shape : control.dialog().Controls()) {
    if (shape->kind() != Kind::Shape || !shape->IsShown())
      continue;
    const TwipRect s = Absolute(*shape);
    if (r.left >= s.left && r.top >= s.top && r.right <= s.right && r.bottom <= s.bottom)
      return true;
  }
  return false;
}

}  // namespace ostrel::win32::view

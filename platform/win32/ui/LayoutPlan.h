// Where a dialog's windows go: the model's twips turned into pixels at the
// layout's DPI, the client size that holds every control, and the dialog's
// place on the screen. Geometry only; it makes and touches no window.
#pragma once

#include "host/ui/Dialog.h"
#include "win32/WindowsHeaders.h"

namespace ostrel::win32::view {

// The dialog window's style, which its frame's size depends on.
inline constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_NOIDLEMSG;

// A rectangle in twips, relative to the dialog's client area.
struct TwipRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

class LayoutPlan {
 public:
  explicit LayoutPlan(int dpi) : dpi_(dpi) {}

  int dpi() const { return dpi_; }
  int Pixels(int twips) const { return ::MulDiv(twips, dpi_, 1440); }

  TwipRect Absolute(const ui::Control& control) const;
  // In pixels, from the dialog's client area.
  RECT DialogPixels(const ui::Control& control) const;
  // The client size the dialog asks for, grown to hold every control.
  SIZE ClientSize(const ui::Dialog& dialog) const;
  // The dialog window's rectangle on the screen. A dialog with a place of its
  // own keeps it; one without is centred on `area` (its owner's window, or the
  // work area). Either way it stays within the work area, whatever the DPI, so
  // that its buttons stay where the user can reach them.
  RECT Placement(const ui::Dialog& dialog, const RECT& area, const RECT& work) const;
  // Whether the control lies wholly on a white shape that is shown (a page
  // header, the welcome and completion pages), whose white it takes.
  bool OnWhiteShape(const ui::Control& control) const;

 private:
  int dpi_;
};

}  // namespace ostrel::win32::view

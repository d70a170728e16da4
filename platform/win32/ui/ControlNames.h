// How a dialog's windows are named for whoever looks for them from outside (a
// script driver, a test): window properties holding the model's names, shared by
// the view that sets them and the readers.
#pragma once

#include <string>

#include "win32/WindowsHeaders.h"

namespace ostrel::win32::view {

// On each control's window: the model control's display name ("txtDonationQuarroID",
// "optButton(3)").
inline constexpr wchar_t kControlName[] = L"Ostrel.Control";
// On each control's window whose model control has a tag: the tag ("REQUIRED").
inline constexpr wchar_t kControlTag[] = L"Ostrel.Tag";
// On each dialog's window: the dialog's name ("frmWizard").
inline constexpr wchar_t kDialogName[] = L"Ostrel.Dialog";
// On each dialog's window while another window is active (a message box over
// it): the control window that holds the dialog's focus and gets it back.
inline constexpr wchar_t kHeldFocus[] = L"Ostrel.Focus";

// Control identifiers are this plus the control's place in the dialog's
// collection, so they sort in the model's order and never clash with IDOK or
// IDCANCEL.
inline constexpr int kFirstControlId = 1000;

// The group box that draws a frame's border and caption inside the frame's
// window; nullptr for a window that has none.
HWND FrameBox(HWND frame);

// A text property is kept as a global atom; each Set is paired with a Remove.
void SetTextProperty(HWND window, const wchar_t* name, const std::wstring& text);
void RemoveTextProperty(HWND window, const wchar_t* name);
// Empty when the window has no such property.
std::wstring TextProperty(HWND window, const wchar_t* name);

}  // namespace ostrel::win32::view

// The Win32 view of the dialog model: each shown dialog a real top-level window
// of standard controls, laid out from the model's twips at the screen's DPI,
// brought in line with the model after every event, and every user action on a
// window fed into the model through the user-action functions of
// host/ui/Dialog.h. The windows live on the thread that shows the dialogs
// (Outlook's user-interface thread); so do all calls here.
#pragma once

#include <memory>
#include <vector>

#include "common/Entry.h"
#include "host/Handles.h"
#include "host/ui/Dialog.h"
#include "host/ui/DialogView.h"

namespace ostrel::win32::view {

class DialogWindow;

struct ViewOptions {
  // Dots per inch of the layout; 0 for the screen's.
  int dpi = 0;
};

class DialogViews final : public ui::DialogView {
 public:
  explicit DialogViews(ViewOptions options = {});
  ~DialogViews() override;
  DialogViews(const DialogViews&) = delete;
  DialogViews& operator=(const DialogViews&) = delete;

  void Show(ui::Dialog& dialog) override;
  void Close(ui::Dialog& dialog) override;

  // The window that owns the modeless dialogs (Outlook's). None, the default,
  // takes the window that is active when a dialog is first shown.
  void SetOwner(host::WindowHandle owner) { owner_ = owner; }
  host::WindowHandle Owner() const { return owner_; }

  // The window of a dialog or of one of its controls; None when it has none.
  host::WindowHandle WindowOf(const ui::Dialog& dialog) const;
  host::WindowHandle WindowOf(const ui::Control& control) const;
  // The DPI of the layout.
  int Dpi() const { return dpi_; }
  // The view's object for a dialog that has a window; nullptr otherwise.
  DialogWindow* WindowObject(const ui::Dialog& dialog) const;

  // Brings every window in line with its dialog. keyboardFocus moves the focus
  // as a key does (an edit box it enters has its text selected).
  void SyncAll(bool keyboardFocus = false);

  // Windows destroyed the dialog's window with its owner (an Outlook window
  // closed while another stays): a dialog still shown gets a new window, owned
  // by the window the user works in, once the destruction is over.
  void Orphaned(ui::Dialog& dialog);
  // What the posted remaking does, on the dialogs' thread.
  void RemakeOrphans();

  // Every entry from Windows or the model counts itself in and out, so a window
  // object whose dialog went away is deleted only when nothing of it runs.
  class Entry {
   public:
    explicit Entry(DialogViews& views);
    ~Entry();
    Entry(const Entry&) = delete;
    Entry& operator=(const Entry&) = delete;

   private:
    // Counts in the add-in's entries too, so that nothing of the add-in (the
    // view among it) goes while a window procedure runs.
    ostrel::Entry outer_;
    DialogViews& views_;
  };

 private:
  int dpi_;
  host::WindowHandle owner_ = host::WindowHandle::None;
  std::vector<std::unique_ptr<DialogWindow>> windows_;
  std::vector<std::unique_ptr<DialogWindow>> retired_;
  int depth_ = 0;
  // A message-only window that remakes orphaned dialogs' windows.
  void* remaker_ = nullptr;  // HWND
  std::vector<ui::Dialog*> orphans_;
};

// The screen's dots per inch, as Windows tells them (96 when it does not).
int ScreenDpi();

// Unregisters the window classes the view registered in this module; for the
// module's unloading (a window class outlives its module otherwise, and the
// module loaded again finds its name taken).
void UnregisterWindowClasses();

}  // namespace ostrel::win32::view

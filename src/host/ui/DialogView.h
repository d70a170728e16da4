// How dialogs reach the screen. A view mirrors each shown dialog into a window of
// its own and feeds what the user does there back into the model through the
// user-action functions of Dialog.h. The add-in's code never calls a view: the
// dialog does, when it is shown and when it goes.
#pragma once

namespace ostrel::ui {

class Dialog;

class DialogView {
 public:
  virtual ~DialogView() = default;
  // The dialog has just been shown without modality, brought forward, or shown
  // modally over dialog.modalOwner.
  virtual void Show(Dialog& dialog) = 0;
  // The dialog has unloaded, or its object is ending: its window goes. Called
  // again for a dialog that has no window, which is then nothing to do.
  virtual void Close(Dialog& dialog) = 0;
};

// The view of a build without a screen: dialogs are models only.
DialogView& HeadlessView();

}  // namespace ostrel::ui

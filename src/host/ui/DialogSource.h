// How a host that shows an add-in's dialogs itself gets at them: the Linux
// stand-in has no windows, so it reads and drives the dialog model directly.
// On Windows the dialogs are windows of the process and no host needs this.
#pragma once

#include <vector>

namespace ostrel::ui {

class Dialog;

class DialogSource {
 public:
  virtual ~DialogSource() = default;
  // The add-in's loaded dialogs, for a view that shows them and passes the
  // user's actions in.
  virtual std::vector<Dialog*> Dialogs() = 0;
};

}  // namespace ostrel::ui

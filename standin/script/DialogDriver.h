// The session's second seam: how the add-ins' dialogs are driven. The Linux
// stand-in acts on the headless dialog model and its recorded message boxes;
// the Windows one acts on real windows, as a person's input would.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ostrel::standin {

// What a user action on a dialog came to.
enum class DialogOutcome {
  Done,
  // The field with the focus kept it (its validation said no); the action did
  // not happen and the field's message box is up.
  Refused,
  // The control is hidden or disabled, or a modal dialog is up over it.
  NotPossible,
  NoDialog,
  NoControl,
};

struct ShownMessageBox {
  std::string caption;
  std::string text;
};

// Controls are named as the dialog model names them: "cmdNext", and
// "optButton(3)" for a member of a control array. The actions work on the
// active dialog: a modal one first, else the one shown last.
class DialogDriver {
 public:
  virtual ~DialogDriver() = default;

  // The active dialog's name ("frmWizard"); nothing when no dialog is up.
  virtual std::optional<std::string> ActiveDialog() = 0;
  // Whether the active dialog has the control.
  virtual bool HasControl(const std::string& control) = 0;

  virtual DialogOutcome Click(const std::string& control) = 0;
  // Replaces the control's text, as typing it would.
  virtual DialogOutcome Type(const std::string& control, const std::string& text) = 0;
  // Chooses a position of a drop-down list.
  virtual DialogOutcome Select(const std::string& control, int position) = 0;
  virtual DialogOutcome Tab() = 0;
  // The close box of the active dialog's window.
  virtual DialogOutcome Close() = 0;

  // The active dialog as a person reads it: "[name] caption", then a line for
  // each visible control ("  txtName: [text] (focus)"). Empty when none is up.
  virtual std::vector<std::string> Show() = 0;

  // The message box that is up; nothing when none is.
  virtual std::optional<ShownMessageBox> MessageBox() = 0;
  // Clicks the button of the message box that is up; false when none is.
  virtual bool AnswerMessageBox(const std::string& button) = 0;
};

}  // namespace ostrel::standin

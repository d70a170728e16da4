// The Linux stand-in's way of driving dialogs: the add-ins' dialogs are the
// headless dialog model, acted on through its user-action API and read back
// from it; message boxes are the platform's recorded ones.
#pragma once

#include <functional>
#include <vector>

#include "host/ui/Dialog.h"
#include "posix/RecordingUi.h"
#include "script/DialogDriver.h"

namespace ostrel::standin {

class HeadlessDialogs final : public DialogDriver {
 public:
  // `dialogs` gives the loaded add-ins' dialogs at each call.
  HeadlessDialogs(std::function<std::vector<ui::Dialog*>()> dialogs,
                  posix::RecordingDialogs& messageBoxes);

  std::optional<std::string> ActiveDialog() override;
  bool HasControl(const std::string& control) override;
  DialogOutcome Click(const std::string& control) override;
  DialogOutcome Type(const std::string& control, const std::string& text) override;
  DialogOutcome Select(const std::string& control, int position) override;
  DialogOutcome Tab() override;
  DialogOutcome Close() override;
  std::vector<std::string> Show() override;
  std::optional<ShownMessageBox> MessageBox() override;
  // The add-in's message boxes have an OK button only.
  bool AnswerMessageBox(const std::string& button) override;

 private:
  // The dialog that has the focus: a modal one first, else the one shown
  // last; nullptr when none is open.
  ui::Dialog* Active() const;
  ui::Control* Find(const std::string& control) const;
  // The action on the named control of the active dialog.
  DialogOutcome On(const std::string& control,
                   const std::function<ui::Outcome(ui::Control&)>& action);

  std::function<std::vector<ui::Dialog*>()> dialogs_;
  posix::RecordingDialogs& messageBoxes_;
  // The dialog that was active when the pending box came up: on Windows a
  // message box goes with the window that owns it ("If the owner window is
  // destroyed, the owned windows are destroyed too", Window Features: Owned
  // Windows), so the box goes when that dialog does.
  std::size_t boxesSeen_ = 0;
  const ui::Dialog* boxOwner_ = nullptr;
};

}  // namespace ostrel::standin

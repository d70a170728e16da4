// Outlook's stand-in as a program: Outlook's windows and toolbar, the add-ins it
// loads from the user's add-in list, and the dialogs those add-ins show, driven
// by one action at a time.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/Outlook.h"
#include "host/ui/Dialog.h"
#include "ostrel/Commands.h"
#include "outlook/StandinApplication.h"
#include "posix/PosixPlatform.h"

namespace ostrel::standin {

// An action that cannot be carried out at all (no such control or dialog, a
// click while a message box is up); a script stops at it.
class ActionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Session {
 public:
  using Output = std::function<void(const std::string& line)>;
  Session(posix::PosixPlatform& platform, StandinApplication& outlook, Output output);
  ~Session();

  // Carries out one action; throws ActionError when it cannot be carried out.
  void Execute(const Command& command);
  bool Running() const { return running_; }

 private:
  struct LoadedAddIn;

  void Start();
  void Quit();
  void LoadAddIns();
  void Click(const std::string& target);
  void Type(const std::string& target, const std::string& text);
  void Select(const std::string& target, const std::string& position);
  void Show();
  void ShowToolbar();
  void Answer(const std::string& button);
  void RequireRunning() const;
  void RequireNoMessageBox() const;
  // The add-ins' dialog that has the focus: a modal one first, else the one
  // shown last; nullptr when none is open.
  ui::Dialog* ActiveDialog() const;
  ui::Control* FindControl(ui::Dialog& dialog, const std::string& target) const;
  void Report(ui::Outcome outcome, const std::string& what) const;

  posix::PosixPlatform& platform_;
  StandinApplication& outlook_;
  Output out_;
  bool running_ = false;
  std::vector<std::unique_ptr<LoadedAddIn>> addIns_;
};

}  // namespace ostrel::standin

// Outlook's Application, in the stand-in: creates mail items whose Display
// writes an unsent draft (.eml) into an outbox folder, keeps a record of what
// was displayed, and fails on demand. Written against host::FileSystem only, so
// it runs in both builds. Explorers, inspectors and command bars join it later,
// sharing its OutlookState.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/FileSystem.h"
#include "host/Outlook.h"
#include "outlook/OutlookState.h"

namespace ostrel::standin {

class StandinApplication : public host::outlook::Application {
 public:
  // `outboxFolder` is a path as the system builds them ("\" between names); it
  // is made at the first Display when missing (its parent must exist). `clock`
  // gives the time in seconds since 1970-01-01 UTC; drafts are dated by it.
  StandinApplication(host::FileSystem& files, String outboxFolder, Clock clock);

  // A StandinMailItem for olMailItem; host::HostError (E_INVALIDARG) for any
  // other item type, and (E_FAIL) when CreateItem was set to fail.
  std::unique_ptr<host::outlook::MailItem> CreateItem(int itemType) override;

  // The named operation ("CreateItem", "To", "Subject", "HTMLBody", "Display")
  // raises host::HostError instead of acting, every time, until ClearFailures.
  // An unknown name raises std::invalid_argument.
  void FailOn(std::string operation);
  void ClearFailures();

  // Called with one line per event, "mail displayed: <path>" for a Display.
  void SetListener(Listener listener);

  // Every displayed item, in order. The reference is valid while this object
  // lives; a Display adds to it.
  const std::vector<DisplayedMail>& Displayed() const;

  const String& OutboxFolder() const;

 protected:
  OutlookState& State() { return *state_; }

 private:
  std::shared_ptr<OutlookState> state_;
};

}  // namespace ostrel::standin

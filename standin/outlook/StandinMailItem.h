// Outlook's mail item, in the stand-in: the properties the add-in sets, and a
// Display that writes the item as an unsent draft into the outbox folder.
#pragma once

#include <memory>
#include <optional>

#include "host/Outlook.h"
#include "outlook/OutlookState.h"

namespace ostrel::standin {

class StandinMailItem final : public host::outlook::MailItem {
 public:
  explicit StandinMailItem(std::shared_ptr<OutlookState> state);

  // Each setter replaces the property; To and Subject take the text as typed
  // (line breaks in it become spaces in the draft's header).
  void SetTo(const String& to) override;
  void SetSubject(const String& subject) override;
  void SetHTMLBody(const String& html) override;

  // Writes the item as it is now to a new draft file, records it, tells the
  // listener "mail displayed: <path>" and opens the item's window: an
  // inspector of the Application, listed and closed like any other. Each
  // Display writes a new file and opens a new window (the window shows the
  // item as it is at that moment), so displaying again after a change leaves
  // both versions. Nothing is recorded and no window opens when it fails.
  void Display() override;

 private:
  std::shared_ptr<OutlookState> state_;
  std::optional<String> to_;
  std::optional<String> subject_;
  String htmlBody_;
};

}  // namespace ostrel::standin

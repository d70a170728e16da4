#include "outlook/StandinApplication.h"

#include "host/HostError.h"
#include "outlook/StandinMailItem.h"

namespace ostrel::standin {

StandinApplication::StandinApplication(host::FileSystem& files, String outboxFolder, Clock clock)
    : state_(std::make_shared<OutlookState>(files, std::move(outboxFolder), std::move(clock))) {}

std::unique_ptr<host::outlook::MailItem> StandinApplication::CreateItem(int itemType) {
  state_->faults.Check("CreateItem");
  if (itemType != host::outlook::olMailItem) {
    throw host::HostError(kEInvalidArg, "the stand-in creates mail items only, not items of type " +
                                            std::to_string(itemType));
  }
  return std::make_unique<StandinMailItem>(state_);
}

void StandinApplication::FailOn(std::string operation) {
  state_->faults.FailOn(operation);
}

void StandinApplication::ClearFailures() {
  state_->faults.Clear();
}

void StandinApplication::SetListener(Listener listener) {
  state_->listener = std::move(listener);
}

const std::vector<DisplayedMail>& StandinApplication::Displayed() const {
  return state_->displayed;
}

const String& StandinApplication::OutboxFolder() const {
  return state_->outbox;
}

}  // namespace ostrel::standin

#include "outlook/StandinMailItem.h"

#include "common/Text.h"

namespace ostrel::standin {

StandinMailItem::StandinMailItem(std::shared_ptr<OutlookState> state) : state_(std::move(state)) {}

void StandinMailItem::SetTo(const String& to) {
  state_->faults.Check("To");
  to_ = to;
}

void StandinMailItem::SetSubject(const String& subject) {
  state_->faults.Check("Subject");
  subject_ = subject;
}

void StandinMailItem::SetHTMLBody(const String& html) {
  state_->faults.Check("HTMLBody");
  htmlBody_ = html;
}

void StandinMailItem::Display() {
  state_->faults.Check("Display");
  const DraftMail mail{state_->Now(), to_, subject_, htmlBody_};
  const String path = state_->WriteDraft(mail);
  state_->displayed.push_back(DisplayedMail{path, to_, subject_, htmlBody_});
  state_->Notify("mail displayed: " + Utf16ToUtf8(path));
  if (state_->openItemWindow)
    state_->openItemWindow();
}

}  // namespace ostrel::standin

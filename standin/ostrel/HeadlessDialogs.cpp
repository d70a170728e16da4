#include "ostrel/HeadlessDialogs.h"

#include <algorithm>

#include "common/Text.h"
#include "script/Commands.h"

namespace ostrel::standin {

namespace {

// Line breaks of captions and texts shown on one line.
std::string OneLine(const String& text) {
  std::string out;
  for (char c : Utf16ToUtf8(text)) {
    if (c == '\r')
      continue;
    if (c == '\n')
      out += " / ";
    else
      out += c;
  }
  return out;
}

std::string Describe(const ui::Control& c) {
  const std::string caption = OneLine(c.Caption());
  switch (c.kind()) {
    case ui::Kind::Label:
      return caption.empty() ? std::string() : "\"" + caption + "\"";
    case ui::Kind::Frame:
      // A frame without a border is only a page holder.
      return caption.empty() || !c.border ? std::string() : "frame \"" + caption + "\"";
    case ui::Kind::TextBox:
    case ui::Kind::MaskedEdit:
      return "[" + OneLine(c.DisplayText()) + "]" +
             (c.tag == u"REQUIRED" ? std::string(" (required)") : std::string());
    case ui::Kind::CheckBox:
      return std::string(c.Value() == 1 ? "[x] " : c.Value() == 2 ? "[-] " : "[ ] ") + caption;
    case ui::Kind::OptionButton:
      return std::string(c.Selected() ? "(o) " : "( ) ") +
             (caption.empty() ? "name \"" + OneLine(c.accessibleName) + "\"" : caption);
    case ui::Kind::ComboBox: {
      const int at = c.ListIndex();
      std::string shown =
          at < 0 ? std::string("(none)") : OneLine(c.Items()[static_cast<std::size_t>(at)]);
      return "<" + shown + "> position " + std::to_string(at) + " of " +
             std::to_string(c.Items().size());
    }
    case ui::Kind::CommandButton:
      return "<" + caption + ">";
    case ui::Kind::PictureBox:
    case ui::Kind::Image:
      return c.picture ? "picture" : std::string();
    case ui::Kind::UpDown:
      return "up/down " + std::to_string(c.minimum) + ".." + std::to_string(c.maximum);
    default:
      return {};
  }
}

DialogOutcome FromModel(ui::Outcome outcome) {
  switch (outcome) {
    case ui::Outcome::Done:
      return DialogOutcome::Done;
    case ui::Outcome::Refused:
      return DialogOutcome::Refused;
    case ui::Outcome::NotPossible:
      break;
  }
  return DialogOutcome::NotPossible;
}

}  // namespace

HeadlessDialogs::HeadlessDialogs(std::function<std::vector<ui::Dialog*>()> dialogs,
                                 posix::RecordingDialogs& messageBoxes)
    : dialogs_(std::move(dialogs)), messageBoxes_(messageBoxes) {}

ui::Dialog* HeadlessDialogs::Active() const {
  ui::Dialog* active = nullptr;
  for (ui::Dialog* dialog : dialogs_()) {
    if (!dialog->visible || dialog->Unloaded())
      continue;
    if (dialog->modalChild != nullptr)
      continue;  // its modal child has the focus
    if (active == nullptr || dialog->ShownAt() > active->ShownAt())
      active = dialog;
  }
  return active;
}

ui::Control* HeadlessDialogs::Find(const std::string& control) const {
  ui::Dialog* dialog = Active();
  const auto name = ParseControlName(control);
  if (dialog == nullptr || !name)
    return nullptr;
  return dialog->Find(Utf8ToUtf16(name->name), name->index);
}

std::optional<std::string> HeadlessDialogs::ActiveDialog() {
  if (ui::Dialog* dialog = Active())
    return Utf16ToUtf8(dialog->name());
  return std::nullopt;
}

bool HeadlessDialogs::HasControl(const std::string& control) {
  return Find(control) != nullptr;
}

DialogOutcome HeadlessDialogs::On(const std::string& control,
                                  const std::function<ui::Outcome(ui::Control&)>& action) {
  if (Active() == nullptr)
    return DialogOutcome::NoDialog;
  ui::Control* found = Find(control);
  if (found == nullptr)
    return DialogOutcome::NoControl;
  return FromModel(action(*found));
}

DialogOutcome HeadlessDialogs::Click(const std::string& control) {
  return On(control, [](ui::Control& c) { return ui::Click(c); });
}

DialogOutcome HeadlessDialogs::Type(const std::string& control, const std::string& text) {
  return On(control, [&](ui::Control& c) { return ui::Type(c, Utf8ToUtf16(text)); });
}

DialogOutcome HeadlessDialogs::Select(const std::string& control, int position) {
  return On(control, [&](ui::Control& c) { return ui::Select(c, position); });
}

DialogOutcome HeadlessDialogs::Tab() {
  ui::Dialog* dialog = Active();
  return dialog == nullptr ? DialogOutcome::NoDialog : FromModel(ui::Tab(*dialog));
}

DialogOutcome HeadlessDialogs::Close() {
  ui::Dialog* dialog = Active();
  return dialog == nullptr ? DialogOutcome::NoDialog : FromModel(ui::CloseWindow(*dialog));
}

std::vector<std::string> HeadlessDialogs::Show() {
  ui::Dialog* dialog = Active();
  if (dialog == nullptr)
    return {};
  std::vector<std::string> lines = {"[" + Utf16ToUtf8(dialog->name()) + "] " +
                                    OneLine(dialog->caption)};
  for (const auto& control : dialog->Controls()) {
    if (!control->IsShown())
      continue;
    const std::string what = Describe(*control);
    if (what.empty())
      continue;
    std::string line = "  " + Utf16ToUtf8(control->DisplayName()) + ": " + what;
    if (!control->IsEnabled())
      line += " (disabled)";
    if (dialog->Focused() == control.get())
      line += " (focus)";
    lines.push_back(std::move(line));
  }
  return lines;
}

std::optional<ShownMessageBox> HeadlessDialogs::MessageBox() {
  const auto& box = messageBoxes_.PendingMessage();
  if (!box)
    return std::nullopt;
  if (messageBoxes_.Messages().size() != boxesSeen_) {
    boxesSeen_ = messageBoxes_.Messages().size();
    boxOwner_ = Active();
  }
  if (boxOwner_ != nullptr) {
    const std::vector<ui::Dialog*> open = dialogs_();
    const auto found = std::find(open.begin(), open.end(), boxOwner_);
    if (found == open.end() || (*found)->Unloaded()) {
      messageBoxes_.AnswerMessage();
      boxOwner_ = nullptr;
      return std::nullopt;
    }
  }
  return ShownMessageBox{Utf16ToUtf8(box->caption), Utf16ToUtf8(box->text)};
}

bool HeadlessDialogs::AnswerMessageBox(const std::string& button) {
  return button == "OK" && messageBoxes_.AnswerMessage();
}

}  // namespace ostrel::standin

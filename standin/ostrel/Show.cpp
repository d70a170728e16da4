// `show`: the active dialog's visible controls and their state, as a person
// would read the page, or the toolbar when no dialog is open.
#include "common/Text.h"
#include "ostrel/Session.h"

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
      return std::string(c.Selected() ? "(o) " : "( ) ") + caption;
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

}  // namespace

void Session::Show() {
  ui::Dialog* dialog = ActiveDialog();
  if (dialog == nullptr)
    return ShowToolbar();
  out_("[" + Utf16ToUtf8(dialog->name()) + "] " + OneLine(dialog->caption));
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
    out_(line);
  }
}

void Session::ShowToolbar() {
  for (const std::string& line : outlook_.DescribeToolbars())
    out_(line);
}

}  // namespace ostrel::standin

#include "host/ui/Dialog.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>

#include "common/Text.h"

namespace ostrel::ui {

namespace {

bool HasTextEvents(Kind kind) {
  return kind == Kind::TextBox || kind == Kind::MaskedEdit;
}

void Run(const std::function<void()>& handler) {
  if (handler)
    handler();
}

bool IsTabStop(const Dialog& dialog, const Control& control);

}  // namespace

Control::Control(Dialog& dialog, Kind kind, String name, int index, Control* container, Rect rect)
    : rect(rect),
      dialog_(dialog),
      kind_(kind),
      name_(std::move(name)),
      index_(index),
      container_(container) {
  tabStop = CanHoldFocus();
}

String Control::DisplayName() const {
  if (index_ < 0)
    return name_;
  return name_ + u"(" + DecimalText(index_) + u")";
}

void Control::SetText(String text) {
  if (text == text_)
    return;
  text_ = std::move(text);
  if (HasTextEvents(kind_))
    Run(onChange);
}

String Control::DisplayText() const {
  if (!displayFormat || dialog_.Focused() == this)
    return text_;
  return displayFormat(text_);
}

void Control::SetValue(int value) {
  if (kind_ == Kind::OptionButton) {
    if (value != 0)
      Select();
    else
      value_ = 0;
    return;
  }
  if (value == value_)
    return;
  value_ = value;
  Run(onClick);
}

void Control::Select() {
  for (const auto& other : dialog_.Controls()) {
    if (other.get() != this && other->kind_ == Kind::OptionButton &&
        other->container_ == container_)
      other->value_ = 0;
  }
  value_ = 1;
  Run(onClick);
}

void Control::AddItem(String item, int position) {
  position = std::clamp(position, 0, static_cast<int>(items_.size()));
  items_.insert(items_.begin() + position, std::move(item));
  if (listIndex_ >= position)
    ++listIndex_;
}

bool Control::SetListIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size()))
    return false;
  if (index != listIndex_) {
    listIndex_ = index;
    Run(onClick);
  }
  return true;
}

void Control::Step(int direction) {
  if (buddy == nullptr)
    return;
  // The buddy's current number, as the spinner reads it back from the box.
  const String& text = buddy->Text();
  long current = 0;
  std::size_t i = 0;
  while (i < text.size() && text[i] == u' ')
    ++i;
  bool negative = i < text.size() && text[i] == u'-';
  if (negative)
    ++i;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && current < 1000000; ++i)
    current = current * 10 + (text[i] - u'0');
  if (negative)
    current = -current;
  long next =
      std::clamp<long>(current + static_cast<long>(direction) * increment, minimum, maximum);
  buddy->SetText(DecimalText(static_cast<std::int32_t>(next)));
}

bool Control::IsShown() const {
  for (const Control* c = this; c != nullptr; c = c->container_)
    if (!c->visible)
      return false;
  return true;
}

bool Control::IsEnabled() const {
  for (const Control* c = this; c != nullptr; c = c->container_)
    if (!c->enabled)
      return false;
  return true;
}

bool Control::CanHoldFocus() const {
  switch (kind_) {
    case Kind::TextBox:
    case Kind::MaskedEdit:
    case Kind::CheckBox:
    case Kind::OptionButton:
    case Kind::ComboBox:
    case Kind::CommandButton:
    case Kind::UpDown:
      return true;
    default:
      return false;
  }
}

Dialog::Dialog(String name) : name_(std::move(name)) {}

Dialog::~Dialog() {
  if (view != nullptr)
    view->Close(*this);
}

DialogView& HeadlessView() {
  class Headless final : public DialogView {
   public:
    void Show(Dialog&) override {}
    void Close(Dialog&) override {}
  };
  static Headless headless;
  return headless;
}

Control* Dialog::Find(std::u16string_view name, int index) const {
  for (const auto& control : controls_)
    if (control->name() == name && control->index() == index)
      return control.get();
  return nullptr;
}

Control& Dialog::Get(std::u16string_view name, int index) const {
  Control* control = Find(name, index);
  if (control == nullptr)
    throw std::out_of_range("no control " + Utf16ToUtf8(String(name)) + " with index " +
                            std::to_string(index));
  return *control;
}

Control& Dialog::Add(Kind kind, String name, int index, Control* container, Rect rect) {
  controls_.push_back(
      std::make_unique<Control>(*this, kind, std::move(name), index, container, rect));
  return *controls_.back();
}

bool Dialog::SetFocus(Control& control) {
  if (&control.dialog() != this || !control.CanHoldFocus() || !control.IsShown() ||
      !control.IsEnabled())
    return false;
  focused_ = &control;
  return true;
}

void Dialog::Show() {
  // Process-wide, so the most recently shown dialog can be told apart.
  static std::atomic<std::uint64_t> clock{0};
  // A dialog that appears with nothing focused gives the focus to its first
  // control in tab order, as the platform's dialogs do.
  if (!visible && focused_ == nullptr) {
    for (const auto& control : controls_) {
      if (IsTabStop(*this, *control)) {
        focused_ = control.get();
        break;
      }
    }
  }
  visible = true;
  shownAt_ = ++clock;
  if (view != nullptr)
    view->Show(*this);
}

void Dialog::ShowModalOver(Dialog& owner) {
  owner.modalChild = this;
  modalOwner = &owner;
  Show();
}

void Dialog::Unload() {
  if (modalOwner != nullptr && modalOwner->modalChild == this)
    modalOwner->modalChild = nullptr;
  modalOwner = nullptr;
  visible = false;
  unloaded_ = true;
  focused_ = nullptr;
  if (view != nullptr)
    view->Close(*this);
}

// ---- User actions -------------------------------------------------------

namespace {

bool Reachable(const Control& control) {
  const Dialog& dialog = control.dialog();
  return dialog.modalChild == nullptr && !dialog.Unloaded() && control.IsShown() &&
         control.IsEnabled();
}

}  // namespace

bool MoveFocus(Control& target) {
  Dialog& dialog = target.dialog();
  Control* current = dialog.focused_;
  if (current == &target)
    return true;
  if (current != nullptr && target.causesValidation && current->onValidate) {
    bool cancel = false;
    current->onValidate(cancel);
    if (cancel)
      return false;
  }
  // The validation may have moved things (a handler can hide or unload).
  if (!Reachable(target))
    return false;
  dialog.focused_ = &target;
  return true;
}

Outcome Focus(Control& target) {
  if (!Reachable(target) || !target.CanHoldFocus())
    return Outcome::NotPossible;
  return MoveFocus(target) ? Outcome::Done : Outcome::Refused;
}

Outcome Click(Control& target) {
  if (!Reachable(target))
    return Outcome::NotPossible;
  if (target.CanHoldFocus() && !MoveFocus(target))
    return Outcome::Refused;
  switch (target.kind()) {
    case Kind::CheckBox:
      target.SetValue(target.Value() == 1 ? 0 : 1);
      break;
    case Kind::OptionButton:
      target.Select();
      break;
    case Kind::UpDown:
      target.Step(+1);
      break;
    default:
      Run(target.onClick);
      break;
  }
  return Outcome::Done;
}

Outcome Type(Control& target, const String& text) {
  if (target.kind() != Kind::TextBox && target.kind() != Kind::MaskedEdit)
    return Outcome::NotPossible;
  Outcome focus = Focus(target);
  if (focus != Outcome::Done)
    return focus;
  String typed = text;
  if (target.maxLength > 0 && typed.size() > static_cast<std::size_t>(target.maxLength))
    typed.resize(static_cast<std::size_t>(target.maxLength));
  target.SetText(std::move(typed));
  return Outcome::Done;
}

Outcome Select(Control& target, int position) {
  if (target.kind() != Kind::ComboBox || position < 0 ||
      position >= static_cast<int>(target.Items().size()))
    return Outcome::NotPossible;
  Outcome focus = Focus(target);
  if (focus != Outcome::Done)
    return focus;
  target.SetListIndex(position);
  return Outcome::Done;
}

Outcome Spin(Control& spinner, int direction) {
  if (spinner.kind() != Kind::UpDown)
    return Outcome::NotPossible;
  Outcome focus = Focus(spinner);
  if (focus != Outcome::Done)
    return focus;
  spinner.Step(direction);
  return Outcome::Done;
}

namespace {

// An option group is one stop: its selected option, or its first when none is.
bool IsTabStop(const Dialog& dialog, const Control& control) {
  if (!control.tabStop || !control.CanHoldFocus() || !Reachable(control))
    return false;
  if (control.kind() != Kind::OptionButton || control.Selected())
    return true;
  for (const auto& other : dialog.Controls()) {
    if (other->kind() != Kind::OptionButton || other->container() != control.container())
      continue;
    if (other->Selected() && Reachable(*other))
      return false;
  }
  for (const auto& other : dialog.Controls()) {
    if (other->kind() == Kind::OptionButton && other->container() == control.container() &&
        Reachable(*other))
      return other.get() == &control;
  }
  return false;
}

}  // namespace

Outcome Tab(Dialog& dialog, bool backwards) {
  const auto& controls = dialog.Controls();
  if (dialog.modalChild != nullptr || controls.empty())
    return Outcome::NotPossible;
  const std::size_t count = controls.size();
  // Walking backwards is walking forwards by count - 1 at each step.
  const std::size_t stride = backwards ? count - 1 : 1;
  std::size_t start = backwards ? count - 1 : 0;
  for (std::size_t i = 0; i < count; ++i)
    if (controls[i].get() == dialog.Focused())
      start = (i + stride) % count;
  for (std::size_t step = 0; step < count; ++step) {
    Control& candidate = *controls[(start + step * stride) % count];
    if (&candidate == dialog.Focused())
      break;
    if (IsTabStop(dialog, candidate))
      return Focus(candidate);
  }
  return Outcome::NotPossible;
}

Outcome CloseWindow(Dialog& dialog) {
  if (dialog.modalChild != nullptr || dialog.Unloaded())
    return Outcome::NotPossible;
  if (dialog.onClose)
    dialog.onClose();
  else
    dialog.Unload();
  return Outcome::Done;
}

}  // namespace ostrel::ui

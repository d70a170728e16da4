// The dialog model: dialogs and their controls, headless, behaving like the
// platform's dialog toolkit where the add-in relies on it. A view (the Win32
// windows, or a terminal) mirrors the model and feeds user actions back in
// through the user-action functions at the end of this file; tests use the same
// functions.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "host/Handles.h"
#include "host/Picture.h"
#include "host/String.h"
#include "host/ui/DialogView.h"

namespace ostrel::ui {

enum class Kind {
  Frame,
  TabStrip,
  Label,
  TextBox,
  MaskedEdit,
  CheckBox,
  OptionButton,
  ComboBox,
  CommandButton,
  PictureBox,
  Image,
  Shape,
  Line,
  UpDown,
};

// Position and size in twips, relative to the container.
struct Rect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

class Dialog;

class Control {
 public:
  Control(Dialog& dialog, Kind kind, String name, int index, Control* container, Rect rect);
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  Dialog& dialog() const { return dialog_; }
  Kind kind() const { return kind_; }
  const String& name() const { return name_; }
  // The index within a control array; -1 for a control that is not in one.
  int index() const { return index_; }
  // The frame (or tab strip) holding the control; nullptr for the dialog itself.
  Control* container() const { return container_; }
  void SetContainer(Control* container) { container_ = container; }
  // "txtName" or "optButton(3)".
  String DisplayName() const;

  String tag;
  // What a screen reader says for a control whose caption says nothing (an
  // option shown as a picture); empty where the caption is the name.
  String accessibleName;
  bool enabled = true;
  bool visible = true;
  bool causesValidation = true;
  bool tabStop = true;
  bool border = true;
  bool multiLine = false;
  bool verticalScrollBar = false;
  bool bold = false;
  String fontName;
  // In points; 0 for the size of the dialog's own font.
  int fontSize = 0;
  // The dialog's cancel button: the Escape key clicks it.
  bool cancel = false;
  Rect rect;
  // 0 means no limit. Limits what the user types, not what code assigns.
  int maxLength = 0;

  // Text of a text box or masked edit box, caption of everything else. Setting a
  // different text of a text box or masked edit box runs its change event.
  const String& Text() const { return text_; }
  void SetText(String text);
  const String& Caption() const { return text_; }
  void SetCaption(String caption) { SetText(std::move(caption)); }

  // Check box: 0 clear, 1 ticked, 2 greyed. A change runs the click event.
  int Value() const { return value_; }
  void SetValue(int value);

  // Option button: selecting one clears the other options of the same
  // container and always runs the click event, as a user's click does.
  bool Selected() const { return value_ != 0; }
  void Select();

  // Drop-down list. ListIndex -1 means nothing is selected.
  const std::vector<String>& Items() const { return items_; }
  void AddItem(String item, int position);
  int ListIndex() const { return listIndex_; }
  // False (and nothing changes) for an index outside -1 .. items - 1.
  bool SetListIndex(int index);

  // Pictures of picture boxes and images; one picture may be shared.
  host::PicturePtr picture;

  // Up-down spinner: the buddy whose number it steps, within min and max.
  Control* buddy = nullptr;
  int minimum = 0;
  int maximum = 10;
  int increment = 1;
  // Steps the buddy's number up (+1) or down (-1), kept within the range.
  void Step(int direction);

  // How the text shows while the control does not have the focus (a masked edit
  // box's display format); empty for controls that show their text as it is.
  std::function<String(const String& text)> displayFormat;
  // What the view shows now.
  String DisplayText() const;

  std::function<void()> onClick;
  std::function<void()> onChange;
  std::function<void(bool& cancel)> onValidate;

  // Visible itself and in every container up to the dialog.
  bool IsShown() const;
  // Enabled itself and in every container up to the dialog.
  bool IsEnabled() const;
  // A kind that can hold the keyboard focus.
  bool CanHoldFocus() const;

 private:
  Dialog& dialog_;
  Kind kind_;
  String name_;
  int index_;
  Control* container_;
  String text_;
  int value_ = 0;
  std::vector<String> items_;
  int listIndex_ = -1;
};

class Dialog {
 public:
  explicit Dialog(String name);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  const String& name() const { return name_; }

  // The dialog's controls in creation order, which is also their tab order.
  const std::vector<std::unique_ptr<Control>>& Controls() const { return controls_; }
  Control* Find(std::u16string_view name, int index = -1) const;
  // Like Find, but a missing control is a programming error (std::out_of_range).
  Control& Get(std::u16string_view name, int index = -1) const;

  String caption;
  // Width and height are the client area's, or with sizeIncludesFrame the whole
  // window's with its frame and title bar.
  Rect rect;
  bool sizeIncludesFrame = false;
  bool visible = false;
  // The window a view made for the dialog; None while no view has made one
  // (the headless model makes none), so that nothing is ever handed a window
  // that does not exist: a message box then has no owner.
  host::WindowHandle hWnd = host::WindowHandle::None;
  // The window's big icon; the view gives it to the window it makes.
  host::IconHandle icon = host::IconHandle::None;

  Control* Focused() const { return focused_; }
  // Moves the focus by code, without validation. False when the control cannot
  // take the focus now (hidden, disabled, or of a kind that takes none).
  bool SetFocus(Control& control);

  // Shows the dialog without modality (or brings it forward when it is shown).
  void Show();
  // When it was last shown: a larger number is more recent.
  std::uint64_t ShownAt() const { return shownAt_; }

  // A modal dialog shown over this one: while it is up, this dialog takes no user
  // action.
  Dialog* modalChild = nullptr;
  Dialog* modalOwner = nullptr;
  // Shows the dialog modally over its owner. The call returns at once: the model
  // has no message loop, so "modal" means the owner refuses user actions until
  // this dialog unloads.
  void ShowModalOver(Dialog& owner);

  // The close box of the window frame.
  std::function<void()> onClose;
  // Something the dialog's code threw reached the view's door (a window
  // procedure): it is stopped there and reported through this.
  std::function<void()> onFailure;

  // The view that shows the dialog on the screen; none keeps it a model only.
  DialogView* view = nullptr;

  // Unloading hides the dialog and marks it; its owner releases it afterwards.
  void Unload();
  bool Unloaded() const { return unloaded_; }

 protected:
  Control& Add(Kind kind, String name, int index, Control* container, Rect rect);

 private:
  friend bool MoveFocus(Control& target);
  String name_;
  std::vector<std::unique_ptr<Control>> controls_;
  Control* focused_ = nullptr;
  bool unloaded_ = false;
  std::uint64_t shownAt_ = 0;
};

// ---- User actions -------------------------------------------------------

enum class Outcome {
  Done,
  // The field with the focus refused to let it go (its validation cancelled);
  // the action did not happen.
  Refused,
  // The action is impossible: the control is hidden or disabled, or a modal
  // dialog is up over this one.
  NotPossible,
};

// Moves the focus to the control as a click or Tab would: the control that has
// the focus validates first when the target causes validation.
Outcome Focus(Control& target);
// A mouse click: focus first where the control takes it, then the control's own
// reaction (a command's click, a check box toggling, an option selected).
Outcome Click(Control& target);
// Focus, then replace the text as typing would (cut to the maximum length).
Outcome Type(Control& target, const String& text);
// Focus, then choose a position of a drop-down list.
Outcome Select(Control& target, int position);
// A click on a spinner's arrow: focus, then step the buddy.
Outcome Spin(Control& spinner, int direction);
// The Tab key: the focus moves to the next control in tab order that can take it
// (Shift+Tab, backwards: to the previous one).
Outcome Tab(Dialog& dialog, bool backwards = false);
// The close box of the dialog's window frame.
Outcome CloseWindow(Dialog& dialog);

}  // namespace ostrel::ui

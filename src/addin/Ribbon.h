// The add-in's group on the ribbon of Outlook 2010 and later: the customUI
// markup Office asks for (IRibbonExtensibility::GetCustomUI) and what its
// callbacks answer. The same commands as the toolbar, in its order and
// groups, with the toolbar's tags as the controls' ids; labels and screen tips
// from the resource library, in the user's language.
// https://learn.microsoft.com/openspecs/office_standards/ms-customui/
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "host/Picture.h"
#include "host/String.h"

namespace ostrel {

class AddInState;

namespace ribbon {

// The ribbon of Outlook's main window, the one ribbon the group is on.
inline constexpr std::u16string_view kExplorerRibbonId = u"Microsoft.Outlook.Explorer";
inline constexpr std::u16string_view kNamespace =
    u"http://schemas.microsoft.com/office/2009/07/customui";

// The callbacks the markup names, as Office finds them through IDispatch.
inline constexpr std::u16string_view kGetLabel = u"GetLabel";
inline constexpr std::u16string_view kGetScreentip = u"GetScreentip";
inline constexpr std::u16string_view kGetImage = u"GetImage";
inline constexpr std::u16string_view kOnAction = u"OnAction";

enum class Callback { Label, Screentip, Image, Action };
// The callback of a name, without regard to case as IDispatch finds names;
// nothing for a name that is none of ours.
std::optional<Callback> CallbackNamed(std::u16string_view name);

struct Command {
  std::u16string_view id;  // the toolbar's tag
  std::int32_t label;      // resource string of the label
  std::int32_t screentip;  // resource string of the screen tip
  bool separatorBefore;    // begins a group of the menu
  std::int32_t picture;    // its bitmap in the resource library (getImage); 0: none
};

// The large button, the menu, then the menu's nine commands.
const std::vector<Command>& Commands();
// The command of an id; nullptr for ids of no control of ours.
const Command* Find(std::u16string_view id);

// The markup for a ribbon; empty for every ribbon but kExplorerRibbonId.
String CustomUI(std::u16string_view ribbonId);

// What getLabel and getScreentip answer for a control: its resource string
// without the access-key mark ("&General Payment..." reads "General
// Payment..."), as ribbon labels carry none; empty for ids of no control.
String Label(AddInState& state, std::u16string_view id);
String Screentip(AddInState& state, std::u16string_view id);

// What getImage answers: the control's picture from the resource library, a
// 32 bpp DIB section whose alpha makes its background transparent; nullptr
// for a control without one or without a library.
host::PicturePtr Picture(AddInState& state, std::u16string_view id);

}  // namespace ribbon
}  // namespace ostrel

#include "addin/Ribbon.h"

#include "addin/AddInState.h"
#include "common/Text.h"
#include "resources/ResourceIds.h"
#include "resources/modResource.h"

namespace ostrel::ribbon {

namespace {

constexpr std::u16string_view kMenuId = u"QuarroPopup";

String Attribute(std::u16string_view name, std::u16string_view value) {
  return u" " + String(name) + u"=\"" + String(value) + u"\"";
}

// The callbacks every control of ours answers.
String Callbacks(const Command& command, bool action) {
  String text = Attribute(u"id", command.id) + Attribute(u"getLabel", kGetLabel) +
                Attribute(u"getScreentip", kGetScreentip);
  if (command.picture != 0)
    text += Attribute(u"getImage", kGetImage);
  if (action)
    text += Attribute(u"onAction", kOnAction);
  return text;
}

}  // namespace

std::optional<Callback> CallbackNamed(std::u16string_view name) {
  static constexpr std::pair<std::u16string_view, Callback> kNames[] = {
      {kGetLabel, Callback::Label},
      {kGetScreentip, Callback::Screentip},
      {kGetImage, Callback::Image},
      {kOnAction, Callback::Action},
  };
  for (const auto& [known, callback] : kNames)
    if (SameIgnoringAsciiCase(name, known))
      return callback;
  return std::nullopt;
}

const std::vector<Command>& Commands() {
  using namespace res;
  static const std::vector<Command> commands = {
      {u"QuarroButton", kToolbarFirst, kToolbarFirst + 2, false, kRibbonButtonBitmap},
      {kMenuId, kToolbarFirst + 1, kToolbarFirst + 3, false, 0},
      {u"QuarroGeneral", kMenuFirst, kMenuFirst, false, 0},
      {u"QuarroProduct", kMenuFirst + 1, kMenuFirst + 1, true, 0},
      {u"QuarroService", kMenuFirst + 2, kMenuFirst + 2, false, 0},
      {u"QuarroAuction", kMenuFirst + 3, kMenuFirst + 3, false, 0},
      {u"QuarroDonation", kMenuFirst + 4, kMenuFirst + 4, false, 0},
      {u"QuarroOptions", kMenuFirst + 5, kMenuFirst + 5, true, 0},
      {u"QuarroHelp", kMenuFirst + 6, kMenuFirst + 6, true, kRibbonHelpBitmap},
      {u"QuarroAbout", kMenuFirst + 7, kMenuFirst + 7, true, 0},
      {u"QuarroUpdate", kMenuFirst + 8, kMenuFirst + 8, true, 0},
  };
  return commands;
}

const Command* Find(std::u16string_view id) {
  for (const Command& command : Commands())
    if (command.id == id)
      return &command;
  return nullptr;
}

String CustomUI(std::u16string_view ribbonId) {
  if (ribbonId != kExplorerRibbonId)
    return String();
  const std::vector<Command>& all = Commands();
  String xml = u"<customUI" + Attribute(u"xmlns", kNamespace) +
               u"><ribbon><tabs><tab idMso=\"TabMail\"><group id=\"QuarroGroup\" "
               u"label=\"Quarro\">";
  xml += u"<button" + Callbacks(all[0], true) + u" size=\"large\"/>";
  xml += u"<menu" + Callbacks(all[1], false) + u" size=\"large\">";
  int separators = 0;
  for (std::size_t i = 2; i < all.size(); ++i) {
    if (all[i].separatorBefore && i > 2)
      xml += u"<menuSeparator id=\"QuarroSeparator" + DecimalText(++separators) + u"\"/>";
    xml += u"<button" + Callbacks(all[i], true) + u"/>";
  }
  xml += u"</menu></group></tab></tabs></ribbon></customUI>";
  return xml;
}

String Label(AddInState& state, std::u16string_view id) {
  const Command* command = Find(id);
  return command != nullptr ? WithoutAccessKey(ResString(state, command->label)) : String();
}

String Screentip(AddInState& state, std::u16string_view id) {
  const Command* command = Find(id);
  return command != nullptr ? WithoutAccessKey(ResString(state, command->screentip)) : String();
}

host::PicturePtr Picture(AddInState& state, std::u16string_view id) {
  const Command* command = Find(id);
  if (command == nullptr || command->picture == 0)
    return nullptr;
  // As a DIB section: a bitmap compatible with the screen would lose the
  // alpha (LoadImage, LR_CREATEDIBSECTION).
  const host::BitmapHandle bitmap =
      ResBitmap(state, DecimalText(command->picture), host::kLrCreateDibSection);
  return host::IsNone(bitmap) ? nullptr : BitmapToPicture(state.platform, bitmap);
}

}  // namespace ostrel::ribbon

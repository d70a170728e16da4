#include "addin/modCommandBars.h"

#include "addin/Steps.h"

namespace ostrel {

namespace office = host::office;

String ActionString(const String& progId) {
  return u"!<" + progId + u">";
}

std::shared_ptr<office::CommandBarControl> AddCommandBarButton(
    const String& progId, office::CommandBar* bar, const String& caption, const String& tag,
    const String& tooltip, std::int16_t faceId, bool beginGroup, std::int16_t style,
    bool temporary) {
  // Without a bar every step fails.
  if (bar == nullptr)
    return nullptr;
  std::shared_ptr<office::CommandBarControl> control;
  SkipOnFailure([&] { control = bar->FindControl(tag); });
  if (control)
    return control;

  SkipOnFailure([&] { control = bar->AddControl(office::msoControlButton, tag, temporary); });
  if (!control)
    return nullptr;
  auto* button = dynamic_cast<office::CommandBarButton*>(control.get());
  SkipOnFailure([&] { control->SetCaption(caption); });
  SkipOnFailure([&] { control->SetTag(tag); });
  if (style != office::msoButtonCaption && button != nullptr)
    SkipOnFailure([&] { button->SetFaceId(faceId); });
  if (button != nullptr)
    SkipOnFailure([&] { button->SetStyle(style); });
  SkipOnFailure([&] { control->SetTooltipText(tooltip); });
  SkipOnFailure([&] { control->SetBeginGroup(beginGroup); });
  SkipOnFailure([&] { control->SetOnAction(ActionString(progId)); });
  return control;
}

}  // namespace ostrel

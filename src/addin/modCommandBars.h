// Adding the add-in's commands to an Office command bar.
#pragma once

#include <cstdint>
#include <memory>

#include "host/Office.h"
#include "host/String.h"

namespace ostrel {

// The action string of a COM add-in's control: "!<" + ProgID + ">", the form
// Office documents for OnAction of a control that belongs to a COM add-in
// (Office VBA reference, CommandBarControl.OnAction property). Clicking such a
// control makes Office load the add-in if it is not loaded.
String ActionString(const String& progId);

// Finds the bar's control with the tag, or adds a button with the given
// properties. A control that exists is returned unchanged. Every failing step is
// skipped; nullptr when there is neither a control nor a new button.
std::shared_ptr<host::office::CommandBarControl> AddCommandBarButton(
    const String& progId, host::office::CommandBar* bar, const String& caption, const String& tag,
    const String& tooltip, std::int16_t faceId, bool beginGroup, std::int16_t style,
    bool temporary);

}  // namespace ostrel

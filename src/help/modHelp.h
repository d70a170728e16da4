// The add-in's help file, opened in the HTML Help viewer.
#pragma once

#include "host/Platform.h"
#include "host/String.h"

namespace ostrel {

// The help file's table of contents.
void ShowHelpContents(host::Platform& platform, const String& helpFile);
// One topic of the help file, named by its file name inside it ("3.htm").
void ShowHelpTopic(host::Platform& platform, const String& helpFile, const String& topic);

}  // namespace ostrel

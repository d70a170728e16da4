#include "help/modHelp.h"

namespace ostrel {

void ShowHelpContents(host::Platform& platform, const String& helpFile) {
  // The contents command is given the text "0" as its data, as the add-in has
  // always passed it; the viewer ignores it for HH_DISPLAY_TOC.
  platform.help.HtmlHelp(host::WindowHandle::None, helpFile, host::kHhDisplayToc, u"0");
}

void ShowHelpTopic(host::Platform& platform, const String& helpFile, const String& topic) {
  platform.help.HtmlHelp(host::WindowHandle::None, helpFile, host::kHhDisplayTopic, topic);
}

}  // namespace ostrel

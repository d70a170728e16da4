// The HTML Help viewer (HtmlHelpW of hhctrl.ocx).
#pragma once

#include <cstdint>

#include "host/Handles.h"
#include "host/String.h"

namespace ostrel::host {

inline constexpr std::uint32_t kHhDisplayTopic = 0;
inline constexpr std::uint32_t kHhDisplayToc = 1;

class HelpViewer {
 public:
  virtual ~HelpViewer() = default;

  // HtmlHelpW with the data argument as text. Returns the viewer's window
  // (None when it could not be shown). Throws HostError when the viewer itself
  // cannot be loaded.
  virtual WindowHandle HtmlHelp(WindowHandle owner, const String& file, std::uint32_t command,
                                const String& data) = 0;
};

}  // namespace ostrel::host

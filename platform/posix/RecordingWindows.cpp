#include "posix/RecordingWindows.h"

namespace ostrel::posix {

std::intptr_t RecordingWindows::SendMessage(host::WindowHandle window, std::uint32_t message,
                                            std::uintptr_t wParam, std::intptr_t lParam) {
  messages_.push_back({window, message, wParam, lParam});
  if (message != host::kWmSetIcon || host::IsNone(window))
    return 0;
  if (wParam != host::kIconBig && wParam != kIconSmall)
    return 0;
  Icons& icons = icons_[window];
  host::IconHandle& slot = wParam == host::kIconBig ? icons.big : icons.small;
  const host::IconHandle previous = slot;
  slot = static_cast<host::IconHandle>(static_cast<std::uintptr_t>(lParam));
  return static_cast<std::intptr_t>(previous);
}

int RecordingWindows::GetSystemMetrics(int index) {
  if (index == host::kSmCxScreen)
    return screenWidth_;
  if (index == host::kSmCyScreen)
    return screenHeight_;
  return 0;
}

host::IconHandle RecordingWindows::BigIcon(host::WindowHandle window) const {
  const auto found = icons_.find(window);
  return found == icons_.end() ? host::IconHandle::None : found->second.big;
}

host::IconHandle RecordingWindows::SmallIcon(host::WindowHandle window) const {
  const auto found = icons_.find(window);
  return found == icons_.end() ? host::IconHandle::None : found->second.small;
}

}  // namespace ostrel::posix

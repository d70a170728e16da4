// Windows of the stand-in: there is no window system, so SendMessage is
// recorded, and the one message the system relies on, WM_SETICON, is kept.
#pragma once

#include <map>
#include <vector>

#include "host/Window.h"

namespace ostrel::posix {

inline constexpr std::uintptr_t kIconSmall = 0;

struct SentMessage {
  host::WindowHandle window = host::WindowHandle::None;
  std::uint32_t message = 0;
  std::uintptr_t wParam = 0;
  std::intptr_t lParam = 0;
  bool operator==(const SentMessage&) const = default;
};

class RecordingWindows final : public host::Windows {
 public:
  // Every message is recorded. WM_SETICON (ICON_BIG or ICON_SMALL) sets the
  // window's icon and returns the previous one; other messages return 0. A
  // message to no window is recorded and does nothing.
  std::intptr_t SendMessage(host::WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override;

  // The screen's width and height in pixels (SM_CXSCREEN, SM_CYSCREEN); 0 for
  // every other index, as Windows answers one it does not know.
  int GetSystemMetrics(int index) override;
  // There is no message queue here: the call is counted and returns.
  void ProcessPendingMessages() override { ++pumped_; }
  int PumpCount() const { return pumped_; }
  void SetScreenSize(int width, int height) {
    screenWidth_ = width;
    screenHeight_ = height;
  }

  const std::vector<SentMessage>& Messages() const { return messages_; }
  host::IconHandle BigIcon(host::WindowHandle window) const;
  host::IconHandle SmallIcon(host::WindowHandle window) const;

 private:
  struct Icons {
    host::IconHandle big = host::IconHandle::None;
    host::IconHandle small = host::IconHandle::None;
  };
  std::vector<SentMessage> messages_;
  std::map<host::WindowHandle, Icons> icons_;
  int screenWidth_ = 1920;
  int screenHeight_ = 1080;
  int pumped_ = 0;
};

}  // namespace ostrel::posix

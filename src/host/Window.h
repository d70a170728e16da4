// Messages to windows (SendMessageA).
#pragma once

#include <cstdint>

#include "host/Handles.h"

namespace ostrel::host {

inline constexpr std::uint32_t kWmSetIcon = 0x0080;
inline constexpr std::uintptr_t kIconBig = 1;
inline constexpr int kSmCxScreen = 0;
inline constexpr int kSmCyScreen = 1;
// Twips per pixel at the usual 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

class Windows {
 public:
  virtual ~Windows() = default;
  virtual std::intptr_t SendMessage(WindowHandle window, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam) = 0;
  // GetSystemMetrics (kSmCxScreen, kSmCyScreen: the screen's size in pixels).
  virtual int GetSystemMetrics(int index) = 0;
  // Lets the window system deliver the messages that are waiting (DoEvents),
  // then returns.
  virtual void ProcessPendingMessages() = 0;
};

}  // namespace ostrel::host

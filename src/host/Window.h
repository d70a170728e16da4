// Messages to windows (SendMessageA).
#pragma once

#include <cstdint>

#include "host/Handles.h"

namespace ostrel::host {

inline constexpr std::uint32_t kWmSetIcon = 0x0080;
inline constexpr std::uintptr_t kIconBig = 1;

class Windows {
 public:
  virtual ~Windows() = default;
  virtual std::intptr_t SendMessage(WindowHandle window, std::uint32_t message,
                                    std::uintptr_t wParam, std::intptr_t lParam) = 0;
};

}  // namespace ostrel::host

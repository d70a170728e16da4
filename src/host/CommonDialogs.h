// Message boxes (MessageBoxA) and the common file-open dialog (GetOpenFileNameA).
#pragma once

#include <cstdint>

#include "host/Handles.h"
#include "host/String.h"

namespace ostrel::host {

inline constexpr std::uint32_t kMbOk = 0x0000;
inline constexpr std::uint32_t kMbIconError = 0x0010;
inline constexpr int kIdOk = 1;

// OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST.
inline constexpr std::uint32_t kOfnLoadTemplate = 0x180C;

struct OpenFileRequest {
  WindowHandle owner = WindowHandle::None;
  String title;
  String initialDir;
  std::uint32_t flags = 0;
};

class CommonDialogs {
 public:
  virtual ~CommonDialogs() = default;

  // Shows a message box and returns the button that closed it (kIdOk for OK).
  virtual int MessageBox(WindowHandle owner, const String& text, const String& caption,
                         std::uint32_t type) = 0;

  // Shows the file-open dialog; the chosen file's full path, "" when cancelled.
  virtual String GetOpenFileName(const OpenFileRequest& request) = 0;
};

}  // namespace ostrel::host

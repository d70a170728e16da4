// The system clipboard: the clipboard object the dialogs use (clear, set a
// picture) and the raw clipboard functions with global memory blocks.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "host/Handles.h"
#include "host/Picture.h"
#include "host/String.h"

namespace ostrel::host {

inline constexpr std::uint32_t kCfDib = 8;
// GMEM_MOVEABLE | GMEM_DDESHARE
inline constexpr std::uint32_t kGmemMoveableShare = 0x2002;

class Clipboard {
 public:
  virtual ~Clipboard() = default;

  // The clipboard object: empties the clipboard.
  virtual void Clear() = 0;
  // The clipboard object: puts the picture's bitmap on the clipboard in `format`
  // (CF_DIB: as a packed device-independent bitmap). Throws HostError on failure.
  virtual void SetPicture(const Picture& picture, std::uint32_t format) = 0;

  virtual bool Open(WindowHandle owner) = 0;
  virtual bool Close() = 0;
  virtual std::uint32_t RegisterFormat(const AnsiString& name) = 0;
  // GetClipboardData, with the global block's bytes copied out (GlobalLock,
  // GlobalSize). Only while the clipboard is open.
  virtual std::optional<std::vector<std::uint8_t>> GetData(std::uint32_t format) = 0;
  // EnumClipboardFormats: the formats the clipboard holds, in its order. Only
  // while the clipboard is open.
  virtual std::vector<std::uint32_t> EnumFormats() = 0;
  // GlobalAlloc(flags, size of block), copy the bytes in, SetClipboardData. When
  // placing fails the block is freed again and false is returned.
  virtual bool SetData(std::uint32_t format, std::uint32_t allocFlags,
                       const std::vector<std::uint8_t>& block) = 0;
};

}  // namespace ostrel::host

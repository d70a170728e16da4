// The clipboard of the stand-in: one in-memory clipboard for this platform,
// with the Win32 rules of opening it and registering formats.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "host/Clipboard.h"
#include "host/ErrorNumbers.h"

namespace ostrel::posix {

class GdiObjects;

// The errors the clipboard object raises (its Visual Basic numbers).
inline constexpr long kErrorCannotOpenClipboard = host::errors::kCannotOpenClipboard;
inline constexpr long kErrorInvalidClipboardFormat = host::errors::kInvalidClipboardFormat;
inline constexpr long kErrorInvalidPicture = host::errors::kInvalidPicture;

// The first id RegisterClipboardFormat hands out.
inline constexpr std::uint32_t kFirstRegisteredFormat = 0xC000;

class MemoryClipboard final : public host::Clipboard {
 public:
  explicit MemoryClipboard(GdiObjects& objects) : objects_(objects) {}

  // The clipboard object opens the clipboard for the call, so both throw
  // HostError(521) while it is held open. SetPicture knows CF_DIB only (460
  // otherwise) and needs a picture of a live bitmap (481 otherwise); it
  // replaces that format and leaves the others.
  void Clear() override;
  void SetPicture(const host::Picture& picture, std::uint32_t format) override;

  // Open fails while the clipboard is open; Close fails when it is not.
  bool Open(host::WindowHandle owner) override;
  bool Close() override;
  // The same name (without regard to case) gives the same id, from 0xC000 on;
  // an empty name gives 0, as Windows refuses it.
  std::uint32_t RegisterFormat(const AnsiString& name) override;
  std::optional<std::vector<std::uint8_t>> GetData(std::uint32_t format) override;
  std::vector<std::uint32_t> EnumFormats() override;
  bool SetData(std::uint32_t format, std::uint32_t allocFlags,
               const std::vector<std::uint8_t>& block) override;

  // For tests: what the clipboard holds, whether or not it is open.
  bool IsOpen() const { return open_; }
  std::vector<std::uint32_t> Formats() const;
  std::optional<std::vector<std::uint8_t>> Contents(std::uint32_t format) const;
  // The id of a registered name, 0 when it was never registered.
  std::uint32_t FormatId(const AnsiString& name) const;

 private:
  GdiObjects& objects_;
  bool open_ = false;
  std::map<std::uint32_t, std::vector<std::uint8_t>> data_;
  std::map<AnsiString, std::uint32_t> registered_;  // upper-cased name to id
};

}  // namespace ostrel::posix

// Owned Windows resources: one template that closes what it holds exactly
// once, with a traits class for each kind of resource (the shape of LLVM's
// ScopedHandle). A resource handed on to someone else is Release()d first.
#pragma once

#include <utility>

#include "win32/WindowsHeaders.h"

namespace ostrel::win32 {

template <typename Traits>
class Owned {
 public:
  using Handle = typename Traits::Handle;

  Owned() = default;
  explicit Owned(Handle handle) : handle_(handle) {}
  ~Owned() { Reset(); }
  Owned(Owned&& other) noexcept : handle_(other.Release()) {}
  Owned& operator=(Owned&& other) noexcept {
    if (this != &other)
      Reset(other.Release());
    return *this;
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return Traits::IsValid(handle_); }

  // Gives the resource up without closing it.
  Handle Release() { return std::exchange(handle_, Traits::Invalid()); }
  // Closes what is held, then holds `handle`.
  void Reset(Handle handle = Traits::Invalid()) {
    if (Traits::IsValid(handle_))
      Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// A resource whose "none" is NULL, given back by one function.
template <typename Resource, auto CloseFunction>
struct NullTraits {
  using Handle = Resource;
  static Handle Invalid() { return nullptr; }
  static bool IsValid(Handle handle) { return handle != nullptr; }
  static void Close(Handle handle) { CloseFunction(handle); }
};

// A kernel object: a process, a thread.
using KernelTraits = NullTraits<HANDLE, &::CloseHandle>;
// A GDI object: a font, a bitmap, a palette.
template <typename Object>
using GdiTraits = NullTraits<Object, &::DeleteObject>;
// A memory device context (CreateCompatibleDC).
using MemoryDcTraits = NullTraits<HDC, &::DeleteDC>;
// An open registry key.
using RegKeyTraits = NullTraits<HKEY, &::RegCloseKey>;
// A loaded module (LoadLibraryExW).
using ModuleTraits = NullTraits<HMODULE, &::FreeLibrary>;

// A file, whose "none" is INVALID_HANDLE_VALUE (CreateFileW).
struct FileTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Handle handle) { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
  static void Close(Handle handle) { ::CloseHandle(handle); }
};

// The clipboard, opened by this thread (OpenClipboard succeeded).
struct ClipboardTraits {
  using Handle = bool;
  static Handle Invalid() { return false; }
  static bool IsValid(Handle open) { return open; }
  static void Close(Handle) { ::CloseClipboard(); }
};

using OwnedFile = Owned<FileTraits>;
using OwnedKernelObject = Owned<KernelTraits>;
using OwnedFont = Owned<GdiTraits<HFONT>>;
using OwnedBitmap = Owned<GdiTraits<HBITMAP>>;
using OwnedMemoryDc = Owned<MemoryDcTraits>;
using OwnedRegKey = Owned<RegKeyTraits>;
using OwnedModule = Owned<ModuleTraits>;
using OpenClipboardScope = Owned<ClipboardTraits>;

}  // namespace ostrel::win32

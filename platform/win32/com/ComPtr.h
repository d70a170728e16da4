// One owner of one COM reference. Attach takes over a reference the caller
// already owns (an out parameter's); Copy adds one of its own.
#pragma once

#include <cstddef>
#include <utility>

#include "win32/WindowsHeaders.h"

namespace ostrel::win32::com {

template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(std::nullptr_t) {}
  ComPtr(const ComPtr& other) : p_(other.p_) {
    if (p_ != nullptr)
      p_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ~ComPtr() { Reset(); }
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }

  static ComPtr Attach(T* p) {
    ComPtr owned;
    owned.p_ = p;
    return owned;
  }
  static ComPtr Copy(T* p) {
    if (p != nullptr)
      p->AddRef();
    return Attach(p);
  }

  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Releases the reference held and hands out the slot for an out parameter.
  T** Out() {
    Reset();
    return &p_;
  }
  void** OutVoid() { return reinterpret_cast<void**>(Out()); }
  // Gives up the reference without releasing it.
  T* Detach() { return std::exchange(p_, nullptr); }
  void Reset() {
    if (T* p = std::exchange(p_, nullptr))
      p->Release();
  }

  // QueryInterface into another pointer; E_POINTER when this one is empty.
  template <typename U>
  HRESULT As(REFIID iid, ComPtr<U>* out) const {
    if (p_ == nullptr) {
      out->Reset();
      return E_POINTER;
    }
    return p_->QueryInterface(iid, out->OutVoid());
  }

 private:
  T* p_ = nullptr;
};

}  // namespace ostrel::win32::com

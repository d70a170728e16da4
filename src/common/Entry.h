// One call from outside into the add-in: a window or dialog procedure, the
// keyboard hook, an event of Outlook's, a method of the COM object. Such calls
// nest (a message box runs a message loop of its own, and Outlook's window can
// be closed from inside it), so a call below may tear down what a call above
// still uses. While any entry runs on the thread, what is torn down is kept
// and released only when the outermost entry returns.
#pragma once

#include <functional>
#include <memory>

namespace ostrel {

class Entry {
 public:
  Entry() noexcept;
  ~Entry();
  Entry(const Entry&) = delete;
  Entry& operator=(const Entry&) = delete;

  // Whether an entry runs on this thread.
  static bool Inside() noexcept;
  // Runs `release` when the outermost entry of this thread returns; at once
  // when none runs.
  static void AfterOutermost(std::function<void()> release);
  // Deletes the object when the outermost entry returns (at once outside any).
  template <typename T>
  static void Retire(std::unique_ptr<T> object) {
    if (!object)
      return;
    if (!Inside())
      return object.reset();
    AfterOutermost([held = std::shared_ptr<T>(std::move(object))]() mutable { held.reset(); });
  }
};

// The boundary of an entry: runs `call`; anything it throws stops here and
// `failed` runs instead (which must not throw), so nothing unwinds into
// Windows or Outlook.
template <typename Call, typename Failed>
void Guarded(Call&& call, Failed&& failed) noexcept {
  Entry entry;
  try {
    call();
  } catch (...) {
    try {
      failed();
    } catch (...) {
    }
  }
}

}  // namespace ostrel

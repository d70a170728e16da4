#include "common/Entry.h"

#include <vector>

namespace ostrel {
namespace {

// Everything of the add-in runs on Outlook's user-interface thread; a thread
// of its own keeps its own count.
thread_local int depth = 0;
thread_local std::vector<std::function<void()>>* pending = nullptr;

}  // namespace

Entry::Entry() noexcept {
  ++depth;
}

Entry::~Entry() {
  if (depth > 1) {
    --depth;
    return;
  }
  // Still counted while the releases run: one that enters again defers its
  // own releases to this loop instead of running them inside ours.
  while (pending != nullptr && !pending->empty()) {
    std::vector<std::function<void()>> now;
    now.swap(*pending);
    for (auto& release : now) {
      try {
        release();
      } catch (...) {
      }
    }
  }
  delete pending;
  pending = nullptr;
  --depth;
}

bool Entry::Inside() noexcept {
  return depth > 0;
}

void Entry::AfterOutermost(std::function<void()> release) {
  if (!Inside()) {
    release();
    return;
  }
  if (pending == nullptr)
    pending = new std::vector<std::function<void()>>();
  pending->push_back(std::move(release));
}

}  // namespace ostrel

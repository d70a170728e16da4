// Host-facing code goes on when a step fails: each such step is wrapped in
// SkipOnFailure, so a reader sees which steps may be skipped.
#pragma once

#include <exception>

namespace ostrel {

// Runs one step; a failure of the step (any exception) is swallowed so that the
// next step runs. True when the step completed.
template <typename Step>
bool SkipOnFailure(Step&& step) noexcept {
  try {
    step();
    return true;
  } catch (const std::exception&) {
    return false;
  } catch (...) {
    return false;
  }
}

}  // namespace ostrel

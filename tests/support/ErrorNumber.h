// The number of the host::HostError a call raised, for tables of failures.
#pragma once

#include <functional>

#include "host/HostError.h"

namespace ostrel::test {

inline constexpr long kNoError = 0;

// The HostError number the call raised; kNoError when it returned.
inline long ErrorNumber(const std::function<void()>& call) {
  try {
    call();
  } catch (const host::HostError& error) {
    return error.Number();
  }
  return kNoError;
}

}  // namespace ostrel::test

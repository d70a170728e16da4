// Failures on demand for the stand-in's host operations, so that tests can walk
// the add-in's failure paths through a host that otherwise works.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "host/ErrorNumbers.h"

namespace ostrel::standin {

// The HRESULTs the stand-in raises, as the (negative) numbers a caller sees.
inline constexpr long kEFail = host::errors::kEFail;
inline constexpr long kEInvalidArg = host::errors::kEInvalidArg;
inline constexpr long kEPointer = host::errors::kEPointer;
// RPC_E_DISCONNECTED: a call on an object whose window or bar is gone.
inline constexpr long kEDisconnected = host::errors::kEDisconnected;
// CONNECT_E_NOCONNECTION: Unadvise with a cookie that names no connection.
inline constexpr long kENoConnection = host::errors::kENoConnection;

class Faults {
 public:
  // The names of the operations that may be made to fail.
  explicit Faults(std::initializer_list<std::string_view> operations);

  // Adds names, for objects of the host that come later.
  void AddOperations(std::initializer_list<std::string_view> operations);

  // From now on `operation` raises host::HostError (kEFail) every time, until
  // Clear(). An unknown name is a mistake in the test: std::invalid_argument.
  void FailOn(std::string_view operation);
  void Clear();

  // The names that may be given to FailOn, sorted.
  std::vector<std::string> Operations() const;

  // Raises host::HostError when `operation` was set to fail; otherwise nothing.
  void Check(std::string_view operation) const;

 private:
  std::set<std::string, std::less<>> known_;
  std::set<std::string, std::less<>> failing_;
};

}  // namespace ostrel::standin

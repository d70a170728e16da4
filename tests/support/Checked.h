// Checking helpers whose failures point at the test's own line.
//
// A void helper is called through CHECKED: its failures carry the calling
// line, and a fatal failure inside it (an ASSERT, which only leaves the
// helper) ends the calling test as it would in the test itself:
//   CHECKED(ExpectRegistered(module, folder));
// A helper that returns a value takes the caller's place as its last
// parameter, in the style of Wine's ok_(file, line), and traces it:
//   Bytes ParseOk(const Bytes& file, Where where = Where::current()) {
//     const CalledFrom trace(where);
#pragma once

#include <gtest/gtest.h>

#include <source_location>

namespace ostrel::test {

using Where = std::source_location;

class CalledFrom {
 public:
  explicit CalledFrom(const Where& where)
      : trace_(where.file_name(), static_cast<int>(where.line()), "called from here") {}

 private:
  testing::ScopedTrace trace_;
};

}  // namespace ostrel::test

// Variadic, so that a call with a braced list as an argument passes whole.
#define CHECKED(...)                        \
  do {                                      \
    SCOPED_TRACE(#__VA_ARGS__);             \
    ASSERT_NO_FATAL_FAILURE((__VA_ARGS__)); \
  } while (false)

// The COM objects of this module that are alive, for DllCanUnloadNow: every
// object handed to another component counts itself here while it lives.
#pragma once

#include <atomic>

namespace ostrel::win32::com {

class ObjectCount {
 public:
  static long Live() { return live_.load(); }

 protected:
  ObjectCount() { ++live_; }
  ObjectCount(const ObjectCount&) { ++live_; }
  ~ObjectCount() { --live_; }

 private:
  static inline std::atomic<long> live_{0};
};

}  // namespace ostrel::win32::com

// The error a platform call raises to the calling step when it fails.
#pragma once

#include <stdexcept>
#include <string>

namespace ostrel::host {

class HostError : public std::runtime_error {
 public:
  HostError(long number, const std::string& what) : std::runtime_error(what), number_(number) {}
  long Number() const { return number_; }

 private:
  long number_;
};

}  // namespace ostrel::host

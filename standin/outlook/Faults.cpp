#include "outlook/Faults.h"

#include <stdexcept>

#include "host/HostError.h"

namespace ostrel::standin {

Faults::Faults(std::initializer_list<std::string_view> operations) {
  AddOperations(operations);
}

void Faults::AddOperations(std::initializer_list<std::string_view> operations) {
  for (const std::string_view operation : operations)
    known_.emplace(operation);
}

void Faults::FailOn(std::string_view operation) {
  if (!known_.contains(operation))
    throw std::invalid_argument("no host operation is named \"" + std::string(operation) + "\"");
  failing_.emplace(operation);
}

void Faults::Clear() {
  failing_.clear();
}

std::vector<std::string> Faults::Operations() const {
  return std::vector<std::string>(known_.begin(), known_.end());
}

void Faults::Check(std::string_view operation) const {
  if (failing_.contains(operation))
    throw host::HostError(kEFail, "the stand-in was told to fail " + std::string(operation));
}

}  // namespace ostrel::standin

// The one road between the add-in and its stored settings: read or write one
// named value, each call opening and closing its key.
#pragma once

#include <cstdint>
#include <variant>

#include "host/Platform.h"
#include "host/Registry.h"
#include "host/String.h"

namespace ostrel {

// A stored value as it passes in and out of modRegistry: nothing, text (REG_SZ)
// or a 32-bit number (REG_DWORD).
class RegValue {
 public:
  enum class Kind { None, Text, Number };

  RegValue() = default;
  static RegValue Text(String text) { return RegValue(std::move(text)); }
  static RegValue Number(std::int32_t number) { return RegValue(number); }

  Kind kind() const { return static_cast<Kind>(value_.index()); }
  bool IsNone() const { return kind() == Kind::None; }
  bool IsText() const { return kind() == Kind::Text; }
  bool IsNumber() const { return kind() == Kind::Number; }

  // None reads as "", a number as its decimal digits.
  String AsText() const;
  // The number; None reads as 0. Converting text is the caller's business (the
  // callers differ in how they parse it), so text reads as 0 here too.
  std::int32_t NumberOrZero() const;

  friend bool operator==(const RegValue&, const RegValue&) = default;

 private:
  explicit RegValue(String text) : value_(std::move(text)) {}
  explicit RegValue(std::int32_t number) : value_(number) {}

  std::variant<std::monostate, String, std::int32_t> value_;
};

// Reads one value from the key path under root; None when the key or value is
// missing or of another type than REG_SZ and REG_DWORD. Never throws, never
// creates a key.
RegValue ReadRegValue(host::Platform& platform, host::RegRoot root, const String& keyPath,
                      const String& valueName);

// Writes one value (type REG_SZ or REG_DWORD), creating the key path as needed.
// One leading backslash of the path is dropped. Returns false when the path is
// empty, when a REG_DWORD is asked for text that is no whole 32-bit number, or
// when the registry refused the key or the value.
bool WriteRegValue(host::Platform& platform, host::RegRoot root, const String& keyPath,
                   const String& valueName, const RegValue& value, std::uint32_t valueType);

// Reads one value from an open key. Returns 0, the registry's status when the
// value could not be found or read, or -1 for a value of an unsupported type.
// value is left as it is unless a supported value was read.
long QueryRegValue(host::Platform& platform, host::RegKey key, const String& valueName,
                   RegValue& value);

// Writes one value into an open key and returns the registry's status. Types
// other than REG_SZ and REG_DWORD write nothing and return 0.
long SetRegValue(host::Platform& platform, host::RegKey key, const String& valueName,
                 std::uint32_t valueType, const RegValue& value);

}  // namespace ostrel

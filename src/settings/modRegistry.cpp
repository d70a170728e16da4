#include "settings/modRegistry.h"

#include <cstring>
#include <exception>
#include <optional>
#include <vector>

#include "common/Text.h"

namespace ostrel {
namespace {

// A whole 32-bit number written as text ("  -12 "), or nothing.
std::optional<std::int32_t> WholeNumberFromText(const String& text) {
  const String trimmed = TrimSpaces(text);
  std::size_t i = 0;
  bool negative = false;
  if (i < trimmed.size() && (trimmed[i] == u'-' || trimmed[i] == u'+')) {
    negative = trimmed[i] == u'-';
    ++i;
  }
  if (i == trimmed.size())
    return std::nullopt;
  std::int64_t magnitude = 0;
  for (; i < trimmed.size(); ++i) {
    if (trimmed[i] < u'0' || trimmed[i] > u'9')
      return std::nullopt;
    magnitude = magnitude * 10 + (trimmed[i] - u'0');
    if (magnitude > 2147483648LL)
      return std::nullopt;
  }
  const std::int64_t number = negative ? -magnitude : magnitude;
  if (number > INT32_MAX || number < INT32_MIN)
    return std::nullopt;
  return static_cast<std::int32_t>(number);
}

}  // namespace

String RegValue::AsText() const {
  switch (kind()) {
    case Kind::Text:
      return std::get<String>(value_);
    case Kind::Number:
      return DecimalText(std::get<std::int32_t>(value_));
    case Kind::None:
      break;
  }
  return String();
}

std::int32_t RegValue::NumberOrZero() const {
  return IsNumber() ? std::get<std::int32_t>(value_) : 0;
}

long QueryRegValue(host::Platform& platform, host::RegKey key, const String& valueName,
                   RegValue& value) {
  const String& name = valueName;
  std::uint32_t type = host::kRegNone;
  std::uint32_t size = 0;
  long status = platform.registry.QueryValue(key, name, &type, nullptr, &size);
  if (status != host::kErrorSuccess)
    return status;

  switch (type) {
    case host::kRegSz: {
      std::vector<std::uint8_t> buffer(size, 0);
      std::uint32_t read = size;
      // A zero-sized buffer still counts as a buffer: pass a valid pointer.
      std::uint8_t empty = 0;
      status = platform.registry.QueryValue(key, name, &type,
                                            buffer.empty() ? &empty : buffer.data(), &read);
      if (status == host::kErrorSuccess) {
        if (read > buffer.size())
          read = static_cast<std::uint32_t>(buffer.size());
        value = RegValue::Text(FromUtf16Le(std::span(buffer.data(), read)));
      }
      return status;
    }
    case host::kRegDword: {
      std::uint8_t bytes[4] = {};
      std::uint32_t read = sizeof bytes;
      status = platform.registry.QueryValue(key, name, &type, bytes, &read);
      if (status == host::kErrorSuccess && read == sizeof bytes) {
        const std::uint32_t number = static_cast<std::uint32_t>(bytes[0]) |
                                     (static_cast<std::uint32_t>(bytes[1]) << 8) |
                                     (static_cast<std::uint32_t>(bytes[2]) << 16) |
                                     (static_cast<std::uint32_t>(bytes[3]) << 24);
        value = RegValue::Number(static_cast<std::int32_t>(number));
      }
      return status;
    }
    default:
      return -1;
  }
}

long SetRegValue(host::Platform& platform, host::RegKey key, const String& valueName,
                 std::uint32_t valueType, const RegValue& value) {
  const String& name = valueName;
  if (valueType == host::kRegSz) {
    // UTF-16, so that every character the user typed is kept, with its
    // terminating null, as Windows documents REG_SZ data ("the string must be
    // null-terminated", RegSetValueEx): without it, regedit's and reg.exe's
    // exports and backup tools cut the last character. Reading drops the one
    // null again.
    const std::vector<std::uint8_t> data = ToUtf16Le(value.AsText() + u'\0');
    return platform.registry.SetValue(key, name, host::kRegSz, data.data(),
                                      static_cast<std::uint32_t>(data.size()));
  }
  if (valueType == host::kRegDword) {
    std::int32_t number = value.NumberOrZero();
    if (value.IsText()) {
      const auto parsed = WholeNumberFromText(value.AsText());
      if (!parsed)
        return host::kErrorInvalidParameter;
      number = *parsed;
    }
    const auto bits = static_cast<std::uint32_t>(number);
    const std::uint8_t bytes[4] = {
        static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
        static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
    return platform.registry.SetValue(key, name, host::kRegDword, bytes, sizeof bytes);
  }
  return host::kErrorSuccess;
}

bool WriteRegValue(host::Platform& platform, host::RegRoot root, const String& keyPath,
                   const String& valueName, const RegValue& value, std::uint32_t valueType) {
  String path = keyPath;
  if (!path.empty() && path.front() == u'\\') {
    path.erase(0, 1);
  } else if (path.empty()) {
    return false;
  }
  host::RegKey key = host::RegKey::None;
  const long created = platform.registry.CreateKey(root, path, &key);
  if (created != host::kErrorSuccess || host::IsNone(key))
    return false;
  const long status = SetRegValue(platform, key, valueName, valueType, value);
  platform.registry.CloseKey(key);
  return status == host::kErrorSuccess;
}

RegValue ReadRegValue(host::Platform& platform, host::RegRoot root, const String& keyPath,
                      const String& valueName) {
  host::RegKey key = host::RegKey::None;
  try {
    platform.registry.OpenKey(root, keyPath, &key);
    RegValue value;
    QueryRegValue(platform, key, valueName, value);
    if (value.IsText()) {
      String text = value.AsText();
      // Text stored with its terminating NUL reads like text stored without.
      if (!text.empty() && text.back() == u'\0') {
        text.pop_back();
        value = RegValue::Text(std::move(text));
      }
    }
    platform.registry.CloseKey(key);
    return value;
  } catch (const std::exception&) {
    if (!host::IsNone(key))
      platform.registry.CloseKey(key);
    return RegValue::Text(String());
  }
}

}  // namespace ostrel

// Who the add-in is to COM and to Outlook: the server file, the type library, the
// classes and interfaces with their identifiers, and the values of the add-in's
// entry in Outlook's add-in list. Every GUID, ProgID and registered name of the
// server is spelled here and nowhere else; the names of the registry keys and
// values that hold them are in settings/SettingsLayout.h.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ostrel::identity {

// A GUID in its binary layout (Data1 to Data4 of the Windows structure).
struct Guid {
  std::uint32_t data1 = 0;
  std::uint16_t data2 = 0;
  std::uint16_t data3 = 0;
  std::array<std::uint8_t, 8> data4{};
  friend constexpr bool operator==(const Guid&, const Guid&) = default;
};

// The registry form of a GUID, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with hex
// digits in either case; nothing for any other text (as CLSIDFromString refuses it).
constexpr std::optional<Guid> ParseGuid(std::u16string_view text) {
  constexpr std::size_t kLength = 38;
  if (text.size() != kLength || text.front() != u'{' || text.back() != u'}')
    return std::nullopt;
  std::array<std::uint8_t, 16> bytes{};
  std::size_t at = 1;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (at == 9 || at == 14 || at == 19 || at == 24) {
      if (text[at] != u'-')
        return std::nullopt;
      ++at;
    }
    int byte = 0;
    for (int half = 0; half < 2; ++half, ++at) {
      const char16_t c = text[at];
      int digit = -1;
      if (c >= u'0' && c <= u'9')
        digit = c - u'0';
      if (c >= u'a' && c <= u'f')
        digit = c - u'a' + 10;
      if (c >= u'A' && c <= u'F')
        digit = c - u'A' + 10;
      if (digit < 0)
        return std::nullopt;
      byte = byte * 16 + digit;
    }
    bytes[i] = static_cast<std::uint8_t>(byte);
  }
  Guid guid;
  for (std::size_t i = 0; i < 4; ++i)
    guid.data1 = (guid.data1 << 8) | bytes[i];
  guid.data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
  guid.data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
  for (std::size_t i = 0; i < 8; ++i)
    guid.data4[i] = bytes[8 + i];
  return guid;
}

// A class, interface or library identifier: its registry form and its value.
struct ComId {
  std::u16string_view text;
  Guid guid;
};

// Only well-formed identifiers compile: a typo stops the build.
consteval ComId MakeComId(std::u16string_view text) {
  const std::optional<Guid> guid = ParseGuid(text);
  if (!guid)
    throw "not a GUID in registry form";
  return ComId{text, *guid};
}

// The server file, self-registering.
inline constexpr std::u16string_view kServerFile = u"Ostrel.dll";

// The type library.
inline constexpr ComId kLibId = MakeComId(u"{32AA17C1-0EFF-4C30-B429-274AF7BEE9A7}");
inline constexpr std::u16string_view kTypeLibName = u"Ostrel";
inline constexpr std::u16string_view kTypeLibHelpString = u"Quarro Velloran";
inline constexpr std::u16string_view kTypeLibHelpFile = u"Ostrel.chm";
inline constexpr std::uint16_t kTypeLibMajor = 1;
inline constexpr std::uint16_t kTypeLibMinor = 0;
// The version as the TypeLib keys spell it: major "." minor, in hex.
inline constexpr std::u16string_view kTypeLibVersion = u"1.0";
// LIBFLAGS in decimal: neither restricted, hidden nor a control library.
inline constexpr std::u16string_view kTypeLibFlags = u"0";

// The creatable class Connect.
inline constexpr ComId kClsidConnect = MakeComId(u"{B26BE756-F8E4-4F47-A2FF-A7DE88DC783B}");
inline constexpr std::u16string_view kProgId = u"Ostrel.Connect";
// The text COM tools show for the class and its ProgID.
inline constexpr std::u16string_view kConnectDescription = u"Ostrel.Connect";
inline constexpr std::u16string_view kThreadingModel = u"Apartment";
inline constexpr ComId kIidConnect = MakeComId(u"{82068AB3-49EE-4681-A3C3-50E92935289B}");
inline constexpr std::u16string_view kConnectInterfaceName = u"_Connect";

// The class AddIn: made only inside the server, so it has no CLSID or ProgID
// entries; its default interface is registered for marshaling like Connect's.
inline constexpr ComId kClsidAddIn = MakeComId(u"{64FBCF84-5221-4753-B3AA-251EA11ACEF2}");
inline constexpr ComId kIidAddIn = MakeComId(u"{0C629F79-0B0A-4B68-93F7-509740C80381}");
inline constexpr std::u16string_view kAddInInterfaceName = u"_AddIn";

// The universal marshaler (PSOAInterface), the proxy of every interface described
// by a registered type library.
inline constexpr ComId kUniversalMarshaler = MakeComId(u"{00020424-0000-0000-C000-000000000046}");

// The add-in's entry in Outlook's add-in list, a key named by the ProgID.
inline constexpr std::u16string_view kOutlookFriendlyName = u"Quarro Ambrel";
inline constexpr std::u16string_view kOutlookDescription = u"Quarro Ambrel for Outlook";
// Loaded now, and again at every start of Outlook.
inline constexpr std::int32_t kOutlookLoadBehavior = 3;

}  // namespace ostrel::identity

// Outlook's list of COM add-ins for the current user, read as Outlook reads it
// at start-up, through the registry service: both stand-ins load the add-ins
// it names.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "host/Platform.h"
#include "host/String.h"

namespace ostrel::standin {

// Outlook loads an add-in at start-up when its LoadBehavior is this.
inline constexpr std::int32_t kLoadAtStartup = 3;

struct RegisteredAddIn {
  String progId;
  // The entry's LoadBehavior; nothing when missing or not a REG_DWORD.
  std::optional<std::int32_t> loadBehavior;
  // The ProgID's class ("{...}"), and that class's in-process server file;
  // nothing where COM would find nothing.
  std::optional<String> clsid;
  std::optional<String> server;
};

// Every subkey of HKEY_CURRENT_USER\Software\Microsoft\Office\Outlook\Addins,
// in the registry's order, with its class and server found the way COM finds
// them (ProgID, CLSID, InprocServer32; the user's classes first, then the
// machine's). Empty when the key is missing or cannot be read.
std::vector<RegisteredAddIn> ReadAddInList(host::Platform& platform);

}  // namespace ostrel::standin

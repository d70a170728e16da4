// The server's self-registration: its per-user COM entries (the class Connect,
// its ProgID, the type library and the two interfaces) and its entry in
// Outlook's add-in list, written and removed through the registry service.
#pragma once

#include <optional>

#include "host/Platform.h"
#include "host/String.h"

namespace ostrel {

// Registers the server whose file is modulePath for the current user, below
// HKEY_CURRENT_USER\Software\Classes, then adds it to Outlook's add-in list.
// Writing over an earlier registration is fine. When a write is refused, every
// value and key it already wrote is put back as it was and the result is false;
// so it is for a path that is empty or that the ANSI code page cannot spell (the
// registry would store a different file name).
bool RegisterServer(host::Platform& platform, const String& modulePath);

// What CompleteRegistration did.
struct RegistrationCompletion {
  int written = 0;  // values that were missing and are there now
  int total = 0;    // values of a whole registration
  bool refused = false;
};

// Writes those of RegisterServer's values that are missing, in the same order
// (Outlook's entry last), and leaves every value that is there as it is, the
// user's own included (a LoadBehavior switched off stays off): a registration
// cut short by a process killed half-way is completed. When a write is
// refused, what this call wrote is taken back and `refused` is set.
RegistrationCompletion CompleteRegistration(host::Platform& platform, const String& modulePath);

// Removes the keys RegisterServer writes, and nothing else: the class, the ProgID,
// the whole type library, the two interfaces and the add-in's entry in Outlook's
// list. Keys already missing are fine; false when the registry refuses a delete
// (the other keys are still removed). When the class is registered for another
// file than modulePath (a copy registered later from elsewhere), nothing is
// removed: that registration is the other copy's.
bool UnregisterServer(host::Platform& platform, const String& modulePath);

// The file of the in-process server registered for progId, found as COM finds
// it: ProgID, then its CLSID, then that class's InprocServer32, each looked up
// under HKEY_CURRENT_USER\Software\Classes and, when missing there, under
// HKEY_LOCAL_MACHINE\Software\Classes. Nothing when a step finds nothing or the
// stored CLSID is not one.
std::optional<String> InprocServerOf(host::Platform& platform, const String& progId);

// Its two steps: the class of a ProgID ("{...}", as stored), and the server
// file of a class.
std::optional<String> ClassOfProgId(host::Platform& platform, const String& progId);
std::optional<String> InprocServerOfClass(host::Platform& platform, const String& clsid);

}  // namespace ostrel

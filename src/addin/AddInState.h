// The add-in-wide values: one instance per loaded add-in, shared by the modules
// and dialogs of that add-in. Nothing else in the system is global.
#pragma once

#include <array>
#include <cstdint>

#include "host/Handles.h"
#include "host/Platform.h"
#include "host/String.h"

namespace ostrel {

struct AddInState {
  AddInState(host::Platform& platformServices, String folder)
      : platform(platformServices), addinFolder(std::move(folder)) {}

  host::Platform& platform;

  // The folder of the add-in's module, without a trailing separator.
  String addinFolder;

  // The loaded satellite resource library, None when there is none.
  host::ModuleHandle hResourceLibrary = host::ModuleHandle::None;

  std::int32_t PaymentRequestType = 0;
  bool WizardReady = false;

  // Loaded from the resource library at connection; empty until then.
  String appTitle;
  String messageFooter;
  std::array<String, 3> messageTable;  // 1 account, 2 amount, 3 stored settings missing
};

}  // namespace ostrel

// Every platform service the system uses, bundled. Each build makes one of these
// (platform/posix or platform/win32); tests may swap single services for fakes.
#pragma once

#include "host/AnsiText.h"
#include "host/Clipboard.h"
#include "host/CommonDialogs.h"
#include "host/FileSystem.h"
#include "host/Gdi.h"
#include "host/HelpViewer.h"
#include "host/Locale.h"
#include "host/Picture.h"
#include "host/Registry.h"
#include "host/ResourceModule.h"
#include "host/Shell.h"
#include "host/Window.h"
#include "host/ui/DialogView.h"

namespace ostrel::host {

struct Platform {
  AnsiCodePage& ansi;
  Registry& registry;
  Locale& locale;
  ResourceLoader& resources;
  Gdi& gdi;
  Ole& ole;
  Clipboard& clipboard;
  Windows& windows;
  FileSystem& files;
  Shell& shell;
  HelpViewer& help;
  CommonDialogs& dialogs;
  // Shows the add-in's dialogs: real windows in the Windows add-in, none in the
  // builds and tests that only drive the dialog model.
  ui::DialogView& views = ui::HeadlessView();
};

}  // namespace ostrel::host

// The session's first seam: how an add-in of Outlook's list is loaded and
// connected. The Linux stand-in loads the add-in's shared library itself; the
// Windows one creates the registered class through COM.
#pragma once

#include <memory>
#include <stdexcept>

#include "host/Office.h"
#include "outlook/AddInList.h"

namespace ostrel::standin {

// Why an add-in could not be loaded ("cannot load /x/Ostrel.so: ...").
class LoadError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A loaded add-in, as Outlook holds it: the events of IDTExtensibility2 that
// Outlook raises over the add-in's life. Nothing thrown comes out of them.
// Destroying the object releases the add-in.
class LoadedAddIn {
 public:
  virtual ~LoadedAddIn() = default;
  // OnConnection with the Application: at Outlook's start (ext_cm_Startup) or
  // when the user ticks the add-in in the COM Add-ins dialog
  // (ext_cm_AfterStartup). The Application is handed out for the call: the
  // add-in keeps it only by holding a reference of its own.
  virtual void Connect(int connectMode) = 0;
  virtual void StartupComplete() = 0;
  virtual void BeginShutdown() = 0;
  // OnDisconnection as Outlook exits (ext_dm_HostShutdown) or when the user
  // unticks the add-in (ext_dm_UserClosed).
  virtual void Disconnect(int removeMode) = 0;
  // The add-in's IRibbonExtensibility and the callbacks its markup names, as
  // Office 2010 and later reach them; nullptr when it has none (QueryInterface
  // fails). Valid while the add-in is loaded.
  virtual host::office::RibbonExtensibility* Ribbon() = 0;
};

class AddInLoader {
 public:
  virtual ~AddInLoader() = default;
  // Loads the entry's server and creates its class; `addIn.server` and
  // `addIn.clsid` are set. Throws LoadError saying what went wrong.
  virtual std::unique_ptr<LoadedAddIn> Load(const RegisteredAddIn& addIn) = 0;
};

}  // namespace ostrel::standin

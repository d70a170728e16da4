// An add-in loaded the way Outlook loads it: its ProgID through COM's own
// lookup (CLSIDFromProgID, CoCreateInstance in process), then the five events
// of IDTExtensibility2 through the vtable.
#pragma once

#include "win32/WindowsHeaders.h"  // before widl's header, which includes <windows.h>

#include <memory>
#include <string>

#include "Extensibility.h"  // made by widl
#include "host/Office.h"
#include "host/String.h"
#include "win32/com/ComPtr.h"

namespace ostrel::standin::com {

class ComAddIn {
 public:
  // nullptr, and what went wrong in *problem, when COM cannot make the object.
  static std::unique_ptr<ComAddIn> Create(const String& progId, std::string* problem);

  // The add-in's answers are not examined, as Outlook does not examine them;
  // each returns it for the record.
  HRESULT OnConnection(IDispatch* application, ext_ConnectMode mode, IDispatch* addInInst);
  HRESULT OnDisconnection(ext_DisconnectMode mode);
  HRESULT OnStartupComplete();
  HRESULT OnBeginShutdown();
  // The object's IRibbonExtensibility, asked for once; nullptr when it has
  // none.
  host::office::RibbonExtensibility* Ribbon();

 private:
  explicit ComAddIn(win32::com::ComPtr<IDTExtensibility2> object);
  ~ComAddIn();
  friend std::default_delete<ComAddIn>;
  win32::com::ComPtr<IDTExtensibility2> object_;
  bool ribbonAsked_ = false;
  std::unique_ptr<host::office::RibbonExtensibility> ribbon_;
};

}  // namespace ostrel::standin::com

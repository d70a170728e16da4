#include "standin/com/Events.h"

#include "standin/com/OutlookObjects.h"
#include "win32/com/ComIds.h"

namespace ostrel::standin::com {

namespace ids = win32::com;

void Deliver(IDispatch* sink, DISPID id, VARIANT* arguments, UINT count) {
  DISPPARAMS parameters{arguments, nullptr, count, 0};
  EXCEPINFO exception{};
  UINT argumentError = 0;
  sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &parameters, nullptr, &exception,
               &argumentError);
  ::SysFreeString(exception.bstrDescription);
  ::SysFreeString(exception.bstrSource);
  ::SysFreeString(exception.bstrHelpFile);
}

// Each forwarder keeps its owner and its sink for the length of the call: the
// receiver may end this connection, and with it the forwarder, while it runs.

void ExplorerForwarder::BeforeFolderSwitch(const String& newFolder, bool& cancel) {
  const ComPtr<IUnknown> owner = ComPtr<IUnknown>::Copy(owner_);
  const ComPtr<IDispatch> sink = sink_;
  const ComPtr<FolderObject> folder = FolderObject::Make(newFolder);
  VARIANT_BOOL flag = cancel ? VARIANT_TRUE : VARIANT_FALSE;
  VARIANT arguments[2];
  arguments[1].vt = VT_DISPATCH;  // NewFolder
  arguments[1].pdispVal = folder->AsDispatch();
  arguments[0].vt = VT_BOOL | VT_BYREF;  // Cancel
  arguments[0].pboolVal = &flag;
  Deliver(sink.get(), ids::kDispidBeforeFolderSwitch, arguments, 2);
  cancel = flag != VARIANT_FALSE;
}

void ExplorerForwarder::Close() {
  const ComPtr<IUnknown> owner = ComPtr<IUnknown>::Copy(owner_);
  const ComPtr<IDispatch> sink = sink_;
  Deliver(sink.get(), ids::kDispidClose, nullptr, 0);
}

void InspectorForwarder::Close() {
  const ComPtr<IUnknown> owner = ComPtr<IUnknown>::Copy(owner_);
  const ComPtr<IDispatch> sink = sink_;
  Deliver(sink.get(), ids::kDispidClose, nullptr, 0);
}

void ButtonForwarder::Click(host::office::CommandBarButton&, bool& cancelDefault) {
  const ComPtr<IUnknown> owner = ComPtr<IUnknown>::Copy(owner_);
  const ComPtr<IDispatch> sink = sink_;
  ComPtr<IDispatch> button;
  owner->QueryInterface(IID_IDispatch, button.OutVoid());
  VARIANT_BOOL flag = cancelDefault ? VARIANT_TRUE : VARIANT_FALSE;
  VARIANT arguments[2];
  arguments[1].vt = VT_DISPATCH;  // Ctrl
  arguments[1].pdispVal = button.get();
  arguments[0].vt = VT_BOOL | VT_BYREF;  // CancelDefault
  arguments[0].pboolVal = &flag;
  Deliver(sink.get(), ids::kDispidClick, arguments, 2);
  cancelDefault = flag != VARIANT_FALSE;
}

}  // namespace ostrel::standin::com

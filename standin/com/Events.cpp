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
  if (owner_ == nullptr)
    return;
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

void ExplorerForwarder::Activate() {
  if (owner_ == nullptr)
    return;
  const ComPtr<IUnknown> owner = ComPtr<IUnknown>::Copy(owner_);
  const ComPtr<IDispatch> sink = sink_;
  Deliver(sink.get(), ids::kDispidActivate, nullptr, 0);
}

void ExplorerForwarder::Close() {
  if (owner_ == nullptr)
    return;
  const ComPtr<IUnknown> owner = ComPtr<IUnknown>::Copy(owner_);
  const ComPtr<IDispatch> sink = sink_;
  Deliver(sink.get(), ids::kDispidClose, nullptr, 0);
}

void InspectorForwarder::Close() {
  if (owner_ == nullptr)
    return;
  const ComPtr<IUnknown> owner = ComPtr<IUnknown>::Copy(owner_);
  const ComPtr<IDispatch> sink = sink_;
  Deliver(sink.get(), ids::kDispidClose, nullptr, 0);
}

namespace {

// The event's one argument, the new window; the receiver keeps a reference of
// its own if it wants the window beyond the call.
template <typename Object, typename Window>
void DeliverNewWindow(IUnknown* source, const ComPtr<IDispatch>& receiver, DISPID id,
                      const std::shared_ptr<Window>& window) {
  if (source == nullptr)
    return;
  const ComPtr<IUnknown> owner = ComPtr<IUnknown>::Copy(source);
  const ComPtr<IDispatch> sink = receiver;
  const ComPtr<Object> object = Object::Make(window);
  VARIANT arguments[1];
  arguments[0].vt = VT_DISPATCH;
  arguments[0].pdispVal = object->AsDispatch();
  Deliver(sink.get(), id, arguments, 1);
}

}  // namespace

void ExplorersForwarder::NewExplorer(const std::shared_ptr<host::outlook::Explorer>& explorer) {
  DeliverNewWindow<ExplorerObject>(owner_, sink_, ids::kDispidNewExplorer, explorer);
}

void InspectorsForwarder::NewInspector(const std::shared_ptr<host::outlook::Inspector>& inspector) {
  DeliverNewWindow<InspectorObject>(owner_, sink_, ids::kDispidNewInspector, inspector);
}

void ButtonForwarder::Click(host::office::CommandBarButton&, bool& cancelDefault) {
  if (owner_ == nullptr)
    return;
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

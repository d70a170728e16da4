#include "win32/com/EventSink.h"

#include <olectl.h>

#include "common/Entry.h"
#include "win32/com/LateBinding.h"

namespace ostrel::win32::com {

ComPtr<EventSink> EventSink::Create(const IID& events, Handler handler) {
  return ComPtr<EventSink>::Attach(new EventSink(events, std::move(handler)));
}

STDMETHODIMP EventSink::QueryInterface(REFIID iid, void** out) {
  if (out == nullptr)
    return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == events_) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) EventSink::AddRef() {
  return static_cast<ULONG>(::InterlockedIncrement(&references_));
}

STDMETHODIMP_(ULONG) EventSink::Release() {
  const LONG left = ::InterlockedDecrement(&references_);
  if (left == 0)
    delete this;
  return static_cast<ULONG>(left);
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count) {
  if (count == nullptr)
    return E_POINTER;
  *count = 0;
  return S_OK;
}

STDMETHODIMP EventSink::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info == nullptr)
    return E_POINTER;
  *info = nullptr;
  return DISP_E_BADINDEX;
}

STDMETHODIMP EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
  // Sources call their sinks by dispatch number; names are not needed.
  if (ids != nullptr)
    for (UINT i = 0; i < count; ++i)
      ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID iid, LCID, WORD, DISPPARAMS* parameters,
                               VARIANT* result, EXCEPINFO*, UINT*) {
  if (iid != IID_NULL)
    return DISP_E_UNKNOWNINTERFACE;
  if (result != nullptr)
    ::VariantInit(result);
  DISPPARAMS none{};
  // The handler may end the connection (and drop this sink) while it runs.
  const ComPtr<EventSink> self = ComPtr<EventSink>::Copy(this);
  const Handler handler = handler_;
  if (!handler)
    return S_OK;
  // An event is a door into the add-in: what it tears down goes when the
  // outermost call returns, and nothing thrown goes back to the host (the
  // add-in's handlers report their own failures).
  Guarded([&] { handler(id, parameters != nullptr ? *parameters : none); }, [] {});
  return S_OK;
}

void EventConnection::Connect(IDispatch* source, const std::vector<IID>& interfaces,
                              EventSink::Handler handler) {
  Disconnect();
  if (source == nullptr)
    RaiseFailedCall(E_POINTER, "Advise");
  ComPtr<IConnectionPointContainer> container;
  HRESULT hr = source->QueryInterface(IID_IConnectionPointContainer, container.OutVoid());
  if (FAILED(hr))
    RaiseFailedCall(hr, "Advise: the object raises no events");
  ComPtr<IConnectionPoint> point;
  const IID* found = nullptr;
  for (const IID& events : interfaces) {
    hr = container->FindConnectionPoint(events, point.Out());
    if (SUCCEEDED(hr) && point) {
      found = &events;
      break;
    }
  }
  if (found == nullptr)
    RaiseFailedCall(FAILED(hr) ? hr : CONNECT_E_NOCONNECTION, "FindConnectionPoint");
  ComPtr<EventSink> sink = EventSink::Create(*found, std::move(handler));
  DWORD cookie = 0;
  hr = point->Advise(sink.get(), &cookie);
  if (FAILED(hr)) {
    sink->Detach();
    RaiseFailedCall(hr, "Advise");
  }
  point_ = std::move(point);
  sink_ = std::move(sink);
  cookie_ = cookie;
}

void EventConnection::Disconnect() {
  if (!point_)
    return;
  sink_->Detach();
  const ComPtr<IConnectionPoint> point = std::move(point_);
  point_.Reset();
  sink_.Reset();
  const HRESULT hr = point->Unadvise(cookie_);
  cookie_ = 0;
  if (FAILED(hr))
    RaiseFailedCall(hr, "Unadvise");
}

}  // namespace ostrel::win32::com

// Receiving an object's events: a sink (an IDispatch that answers for one event
// interface, as the host's connection point asks) calls a handler with the
// event's dispatch number and arguments, and a link pairs the Advise that
// connects it with the Unadvise that ends the connection.
#pragma once

#include <functional>
#include <vector>

#include "win32/WindowsHeaders.h"
#include "win32/com/ComPtr.h"
#include "win32/com/ObjectCount.h"

namespace ostrel::win32::com {

class EventSink final : public IDispatch, private ObjectCount {
 public:
  // The arguments as the host passed them: rgvarg, last argument first.
  using Handler = std::function<void(DISPID id, DISPPARAMS& parameters)>;

  static ComPtr<EventSink> Create(const IID& events, Handler handler);
  // No event reaches the handler any more, even one the host still delivers.
  void Detach() { handler_ = nullptr; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                             DISPID* ids) override;
  // Events the handler does not know are ignored, as Visual Basic ignores them.
  // Nothing thrown by the handler reaches the host.
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

 private:
  EventSink(const IID& events, Handler handler) : events_(events), handler_(std::move(handler)) {}
  ~EventSink() = default;

  LONG references_ = 1;
  IID events_;
  Handler handler_;
};

// One connection of a sink to a source object: Connect advises the first of the
// event interfaces the source offers; Disconnect (and the destructor)
// unadvises it.
class EventConnection {
 public:
  EventConnection() = default;
  ~EventConnection() {
    try {
      Disconnect();
    } catch (...) {
      // A source that refuses the Unadvise is dropped all the same.
    }
  }
  EventConnection(const EventConnection&) = delete;
  EventConnection& operator=(const EventConnection&) = delete;

  // Raises the host error of the call that failed; the connection stays empty.
  void Connect(IDispatch* source, const std::vector<IID>& interfaces, EventSink::Handler handler);
  // Raises the host error when the source refuses the Unadvise; the connection is
  // dropped all the same.
  void Disconnect();
  bool Connected() const { return static_cast<bool>(point_); }

 private:
  ComPtr<IConnectionPoint> point_;
  ComPtr<EventSink> sink_;
  DWORD cookie_ = 0;
};

}  // namespace ostrel::win32::com

// The stand-in's connection points. Each COM connection is one connection to
// the model's object under the same cookie, so the model's failures on demand
// ("Advise", "Unadvise") reach COM callers, and delivery follows the model's
// rules. A forwarder turns the model's event into a call of the sink's
// IDispatch by the public dispatch number.
#pragma once

#include <olectl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "host/Office.h"
#include "host/Outlook.h"
#include "standin/com/Automation.h"

namespace ostrel::standin::com {

// Calls the sink's member `id` with the arguments (rgvarg order: last first).
// The sink's answer is not examined, as an event source does not.
void Deliver(IDispatch* sink, DISPID id, VARIANT* arguments, UINT count);

// What every forwarder holds: the object whose connection point made it (not
// counted: the point lives inside it) and the sink.
class Forwarding {
 public:
  Forwarding(IUnknown* owner, ComPtr<IDispatch> sink) : owner_(owner), sink_(std::move(sink)) {}
  // The owner is going while the model still holds this forwarder (it refused
  // the Unadvise): nothing is delivered any more, and the sink is let go.
  void Orphan() {
    owner_ = nullptr;
    sink_.Reset();
  }

 protected:
  IUnknown* owner_;
  ComPtr<IDispatch> sink_;
};

class ExplorerForwarder final : public host::outlook::ExplorerEvents, private Forwarding {
 public:
  using Forwarding::Forwarding;
  using Forwarding::Orphan;
  void Activate() override;
  void BeforeFolderSwitch(const String& newFolder, bool& cancel) override;
  void Close() override;
};

class InspectorForwarder final : public host::outlook::InspectorEvents, private Forwarding {
 public:
  using Forwarding::Forwarding;
  using Forwarding::Orphan;
  void Close() override;
};

// NewExplorer and NewInspector, with an automation object of the new window
// (a reference of its own to the model's window) as the one argument.
class ExplorersForwarder final : public host::outlook::ExplorersEvents, private Forwarding {
 public:
  using Forwarding::Forwarding;
  using Forwarding::Orphan;
  void NewExplorer(const std::shared_ptr<host::outlook::Explorer>& explorer) override;
};

class InspectorsForwarder final : public host::outlook::InspectorsEvents, private Forwarding {
 public:
  using Forwarding::Forwarding;
  using Forwarding::Orphan;
  void NewInspector(const std::shared_ptr<host::outlook::Inspector>& inspector) override;
};

class ButtonForwarder final : public host::office::CommandBarButtonEvents, private Forwarding {
 public:
  // The owner is the Ctrl argument: the automation object the sink advised.
  using Forwarding::Forwarding;
  using Forwarding::Orphan;
  void Click(host::office::CommandBarButton& ctrl, bool& cancelDefault) override;
};

// One event interface of an object. It lives inside its owner (references go
// to the owner) and ends the model's connections that are left when it goes.
template <typename Forwarder>
class EventPoint final : public IConnectionPoint {
 public:
  using Advise_ = std::function<std::uint32_t(Forwarder* forwarder)>;
  using Unadvise_ = std::function<void(std::uint32_t cookie)>;

  EventPoint(IConnectionPointContainer* owner, const IID& events, Advise_ advise,
             Unadvise_ unadvise)
      : owner_(owner),
        events_(events),
        advise_(std::move(advise)),
        unadvise_(std::move(unadvise)) {}
  ~EventPoint() {
    for (auto& [cookie, forwarder] : connections_) {
      // A connection left here is one whose Unadvise the model refused; it
      // refuses again, and then still holds the forwarder: that one is left to
      // it, orphaned, rather than deleted under it.
      if (FAILED(Guard([&] { unadvise_(cookie); }))) {
        forwarder->Orphan();
        static_cast<void>(forwarder.release());
      }
    }
  }
  EventPoint(const EventPoint&) = delete;
  EventPoint& operator=(const EventPoint&) = delete;

  const IID& Events() const { return events_; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr)
      return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IConnectionPoint) {
      *out = static_cast<IConnectionPoint*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return owner_->AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return owner_->Release(); }

  STDMETHODIMP GetConnectionInterface(IID* iid) override {
    if (iid == nullptr)
      return E_POINTER;
    *iid = events_;
    return S_OK;
  }
  STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override {
    if (container == nullptr)
      return E_POINTER;
    *container = owner_;
    owner_->AddRef();
    return S_OK;
  }
  // The sink must answer for the event interface itself, as Office's and
  // Outlook's sources require.
  STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
    if (cookie == nullptr)
      return E_POINTER;
    *cookie = 0;
    if (sink == nullptr)
      return E_POINTER;
    ComPtr<IDispatch> events;
    if (FAILED(sink->QueryInterface(events_, events.OutVoid())) || !events)
      return CONNECT_E_CANNOTCONNECT;
    return Guard([&] {
      auto forwarder = std::make_unique<Forwarder>(owner_, events);
      const std::uint32_t made = advise_(forwarder.get());
      connections_[made] = std::move(forwarder);
      *cookie = made;
    });
  }
  STDMETHODIMP Unadvise(DWORD cookie) override {
    const auto found = connections_.find(cookie);
    if (found == connections_.end())
      return CONNECT_E_NOCONNECTION;
    // The model may refuse; the connection stays then, as the model keeps it.
    const HRESULT hr = Guard([&] { unadvise_(cookie); });
    if (SUCCEEDED(hr))
      connections_.erase(found);
    return hr;
  }
  STDMETHODIMP EnumConnections(IEnumConnections** connections) override {
    if (connections != nullptr)
      *connections = nullptr;
    return E_NOTIMPL;
  }

 private:
  IConnectionPointContainer* owner_;
  IID events_;
  Advise_ advise_;
  Unadvise_ unadvise_;
  std::map<std::uint32_t, std::unique_ptr<Forwarder>> connections_;
};

// FindConnectionPoint over an object's event points.
template <typename... Points>
HRESULT FindPoint(REFIID iid, IConnectionPoint** point, Points&... points) {
  if (point == nullptr)
    return E_POINTER;
  *point = nullptr;
  IConnectionPoint* found = nullptr;
  ((found == nullptr && points.Events() == iid ? found = &points : found), ...);
  if (found == nullptr)
    return CONNECT_E_NOCONNECTION;
  found->AddRef();
  *point = found;
  return S_OK;
}

}  // namespace ostrel::standin::com

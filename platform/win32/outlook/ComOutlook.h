// Outlook's object model and Office's command bars as the add-in sees them
// (src/host/Outlook.h, src/host/Office.h), over the host's automation objects,
// bound late by name. Every failing call raises host::HostError.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "host/Office.h"
#include "host/Outlook.h"
#include "win32/com/ComPtr.h"
#include "win32/com/EventSink.h"

namespace ostrel::win32::outlook {

using com::ComPtr;

// The connections one wrapper made for its receivers, by cookie.
class Connections {
 public:
  std::uint32_t Add(IDispatch* source, const std::vector<IID>& interfaces,
                    com::EventSink::Handler handler);
  // host::HostError (CONNECT_E_NOCONNECTION) for a cookie that names none.
  void Remove(std::uint32_t cookie);

 private:
  std::map<std::uint32_t, std::unique_ptr<com::EventConnection>> open_;
  std::uint32_t next_ = 1;
};

// Outlook's Application. The add-in holds it by a std::shared_ptr; the COM
// reference goes when the last holder lets it go.
class ComApplication final : public host::outlook::Application {
 public:
  explicit ComApplication(ComPtr<IDispatch> application) : app_(std::move(application)) {}
  std::unique_ptr<host::outlook::MailItem> CreateItem(int itemType) override;
  String Version() override;
  int ExplorersCount() override;
  int InspectorsCount() override;
  std::shared_ptr<host::outlook::Explorer> ActiveExplorer() override;
  // Application.Explorers and Application.Inspectors, a new wrapper each time
  // over the collection Outlook returns.
  std::shared_ptr<host::outlook::Explorers> GetExplorers() override;
  std::shared_ptr<host::outlook::Inspectors> GetInspectors() override;
  IDispatch* object() const { return app_.get(); }

 private:
  ComPtr<IDispatch> app_;
};

class ComAddInInstance final : public host::outlook::AddInInstance {
 public:
  explicit ComAddInInstance(ComPtr<IDispatch> instance) : instance_(std::move(instance)) {}
  String ProgId() override;

 private:
  ComPtr<IDispatch> instance_;
};

class ComExplorer final : public host::outlook::Explorer {
 public:
  explicit ComExplorer(ComPtr<IDispatch> explorer) : explorer_(std::move(explorer)) {}
  std::shared_ptr<host::office::CommandBars> CommandBars() override;
  std::uint32_t Advise(host::outlook::ExplorerEvents* sink) override;
  void Unadvise(std::uint32_t cookie) override;

 private:
  ComPtr<IDispatch> explorer_;
  Connections connections_;
};

class ComInspector final : public host::outlook::Inspector {
 public:
  explicit ComInspector(ComPtr<IDispatch> inspector) : inspector_(std::move(inspector)) {}
  std::uint32_t Advise(host::outlook::InspectorEvents* sink) override;
  void Unadvise(std::uint32_t cookie) override;

 private:
  ComPtr<IDispatch> inspector_;
  Connections connections_;
};

// Explorers or Inspectors: Count, Item by position (a Long, from 1) and the
// collection's NewExplorer or NewInspector.
template <typename Window, typename Events>
class ComWindows final : public host::outlook::Windows<Window, Events> {
 public:
  explicit ComWindows(ComPtr<IDispatch> windows) : windows_(std::move(windows)) {}
  int Count() override;
  std::shared_ptr<Window> Item(int position) override;
  std::uint32_t Advise(Events* sink) override;
  void Unadvise(std::uint32_t cookie) override;

 private:
  ComPtr<IDispatch> windows_;
  Connections connections_;
};
using ComExplorers = ComWindows<host::outlook::Explorer, host::outlook::ExplorersEvents>;
using ComInspectors = ComWindows<host::outlook::Inspector, host::outlook::InspectorsEvents>;

// A command bar control of the host, as a button or a popup by its Type; a
// control of another type is wrapped as a plain control, one whose type cannot
// be read as a button.
std::shared_ptr<host::office::CommandBarControl> WrapControl(ComPtr<IDispatch> control);

}  // namespace ostrel::win32::outlook

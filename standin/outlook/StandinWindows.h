// The windows of the stand-in: explorers (main windows, with their command
// bars and current folder) and inspectors (item windows). StandinApplication
// opens and closes them; the event-raising members here are its tools.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "host/Outlook.h"
#include "outlook/EventSinks.h"
#include "outlook/OutlookState.h"
#include "outlook/StandinCommandBars.h"

namespace ostrel::standin {

class StandinExplorer final : public host::outlook::Explorer,
                              public std::enable_shared_from_this<StandinExplorer> {
 public:
  // `number` names the window in the listener's lines ("explorer 2 closed").
  StandinExplorer(std::shared_ptr<OutlookState> state, int number, String folder);

  // The window's command bars, the same object every time. RPC_E_DISCONNECTED
  // once the window has closed, as Advise; Unadvise works as long as the
  // object lives. Explorers.NewExplorer "occurs after the new Explorer object
  // is created but before the explorer window appears" (Outlook VBA
  // reference, Explorers.NewExplorer event): until the window is shown its
  // command bars cannot be had (E_FAIL), Advise can.
  std::shared_ptr<host::office::CommandBars> CommandBars() override;
  std::uint32_t Advise(host::outlook::ExplorerEvents* sink) override;
  void Unadvise(std::uint32_t cookie) override;

  int Number() const { return number_; }
  const String& Folder() const { return folder_; }
  bool IsOpen() const { return open_; }
  // From the start of its Close until it is gone.
  bool IsClosing() const { return closing_; }
  void BeginClose() { closing_ = true; }
  // The window appears (after NewExplorer).
  void MarkShown() { shown_ = true; }
  StandinCommandBars& Bars() { return *bars_; }
  std::size_t Receivers() const { return sinks_.Count(); }

  // BeforeFolderSwitch for each receiver, with one Cancel flag passed on from
  // one to the next; then the folder changes unless it was set. Returns it.
  bool SwitchFolder(const String& folder);
  // Close for each receiver.
  void RaiseClose();
  // Activate for each receiver.
  void RaiseActivate();
  // The window is gone: its bars and their controls go with it.
  void MarkClosed();

 private:
  void Enter(std::string_view operation) const;

  std::shared_ptr<OutlookState> state_;
  int number_;
  String folder_;
  bool open_ = true;
  bool closing_ = false;
  bool shown_ = false;
  std::shared_ptr<StandinCommandBars> bars_;
  EventSinks<host::outlook::ExplorerEvents> sinks_;
};

class StandinInspector final : public host::outlook::Inspector,
                               public std::enable_shared_from_this<StandinInspector> {
 public:
  StandinInspector(std::shared_ptr<OutlookState> state, int number);

  // RPC_E_DISCONNECTED once closed; Unadvise works as long as the object lives.
  std::uint32_t Advise(host::outlook::InspectorEvents* sink) override;
  void Unadvise(std::uint32_t cookie) override;

  int Number() const { return number_; }
  bool IsOpen() const { return open_; }
  bool IsClosing() const { return closing_; }
  void BeginClose() { closing_ = true; }
  std::size_t Receivers() const { return sinks_.Count(); }

  void RaiseClose();
  void MarkClosed() { open_ = false; }

 private:
  std::shared_ptr<OutlookState> state_;
  int number_;
  bool open_ = true;
  bool closing_ = false;
  EventSinks<host::outlook::InspectorEvents> sinks_;
};

// Application.Explorers or Application.Inspectors: the count of the open
// windows of the kind and the receivers of NewExplorer or NewInspector.
template <typename Window, typename Events>
class StandinWindowList final : public host::outlook::Windows<Window, Events> {
 public:
  using Open = std::function<const std::vector<std::shared_ptr<Window>>&()>;
  // `countOperation` names Count for the faults ("Explorers.Count"); `open`
  // gives the open windows in the order they opened.
  StandinWindowList(std::shared_ptr<OutlookState> state, const char* countOperation, Open open)
      : state_(std::move(state)), countOperation_(countOperation), open_(std::move(open)) {}
  int Count() override {
    state_->faults.Check(countOperation_);
    return static_cast<int>(open_().size());
  }
  // E_INVALIDARG outside 1 to Count, as Outlook's collections raise it.
  std::shared_ptr<Window> Item(int position) override {
    state_->faults.Check("Item");
    const auto& open = open_();
    if (position < 1 || position > static_cast<int>(open.size()))
      throw host::HostError(kEInvalidArg, "Item: no window at " + std::to_string(position));
    return state_->HandOut(open[static_cast<std::size_t>(position - 1)]);
  }
  std::uint32_t Advise(Events* sink) override {
    state_->faults.Check("Advise");
    return sinks_.Advise(sink);
  }
  void Unadvise(std::uint32_t cookie) override {
    state_->faults.Check("Unadvise");
    sinks_.Unadvise(cookie);
  }
  EventSinks<Events>& Sinks() { return sinks_; }

 private:
  std::shared_ptr<OutlookState> state_;
  const char* countOperation_;
  Open open_;
  EventSinks<Events> sinks_;
};

// The host's object for the add-in: the ProgID it was loaded under.
class StandinAddInInstance final : public host::outlook::AddInInstance {
 public:
  StandinAddInInstance(std::shared_ptr<OutlookState> state, String progId);
  String ProgId() override;

 private:
  std::shared_ptr<OutlookState> state_;
  String progId_;
};

}  // namespace ostrel::standin
